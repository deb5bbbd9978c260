// The page: the program's four windows over the engine. The windows come
// written into the page from their description (make_page.cpp); the engine
// decides which of them are open, what every press of a button does and
// every key the game handles. The page shows what the engine says and
// brings in what only a browser knows: the time, the screen, the pointer.
'use strict';

(function () {
  const Engine = self.TarnvaleEngine;
  // The windows' facts, as their description gives them to the page.
  const fact = (name) => Number(getComputedStyle(document.documentElement).getPropertyValue(name));
  const PX_PER_TWIP = 1 / fact('--twips-per-pixel');   // 96 dots per inch
  const GAP = fact('--gap');                            // between windows, in layout pixels
  const FONT_PX = fact('--text-size');                  // the bold face at 9.75 points
  // The page's double-click interval: for this long after a window appears,
  // a click in it finishes the double click that opened it.
  const DOUBLE_CLICK_MS = 500;
  // The game in progress lasts as long as its tab: kept here after every change.
  const KEPT = 'tarnvale-game';

  const $ = (id) => document.getElementById(id);
  const named = (form, name) => form.querySelector(`[data-name="${name}"]`);
  // The windows by their names, in the page's order.
  const forms = {};
  for (const form of document.querySelectorAll('section.form')) forms[form.id] = form;
  const game = forms.frmTargame, dialog = forms.frmNew;
  const txtCon = named(game, 'txtCon'), txtPwd = named(game, 'txtPwd');
  const txtGame = named(game, 'txtGame');
  const stage = $('stage');

  // A window's size in layout pixels.
  const sizeOf = (form) => [Number(form.dataset.w) * PX_PER_TWIP, Number(form.dataset.h) * PX_PER_TWIP];
  const [GAME_W, GAME_H] = sizeOf(game);
  // The room help or author takes beside the game.
  const BESIDE_W = Math.max(...[forms.frmHelp, forms.frmAuthor].map((f) => sizeOf(f)[0]));

  let engine = null;
  let scale = 1;
  let zTop = 1;
  const where = new Map();                  // form -> {x, y} in layout pixels
  const raised = new Map();                 // form -> the engine's count of its raises, as last shown

  // --- layout -------------------------------------------------------------
  // Where the game window fits, the windows stand as designed, their text at
  // the size of the page's own (the browser's text size and zoom decide it).
  // Where it does not (a phone, a window zoomed in), every window's widgets
  // flow into one column the width of the screen.

  const rem = () => parseFloat(getComputedStyle(document.documentElement).fontSize) || 16;
  // At the browser's usual 16 px the windows' label buttons, which stand
  // 16 px apart as designed, are 24 px apart: the least a pointer should
  // have to hit.
  const windowScale = () => (rem() / 16) * 1.5;
  // The text of every window, in either layout: the same size in both, so
  // that zooming in enlarges it all the way.
  const textPx = () => FONT_PX * windowScale();
  const touch = window.matchMedia('(any-pointer: coarse)');
  let layoutMode = null;                    // 'windows' or 'column'
  // The tallest the viewport has been at its present width while an
  // on-screen keyboard may be up: it takes height, not width, and the layout
  // must not change under the player's fingers.
  const tallest = { width: 0, height: 0 };

  function chooseLayout() {
    const w = window.innerWidth, h = window.innerHeight;
    const typing = touch.matches && document.activeElement && document.activeElement.tagName === 'INPUT';
    if (w !== tallest.width || !typing) Object.assign(tallest, { width: w, height: h });
    else tallest.height = Math.max(tallest.height, h);
    scale = windowScale();
    const fits = w >= (GAME_W + 2 * GAP) * scale && tallest.height >= (GAME_H + 2 * GAP) * scale;
    return fits ? 'windows' : 'column';
  }

  // A length in CSS pixels that is a whole number of device pixels.
  function crisp(px) {
    const dpr = window.devicePixelRatio || 1;
    return Math.max(1, Math.round(px * dpr)) / dpr;
  }

  const rectOf = (el) => el.dataset.r.split(',').map(Number);
  const put = (el, left, top, width, height) => Object.assign(el.style, {
    left: `${left}px`, top: `${top}px`, width: `${width}px`, height: typeof height === 'number' ? `${height}px` : height });

  // The buttons of a window that begin below `el` and across its width.
  function buttonsBelow(form, el) {
    const [l, t, w] = rectOf(el);
    return [...form.querySelectorAll('.hand[data-r]')].filter((b) => {
      const [bl, bt, bw] = rectOf(b);
      return bt > t && bl < l + w && l < bl + bw;
    });
  }

  function placeWidgets(form) {
    const s = scale;
    const [W, H] = sizeOf(form);
    form.style.width = `${W * s}px`;
    form.style.height = `${H * s}px`;
    form.style.fontSize = `${FONT_PX * s}px`;
    form.style.setProperty('--line', `${crisp(s)}px`);
    for (const el of form.querySelectorAll('[data-r]')) {
      el.classList.remove('gone');
      let [l, t, w, h] = rectOf(el);
      // A label on an input box's line stands in the box's height, centred
      // as the box centres its text, so that both share one baseline.
      if (el.dataset.line) [, t, , h] = rectOf(named(form, el.dataset.line));
      // A button ends where the next one below it begins: none covers another.
      if (el.classList.contains('hand')) h = Math.min(h, ...buttonsBelow(form, el).map((b) => rectOf(b)[1] - t));
      put(el, l * PX_PER_TWIP * s, t * PX_PER_TWIP * s, w * PX_PER_TWIP * s,
          el.classList.contains('line') ? 'var(--line)' : h * PX_PER_TWIP * s);
    }
    if (form === game && touchKeys.length) {
      // The touch keys at the end of the command line, the boxes shorter.
      const [l, t, w, h] = rectOf(txtCon).map((v) => v * PX_PER_TWIP * s);
      const key = Math.max(h, 24);
      for (const box of [txtCon, txtPwd]) box.style.width = `${w - 2 * key}px`;
      touchKeys.forEach((k, i) => put(k, l + w - (2 - i) * key, t + h - key, key, key));
    }
  }

  // --- the column: the same widgets, one under another -----------------------

  const PAD = 8;          // around the column and between its widgets
  const TARGET = 44;      // the least a finger can hit

  const isTarget = (el) => el.matches('button, input');
  const signature = (el) => `${el.tagName}.${el.getAttribute('role')}.${el.classList.contains('hand')}`;
  // A short caption before the widget it marks (the prompt, the last command's
  // sign): known by the captions the page came with, not by what a label
  // shows now (the last command may be a letter, or nothing yet).
  const markers = new Set([...document.querySelectorAll('.form .label')].filter((el) => {
    const caption = el.textContent.trim();
    return !isTarget(el) && caption.length > 0 && caption.length <= 2;
  }));
  const isMarker = (el) => markers.has(el);

  // A window's widgets in reading order, as rows of slots (a slot holds the
  // widgets drawn in one place, like the two input boxes). Widgets beside
  // the output box, within its height, come before it, so that the output
  // box stands just above the command line. Rows of one widget of one kind
  // under each other make a run, laid out as a grid.
  const rowsCache = new Map();
  function rowsOf(form) {
    if (rowsCache.has(form)) return rowsCache.get(form);
    const els = [...form.querySelectorAll('[data-r]')].filter((el) => !el.matches('.outline, .list'));
    const tall = els.filter((el) => el.classList.contains('output')).map(rectOf);
    // Beside the output box: then read before it.
    const entries = els.map((el) => {
      const [l, t] = rectOf(el);
      const box = tall.find(([ol, ot, ow, oh]) => l >= ol + ow && t >= ot && t < ot + oh);
      return { el, t, l, side: !!box, band: box ? box[1] - 1 : t };
    }).sort((a, b) => a.band - b.band || a.t - b.t || a.l - b.l);
    // Widgets on one line (their tops a little apart at most) make a row.
    const lines = [];
    for (const e of entries) {
      const line = lines[lines.length - 1];
      const first = line && line[0];
      const apart = (x) => x.el.classList.contains('line');
      if (first && first.side === e.side && !apart(first) && !apart(e)
          && (e.side ? e.t === first.t : e.t - first.t < 200)) line.push(e);
      else lines.push([e]);
    }
    const rows = [];
    for (const line of lines) {
      const slots = new Map();
      for (const { el, l } of line.sort((a, b) => a.l - b.l)) {
        if (!slots.has(l)) slots.set(l, []);
        slots.get(l).push(el);
      }
      const row = { slots: [...slots.values()], run: false };
      const last = rows[rows.length - 1];
      const one = row.slots.length === 1 && row.slots[0].length === 1 ? row.slots[0][0] : null;
      const lastOne = last && last.slots.length === 1 && last.slots[0].length === 1 ? last.slots[0][0] : null;
      const alike = (a, b) => a && b && signature(a) === signature(b) && rectOf(a)[0] === rectOf(b)[0]
                              && rectOf(a)[2] === rectOf(b)[2] && !a.matches('.output, .wrap');
      if (last && (last.run ? alike(last.slots[0][0], one) : alike(lastOne, one))) {
        last.run = true;
        last.slots.push([one]);
      } else {
        rows.push(row);
      }
    }
    rowsCache.set(form, rows);
    return rows;
  }

  // A widget's width with its caption on one line.
  function naturalWidth(el) {
    if (isTarget(el) && el.tagName === 'INPUT') return 0;
    el.style.width = 'auto';
    el.style.height = 'auto';
    return Math.ceil(el.getBoundingClientRect().width);
  }

  function lineHeight() { return Math.round(textPx() * 1.4); }

  function heightOf(el, width) {
    if (el.classList.contains('titlebar')) return Math.round(textPx() * 1.1);
    if (el.classList.contains('line')) return 1;
    if (el.classList.contains('wrap')) {
      el.style.width = `${width}px`;
      el.style.height = 'auto';
      return Math.ceil(el.getBoundingClientRect().height);
    }
    const least = isTarget(el) ? Math.max(TARGET, lineHeight()) : el.classList.contains('hand') ? TARGET : lineHeight();
    // A caption wider than its place goes on to a second line (a counter,
    // the last command above all, ends in «…» instead).
    const wraps = el.tagName !== 'INPUT' && !el.classList.contains('cut') && naturalWidth(el) > width;
    el.classList.toggle('wraps', wraps);
    if (!wraps) return least;
    el.style.width = `${width}px`;
    return Math.max(least, Math.ceil(el.getBoundingClientRect().height));
  }

  // Lays a window out as a column `width` wide, at least `minHeight` tall
  // (the output box takes what is left); returns its height.
  function flow(form, width, minHeight) {
    // Wrapped captions are measured in the column's own text size.
    form.style.fontSize = `${textPx()}px`;
    const inner = width - 2 * PAD;
    const placed = [];       // [el, left, top, width, height] for each widget
    let output = null;
    let y = 0;
    for (const row of rowsOf(form)) {
      if (row.run) {
        // A grid of as many columns as the widest caption allows.
        const items = row.slots.map(([el]) => el).filter((el) => !(el.tagName === 'LI' && !el.textContent));
        for (const el of row.slots.map(([e]) => e)) el.classList.toggle('gone', !items.includes(el));
        if (!items.length) continue;
        const widest = Math.max(TARGET, ...items.map(naturalWidth)) + PAD;
        const columns = Math.max(1, Math.min(items.length, Math.floor((inner + PAD) / widest)));
        const w = (inner - (columns - 1) * PAD) / columns;
        for (let first = 0; first < items.length; first += columns) {
          const line = items.slice(first, first + columns);
          const h = Math.max(...line.map((el) => heightOf(el, w)));
          line.forEach((el, i) => placed.push([el, PAD + i * (w + PAD), y + PAD, w, h]));
          y += PAD + h;
        }
        continue;
      }
      const slots = row.slots;
      if (slots[0][0].classList.contains('output')) {
        output = { el: slots[0][0], top: y + PAD };
        y += PAD;
        continue;
      }
      // Markers keep their caption's width; the others share what is left,
      // or stand one under another where their captions do not fit side by side.
      const natural = slots.map((slot) => Math.max(...slot.map(naturalWidth)));
      const fixed = slots.map((slot) => isMarker(slot[0]));
      const keys = slots.some((slot) => slot.includes(txtCon)) ? touchKeys : [];
      const keysWidth = keys.length * (TARGET + PAD);
      const free = inner - keysWidth - natural.reduce((sum, n, i) => sum + (fixed[i] ? n + PAD : 0), 0);
      const sharing = fixed.filter((f) => !f).length;
      const side = natural.reduce((sum, n, i) => sum + (fixed[i] ? 0 : n), 0) + (sharing - 1) * PAD <= free;
      let x = PAD;
      let rowHeight = 0;
      // Side by side, the widgets of a row stand centred on one line.
      const widths = slots.map((slot, i) => (side ? (fixed[i] ? natural[i] : (free - (sharing - 1) * PAD) / sharing) : inner));
      const heights = slots.map((slot, i) => Math.max(...slot.map((el) => heightOf(el, widths[i]))));
      const tallestHere = Math.max(...heights, keys.length ? TARGET : 0);
      slots.forEach((slot, i) => {
        if (!side && i) { y += rowHeight; x = PAD; }
        const h = heights[i];
        const top = y + PAD + (side ? Math.round((tallestHere - h) / 2) : 0);
        for (const el of slot) placed.push([el, x, top, widths[i], h]);
        x += widths[i] + PAD;
        rowHeight = (side ? tallestHere : h) + PAD;
      });
      keys.forEach((k, i) => placed.push([k, PAD + inner - keysWidth + PAD + i * (TARGET + PAD), y + PAD, TARGET, TARGET]));
      y += rowHeight;
    }
    y += PAD;
    let height = Math.max(y, output ? 0 : minHeight);
    if (output) {
      // The output box takes the rest of the screen, and never less than
      // a few lines; whatever comes after it moves down by as much.
      const grow = Math.max(Math.round(textPx() * 1.15 * 4), minHeight - y);
      for (const p of placed) if (p[2] >= output.top) p[2] += grow;
      placed.push([output.el, PAD, output.top, inner, grow]);
      height += grow;
    }
    for (const [el, l, t, w, h] of placed) put(el, l, t, w, h);
    form.style.width = `${width}px`;
    form.style.height = `${height}px`;
    form.style.setProperty('--line', `${crisp(1)}px`);
    put(form.querySelector('.outline'), 0, 0, width, height);
    return height;
  }

  // An on-screen keyboard takes much of the screen: the column is typed
  // into and has much less height than it had.
  function keyboardUp() {
    return layoutMode === 'column' && touch.matches && document.activeElement === visibleBox()
           && screenSpace().height < tallest.height * 0.75;
  }

  // The space the column has: the visual viewport, which an on-screen
  // keyboard shrinks, unless the player has pinched in.
  function screenSpace() {
    const vv = window.visualViewport;
    const width = document.documentElement.clientWidth;
    if (vv && vv.scale <= 1.01) return { width, height: vv.height, top: vv.offsetTop };
    return { width, height: window.innerHeight, top: 0 };
  }

  let sheets = new Set();   // help and author as the column last showed them
  const gone = (el) => el.hidden || el.classList.contains('leaving');
  function layoutColumn() {
    const space = screenSpace();
    // The note's line stands above the windows, not over them.
    const bar = noticeHeight();
    stage.style.top = `${space.top + bar}px`;
    stage.style.height = `${space.height - bar}px`;
    // Every window fills the screen. Help and author are a sheet over the
    // game (or the dialog), as long as it at least, so that none of it shows
    // by them; each comes up at its start.
    let below = space.height - bar;
    const shownSheets = new Set();
    for (const form of [dialog, game, forms.frmHelp, forms.frmAuthor]) {
      if (gone(form)) continue;
      const sheet = form === forms.frmHelp || form === forms.frmAuthor;
      const height = flow(form, space.width, sheet ? below : space.height - bar);
      if (!sheet) below = Math.max(below, height);
      form.style.left = '0px';
      form.style.top = '0px';
      if (!sheet) continue;
      if (!sheets.has(form)) stage.scrollTop = 0;
      shownSheets.add(form);
    }
    sheets = shownSheets;
    // The command line stays in sight above the keyboard, and the end of the
    // latest answer just above it.
    if (!game.hidden && !sheets.size && document.activeElement === visibleBox()) {
      stage.scrollTop = stage.scrollHeight;
      if (keyboardUp()) txtGame.scrollTop = txtGame.scrollHeight;
    }
  }

  function viewport() { return [window.innerWidth / scale, (window.innerHeight - noticeHeight()) / scale]; }
  function noticeHeight() { return $('notice').hidden ? 0 : $('notice').offsetHeight; }

  function moveTo(form, x, y) {
    const [vw, vh] = viewport();
    const [w] = sizeOf(form);
    // Keep some of the title strip on screen, so the window can be dragged back.
    x = Math.min(Math.max(x, 40 - w), vw - 40);
    y = Math.min(Math.max(y, 0), vh - 30);
    where.set(form, { x, y });
    form.style.left = `${Math.round(x * scale)}px`;
    form.style.top = `${Math.round(y * scale)}px`;
  }

  function centre(form) {
    const [vw, vh] = viewport();
    const [w, h] = sizeOf(form);
    // Where there is room, the game leaves it on its right for help or author.
    const room = form === game && vw >= w + GAP + BESIDE_W ? GAP + BESIDE_W : 0;
    moveTo(form, Math.max(0, (vw - w - room) / 2), Math.max(0, (vh - h) / 2));
  }

  // Help or author beside the game window, where the engine finds room for
  // it on the page, away from the other one.
  function placeBeside(form) {
    const [vw, vh] = viewport();
    const boxOf = (f) => {
      const at = where.get(f) || { x: 0, y: 0 };
      const [width, height] = sizeOf(f);
      return { x: at.x, y: at.y, width, height };
    };
    const taken = Object.values(forms).filter((f) => f !== game && f !== form && !f.hidden && where.has(f)).map(boxOf);
    const [w, h] = sizeOf(form);
    const place = engine.placeBeside(boxOf(game), w, h, { x: 0, y: 0, width: vw, height: vh }, taken, GAP);
    moveTo(form, place.x, place.y);
  }

  // A window put where it belongs as it comes up: the dialog and the game
  // in the middle (the game where it was before), help and author beside
  // the game.
  function place(form) {
    if (layoutMode !== 'windows') return;
    if (form === game) {
      const at = where.get(game);
      if (at) moveTo(game, at.x, at.y);
      else centre(game);
    } else if (form === dialog) {
      centre(form);
    } else {
      placeBeside(form);
    }
  }

  function layout() {
    const mode = chooseLayout();
    const switched = mode !== layoutMode;
    layoutMode = mode;
    document.body.classList.toggle('column', mode === 'column');
    document.body.classList.add('laid-out');
    if (mode === 'column') {
      layoutColumn();
      return;
    }
    stage.style.top = noticeHeight() ? `${noticeHeight()}px` : '';
    stage.style.height = '';
    for (const form of Object.values(forms)) placeWidgets(form);
    if (switched) where.clear();
    for (const form of [game, dialog, forms.frmHelp, forms.frmAuthor]) {
      if (form.hidden) continue;
      const at = where.get(form);
      if (at) moveTo(form, at.x, at.y);
      else place(form);
    }
  }

  // --- the windows, as the engine has them ------------------------------------

  // The program afresh, or with a game kept in this tab brought back.
  function startProgram(kept) {
    raised.clear();
    const now = performance.now();
    if (!kept) engine.start(now);
    else if (!engine.resume(kept, now)) notice(engine.note);
    if (!kept && readUnkept()) notice($('notice').dataset.afresh);
    engine.setDoubleClickInterval(DOUBLE_CLICK_MS);
    sync();
  }

  // What a screen reader should hear now, once: written into one of two
  // live regions in turn, so that the same words twice are two changes. A
  // screen reader may also take the same text twice in a row for one message
  // sent twice: every other one ends in a zero-width space, which is not heard.
  const announcers = [...document.querySelectorAll('.announcer')];
  let nextAnnouncer = 0;
  // Told a moment later, so that where the keyboard went (a window that
  // opened, the command box) is told first.
  let announcing = 0;
  // Once told, the words leave the page: browse mode would find them at its
  // start, a copy of the output box.
  const TOLD_MS = 5000;
  let told = 0;
  function announce(text) {
    clearTimeout(announcing);
    announcing = setTimeout(() => {
      const here = announcers[nextAnnouncer];
      nextAnnouncer = 1 - nextAnnouncer;
      announcers[nextAnnouncer].textContent = '';
      here.textContent = text.replace(/\r\n/g, '\n') + (nextAnnouncer ? '\u200b' : '');
      clearTimeout(told);
      told = setTimeout(() => { for (const a of announcers) a.textContent = ''; }, TOLD_MS);
    }, 300);
  }

  // The dialog's summary, unseen, after its buttons: a screen reader reads a
  // page that has just opened from the keyboard's button on, and so reads
  // it once, without a message of its own cutting into that reading.
  const dialogTold = document.createElement('p');
  dialogTold.className = 'told';
  dialog.append(dialogTold);
  let openedWithPage = false;

  // The dialog as it opens: its name, what it is for, the choices made, the
  // button with the keyboard.
  function dialogSummary() {
    return `${dialog.getAttribute('aria-label')}. ${engine.spoken(dialog.id)}`;
  }

  // One line over the windows until the next game starts.
  function notice(text) {
    const note = $('notice');
    if (note.textContent === text && note.hidden === !text) return;
    note.textContent = text;
    note.hidden = !text;
    if (layoutMode) layout();
  }

  // The game in progress, kept for as long as the tab lasts; nothing once
  // it is left ("новая", "выход").
  function readKept() {
    try { return sessionStorage.getItem(KEPT); } catch (e) { return null; }
  }
  // A game that no longer fits the tab's storage is not kept at all, rather
  // than an older one in its place; the player is told once, and again after
  // a reload that starts afresh for it.
  const UNKEPT = KEPT + '-unkept';
  const UNKEPT_NOTE = $('notice').dataset.unkept;
  let unkept = false;
  function readUnkept() {
    try { return sessionStorage.getItem(UNKEPT) === '1'; } catch (e) { return false; }
  }
  // Written once the event that changed the game has been handled, so that
  // a key's answer never waits for it; a burst of changes is written once.
  let keeping = 0;
  function keep() {
    if (!keeping) keeping = setTimeout(writeKept, 0);
  }
  function writeKept() {
    keeping = 0;
    let record = null;
    try {
      record = engine.record();
      if (record) sessionStorage.setItem(KEPT, record);
      else sessionStorage.removeItem(KEPT);
      sessionStorage.removeItem(UNKEPT);
      unkept = false;
    } catch (e) {
      // No storage at all (a private window): the game just is not kept.
      if (!record || !(e.name === 'QuotaExceededError' || e.code === 22)) return;
      try {
        sessionStorage.removeItem(KEPT);
        sessionStorage.setItem(UNKEPT, '1');
      } catch (e2) { /* as little as that no longer fits either */ }
      if (!unkept) notice(UNKEPT_NOTE);
      unkept = true;
    }
  }
  // And at once when the tab is hidden or left, which may be its last chance.
  window.addEventListener('pagehide', () => { if (keeping) { clearTimeout(keeping); writeKept(); } });
  document.addEventListener('visibilitychange', () => { if (keeping && document.hidden) { clearTimeout(keeping); writeKept(); } });

  function bringUp(form) {
    if (form === game) {   // a fresh game, which fits again
      shown.clear();
      unkept = false;
    }
    place(form);
  }

  // Shows the engine's windows: those it opened or brought up come to the
  // front, those it closed go. The dialog and the game take the keyboard as
  // they come up; help and author when a key opened them.
  function sync() {
    const now = performance.now();
    let openedDialog = false;
    const hadKeyboard = Object.values(forms).find((f) => f.contains(document.activeElement));
    let takesKeyboard = null;
    for (const [name, form] of Object.entries(forms)) {
      if (!engine.isOpen(name)) continue;
      form.classList.remove('leaving');   // back before it had gone
      const fresh = form.hidden;
      const raises = engine.raises(name);
      if (!fresh && raised.get(form) === raises) continue;
      raised.set(form, raises);
      if (fresh) {
        form.hidden = false;
        bringUp(form);
      }
      form.style.zIndex = String(++zTop);
      engine.shown(name, now);
      if (engine.takesKeyboard(name)) takesKeyboard = form;
      if (form === dialog) openedDialog = true;
    }
    // The keyboard leaves a window that closes, for the window that comes up
    // or else for the command box, before the window goes.
    const closing = Object.entries(forms).find(([n, f]) => !engine.isOpen(n) && !f.hidden
                                                          && f.contains(document.activeElement));
    const keyboardLeaves = closing && !takesKeyboard && engine.isOpen(game.id) && !game.hidden;
    showChoices();
    if (engine.isOpen(game.id)) {
      render();
      notice(unkept ? UNKEPT_NOTE : '');
    }
    // The window that comes up takes the keyboard before any window goes:
    // were the one that has it hidden first, the keyboard would fall to the
    // page, and a screen reader with it (into its browse mode, where the
    // letters typed next are its own commands).
    if (takesKeyboard) keyboardTo(takesKeyboard);
    else if (keyboardLeaves) keyboardTo(game);
    for (const [name, form] of Object.entries(forms)) {
      if (engine.isOpen(name)) continue;
      if (closing && form === closing[1] && (takesKeyboard || keyboardLeaves)) hideOnceLeft(form, () => !engine.isOpen(name));
      else form.hidden = true;
    }
    // The dialog as the page opens is read with the page, its summary at its
    // end; as it comes up later, it is told.
    if (engine.isOpen(dialog.id)) {
      dialogTold.textContent = dialogSummary();
      if (openedDialog && !openedWithPage) announce(dialogTold.textContent);
    }
    openedWithPage = false;
    if (layoutMode === 'column') layoutColumn();
    keep();

    // Every "выход" ends the program, as does closing its last window.
    const over = engine.finished || Object.values(forms).every((f) => f.hidden);
    $('ended').hidden = !over;
    if (over) {
      $('restart').focus();
    } else if (hadKeyboard && hadKeyboard.hidden && !game.hidden && !takesKeyboard) {
      keyboardTo(game);
    }
  }

  // The game's keyboard is its input box; the dialog's, the button that goes
  // on; help's and author's, the button that closes them.
  let keyboardMoved = { to: null, at: -Infinity };
  function keyboardTo(form) {
    const target = form === game ? visibleBox() : form.querySelector('[data-keyboard]');
    if (target && !target.disabled) target.focus({ preventScroll: true });
    keyboardMoved = { to: form, at: performance.now() };
  }

  // A screen reader that was reading the page aloud when the key came puts
  // its reading place back a moment later, and with it the keyboard on the
  // page itself: the player's next letters would be the screen reader's
  // commands. Just after a window came up, the keyboard goes back to it.
  const KEYBOARD_SETTLES_MS = 1000;
  document.addEventListener('focusout', (e) => {
    if (e.relatedTarget) return;
    setTimeout(() => {
      const { to, at } = keyboardMoved;
      const onThePage = !document.activeElement || document.activeElement === document.body;
      if (onThePage && to && !to.hidden && performance.now() - at < KEYBOARD_SETTLES_MS) keyboardTo(to);
    }, 0);
  }, true);

  // The dialog's choices: the chosen one of each pair white, the other grey,
  // and the only one of its pair that Tab stops at.
  function showChoices() {
    for (const choice of dialog.querySelectorAll('[role="radio"]')) {
      const viewed = engine.widget(dialog.id, choice.dataset.name);
      const chosen = !!viewed && viewed.chosen;
      choice.setAttribute('aria-checked', String(chosen));
      choice.tabIndex = chosen ? 0 : -1;
      choice.classList.toggle('off', !chosen);
    }
  }

  // In a pair of choices the arrow keys choose the other one.
  for (const group of dialog.querySelectorAll('[role="radiogroup"]')) {
    group.addEventListener('keydown', (e) => {
      if (!engine || !['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight'].includes(e.key)) return;
      const other = [...group.querySelectorAll('[role="radio"]')].find((r) => r.getAttribute('aria-checked') !== 'true');
      if (!other) return;
      e.preventDefault();
      if (engine.press(dialog.id, other.dataset.name, e.timeStamp, false)) sync();
      other.focus();
    });
  }


  $('restart').addEventListener('click', () => { if (engine) startProgram(null); });

  // Every button of every window: the press goes to the engine, with the
  // event's time and whether a pointer made it (a button pressed from the
  // keyboard clicks with no count).
  for (const [name, form] of Object.entries(forms)) {
    for (const button of form.querySelectorAll('[data-press]')) {
      // A click leaves the keyboard where it was (Tab still reaches the button).
      button.addEventListener('mousedown', (e) => e.preventDefault());
      button.addEventListener('click', (e) => {
        if (engine && engine.press(name, button.dataset.name, e.timeStamp, e.detail > 0)) sync();
      });
    }
    // Esc closes help or author from the keyboard, as a window manager would.
    if (form.querySelector('[data-keyboard]') && form !== dialog) {
      form.addEventListener('keydown', (e) => {
        if (e.key !== 'Escape' || !engine || !engine.isOpen(name)) return;
        e.preventDefault();
        engine.close(name);
        sync();
      });
    }
  }

  function dragBy(form) {
    const strip = named(form, 'picTitlebar');
    let grab = null;
    strip.addEventListener('pointerdown', (e) => {
      // The column's windows stand where they are.
      if (e.button !== 0 || layoutMode !== 'windows' || !where.has(form)) return;
      e.preventDefault();
      const at = where.get(form);
      grab = { id: e.pointerId, dx: e.clientX / scale - at.x, dy: e.clientY / scale - at.y };
      strip.setPointerCapture(e.pointerId);
      form.style.zIndex = String(++zTop);
    });
    strip.addEventListener('pointermove', (e) => {
      // The left button alone drags; any other button state does nothing.
      if (!grab || e.pointerId !== grab.id || e.buttons !== 1) return;
      moveTo(form, e.clientX / scale - grab.dx, e.clientY / scale - grab.dy);
    });
    const drop = (e) => { if (grab && e.pointerId === grab.id) grab = null; };
    strip.addEventListener('pointerup', drop);
    strip.addEventListener('pointercancel', drop);
  }

  // A press anywhere in a window but an input box or the output box (where
  // text can be selected) leaves the keyboard where it was.
  // (Listened for on the window, and as pointer events, as the click on the
  // output box below: a mouse listener there would make screen readers call
  // every widget of every window clickable.)
  window.addEventListener('pointerdown', (e) => {
    const form = e.target.closest && e.target.closest('section.form');
    if (!form) return;
    // In the output box only a press the window takes starts a selection;
    // one just after the window appeared belongs to the double click that
    // opened it.
    const selecting = e.target.closest('.output') && engine && engine.takesPresses(form.id, e.timeStamp);
    if (!selecting && !e.target.closest('input')) e.preventDefault();
  });

  // Once the game is lost, Enter or a letter in the output box says what
  // can be done now.
  txtGame.addEventListener('keydown', (e) => {
    if (!engine || !engine.closing() || e.ctrlKey || e.altKey || e.metaKey) return;
    if (e.key !== 'Enter' && e.key.length !== 1) return;
    e.preventDefault();
    announce(engine.closing());
  });

  // A click on the output box leaves the keyboard in the input box, unless
  // the player is selecting text to copy.
  window.addEventListener('pointerup', (e) => {
    if (!txtGame.contains(e.target)) return;
    const selected = String(window.getSelection() || '');
    if (!selected && !game.hidden) visibleBox().focus({ preventScroll: true });
  });

  // --- showing the engine's game window -----------------------------------------

  let toldTurns = null;      // the game's answers told to a screen reader
  let toldPhrase = -1;       // and the completed phrase
  const shown = new Map();   // element -> the text it shows
  function setText(el, text) {
    if (shown.get(el) === text) return false;
    shown.set(el, text);
    el.textContent = text;
    return true;
  }

  const labels = ['lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff'].map((n) => [n, named(game, n)]);
  const slots = Array.from(game.querySelectorAll('[data-name^="lblInv"]'), (_, i) => named(game, 'lblInv' + i));
  const inventory = game.querySelector('.inventory');
  const inventoryName = inventory.getAttribute('aria-label');

  function visibleBox() { return engine.game.password ? txtPwd : txtCon; }
  const prompt = named(game, 'Label1');

  // What had the keyboard goes out of sight at once but leaves the page only
  // with the player's next key or touch: the browser tells a screen reader
  // where the keyboard went first, and the screen reader follows it as any
  // move (into a text box, in its focus mode). Were it gone at once, the
  // screen reader would hear of the loss before the move (the browser tells
  // of a batch of changes losses first) and quietly settle on its own, in
  // browse mode, where the letters typed next are its commands.
  function hideOnceLeft(el, stillHidden) {
    el.classList.add('leaving');
    const go = () => {
      for (const type of ['keydown', 'pointerdown', 'beforeinput']) document.removeEventListener(type, go, true);
      el.classList.remove('leaving');
      if (stillHidden()) el.hidden = true;
    };
    for (const type of ['keydown', 'pointerdown', 'beforeinput']) document.addEventListener(type, go, true);
  }

  function showBox(el, box, hadKeyboard) {
    if (el.value !== box.text) el.value = box.text;
    if (!box.visible && !el.hidden && hadKeyboard) hideOnceLeft(el, () => !engine.box(el.dataset.name).visible);
    else if (el.hidden === box.visible) el.hidden = !box.visible;
    if (box.visible) el.classList.remove('leaving');
    if (el.disabled === box.enabled) el.disabled = !box.enabled;
    const end = box.start + box.length;
    if (el.selectionStart !== box.start || el.selectionEnd !== end) el.setSelectionRange(box.start, end, 'forward');
  }

  function render() {
    const hadKeyboard = document.activeElement;
    const focusWasIn = hadKeyboard === txtCon || hadKeyboard === txtPwd;
    const reply = engine.text('txtGame').replace(/\r\n/g, '\n');
    if (setText(txtGame, reply)) txtGame.scrollTop = keyboardUp() ? txtGame.scrollHeight : 0;
    for (const [name, el] of labels) {
      setText(el, engine.text(name));
      // A counter is named with its value, which is what Tab comes to it for.
      const spoken = engine.box(name).spoken;
      if (spoken && el.getAttribute('aria-label') !== spoken) el.setAttribute('aria-label', spoken);
    }
    let packed = false;
    slots.forEach((el, i) => { packed = setText(el, engine.text('lblInv' + i)) || packed; });
    // The list is one stop for the keyboard, named with what it holds.
    const carried = slots.map((el) => el.textContent).filter(Boolean);
    const listName = carried.length ? `${inventoryName}: ${carried.join(', ')}` : inventoryName;
    if (inventory.getAttribute('aria-label') !== listName) inventory.setAttribute('aria-label', listName);
    // The column shows only the slots that hold something.
    if (packed && layoutMode === 'column') layoutColumn();
    showBox(txtCon, engine.box('txtCon'), txtCon === hadKeyboard);
    showBox(txtPwd, engine.box('txtPwd'), txtPwd === hadKeyboard);
    // A box that takes no input looks it: its prompt goes grey with its text.
    prompt.style.color = engine.box('Label1').colour;
    // The closing lines of a lost game stand at the end of the reply.
    if (txtCon.disabled) txtGame.scrollTop = txtGame.scrollHeight;
    const want = visibleBox();
    if (focusWasIn && document.activeElement !== want && !want.disabled) want.focus({ preventScroll: true });
    // The game is lost: the keyboard goes from the dead command box to the
    // output box, where its closing lines can be read again.
    if (focusWasIn && want.disabled) txtGame.focus({ preventScroll: true });
    showCompletion('');
    // Every answer of the game is told once, also one the same as the last.
    const turns = engine.turns();
    const phrase = engine.phrase();
    const box = engine.visibleBox();
    if (turns !== toldTurns) {
      toldTurns = turns;
      announce(engine.answer());
    } else if (phrase !== toldPhrase && phrase >= 0 && box.length > 0) {
      // The whole phrase the completion made of the typed letters, once, as
      // it changes; nothing when it is just what was typed.
      announce(box.text);
    }
    toldPhrase = phrase;
    keep();
  }

  // --- the input boxes ---------------------------------------------------------
  // Whatever the player does in a box reaches the engine's visible box, which
  // is the one on screen; the box then shows the engine's answer.

  // The keys the game handles itself. The caret keys are the box's own: it
  // moves the caret and the engine hears where to (selectionchange).
  const GAME_KEYS = { Enter: 'Enter', Escape: 'Escape', ArrowUp: 'Up', Backspace: 'Backspace', Delete: 'Delete' };

  const inGame = (el) => engine && !game.hidden && el === visibleBox();

  // The engine learns where the player has put the caret before an edit, so
  // that the edit starts from the same selection in both.
  function tellSelection(el) {
    const box = engine.visibleBox();
    if (el.value !== box.text) return;
    const start = el.selectionStart, length = el.selectionEnd - el.selectionStart;
    if (start !== box.start || length !== box.length) engine.select(start, length);
  }

  // The edits an on-screen keyboard sends without key codes that are the
  // game's keys all the same.
  function inputKey(e) {
    switch (e.inputType) {
      case 'deleteContentBackward': return 'Backspace';
      case 'deleteContentForward': return 'Delete';
      case 'insertLineBreak': case 'insertParagraph': return 'Enter';
      default: return null;
    }
  }

  // The caret the player moves by tapping or with the arrows reaches the
  // engine as it moves, so that an edit reported only afterwards starts from it.
  document.addEventListener('selectionchange', () => {
    const el = document.activeElement;
    if ((el === txtCon || el === txtPwd) && inGame(el)) tellSelection(el);
  });

  function gameKey(el, key) {
    tellSelection(el);
    engine.key(key);
    render();
    // The command Up brought back is told.
    if (key === 'Up' && el.value) announce(el.value);
  }

  // An edit the box made on its own (an input method, a drop, deleting a
  // word, an undo): its new text and caret. The engine tells typing from the rest.
  function takeEdit(el) {
    engine.edit(el.value, el.selectionStart);
    render();
  }

  // The command line's own Esc and Up, on a touch screen: they clear the
  // box and bring back the last command, and leave the keyboard in the box.
  const touchKeys = touch.matches ? [...$('touchkeys').querySelectorAll('button')] : [];
  for (const k of touchKeys) {
    game.appendChild(k);
    k.addEventListener('mousedown', (e) => e.preventDefault());
    k.addEventListener('click', () => {
      const box = visibleBox();
      if (!inGame(box) || box.disabled) return;
      gameKey(box, k.dataset.key);
      box.focus({ preventScroll: true });
    });
  }

  // While an input method composes a word, the easy game's completion of it
  // shows as a grey tail after the box's text; the engine completes the
  // word for real once it is committed.
  const ghost = document.createElement('div');
  ghost.className = 'ghost';
  ghost.setAttribute('aria-hidden', 'true');
  ghost.hidden = true;
  const ghostTyped = ghost.appendChild(document.createElement('span'));
  const ghostTail = ghost.appendChild(document.createElement('span'));
  ghostTyped.className = 'typed';
  game.appendChild(ghost);

  function showCompletion(text) {
    const box = visibleBox();
    const phrase = text && box.selectionEnd === text.length ? engine.completion(text) : '';
    ghost.hidden = phrase.length <= text.length || box.scrollLeft > 0;
    if (ghost.hidden) return;
    ghostTyped.textContent = text;
    ghostTail.textContent = phrase.slice(text.length);
    for (const side of ['left', 'top', 'width', 'height']) ghost.style[side] = box.style[side];
  }

  for (const el of [txtCon, txtPwd]) {
    let composing = false;
    el.addEventListener('keydown', (e) => {
      if (e.isComposing || composing || e.keyCode === 229 || !inGame(el)) return;
      const key = GAME_KEYS[e.key];
      if (key === undefined) return;
      e.preventDefault();
      gameKey(el, key);
    });
    el.addEventListener('beforeinput', (e) => {
      if (composing || e.isComposing || !inGame(el)) return;
      tellSelection(el);
      if (!e.cancelable) return;   // the input event below takes it
      // An on-screen keyboard's deletions are the game's Backspace and Delete.
      const key = inputKey(e);
      if (key) {
        e.preventDefault();
        gameKey(el, key);
      } else if (e.inputType === 'insertText' && e.data) {
        // Characters typed go to the engine, which fills the box.
        e.preventDefault();
        engine.type(e.data);
        render();
      }
    });
    el.addEventListener('input', (e) => {
      if (!inGame(el)) return;
      if (composing || e.isComposing) {
        showCompletion(el.value);
        return;
      }
      const key = inputKey(e);
      if (key) {
        // The box has deleted already: the engine decides from the text it
        // had, and the box then shows the engine's answer.
        engine.key(key);
        render();
      } else {
        takeEdit(el);
      }
    });
    el.addEventListener('compositionstart', () => { composing = true; });
    // The input method finishes its own update of the box after this event:
    // the engine takes the committed text once it has.
    el.addEventListener('compositionend', () => {
      composing = false;
      setTimeout(() => { if (!composing && inGame(el)) takeEdit(el); }, 0);
    });
    // A paste goes to the engine whole: the one-line box keeps the text up
    // to its first line break.
    el.addEventListener('paste', (e) => {
      if (!inGame(el)) return;
      e.preventDefault();
      tellSelection(el);
      engine.paste(e.clipboardData ? e.clipboardData.getData('text/plain') : '');
      render();
    });
  }

  // --- start-up ---------------------------------------------------------------

  for (const form of Object.values(forms)) dragBy(form);
  window.addEventListener('resize', layout);
  // An on-screen keyboard opening or closing: the column keeps the command
  // line just above it.
  if (window.visualViewport) {
    const refit = () => { if (layoutMode === 'column') layoutColumn(); };
    window.visualViewport.addEventListener('resize', refit);
    window.visualViewport.addEventListener('scroll', refit);
  }
  // The page comes with the program's first window, the dialog, shown as the
  // program opens it, so that it is there before the engine has loaded;
  // unless the tab keeps a game, which the engine brings back instead.
  const kept = readKept();
  if (kept) for (const form of Object.values(forms)) form.hidden = true;
  // The dialog's button has the keyboard before the page has loaded: a
  // screen reader reads a page that has just loaded from where the keyboard
  // is, which is the dialog's end, past the announcers at its start.
  else {
    dialog.querySelector('[data-keyboard]').focus({ preventScroll: true });
    openedWithPage = true;
  }
  layout();
  createTarnvale().then((m) => {
    engine = new Engine(m);
    startProgram(kept);
  }).catch((err) => {
    const ended = $('ended');
    ended.querySelector('p').textContent = 'Игра не загрузилась: ' + err;
    $('restart').hidden = true;
    ended.hidden = false;
  });

  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
})();
