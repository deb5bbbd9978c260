// The page: the program's four windows over the engine. The windows come
// written into the page from their description (make_page.cpp); the engine
// decides which of them are open, what every press of a button does and
// every key the game handles. The page shows what the engine says and
// brings in what only a browser knows: the time, the screen, the pointer.
'use strict';

(function () {
  const Engine = self.TarnvaleEngine;
  const PX_PER_TWIP = 1 / 15;               // 96 dots per inch
  const GAP = 8;                            // between windows, in layout pixels
  const FONT_PX = 13;                       // the bold face at 9.75 points
  // The page's double-click interval: for this long after a window appears,
  // a click in it finishes the double click that opened it.
  const DOUBLE_CLICK_MS = 500;

  const $ = (id) => document.getElementById(id);
  const named = (form, name) => form.querySelector(`[data-name="${name}"]`);
  // The windows by the engine's names for them, in the page's order.
  const forms = {};
  for (const form of document.querySelectorAll('section.form[data-window]')) forms[form.dataset.window] = form;
  const game = forms.Game;
  const txtCon = named(game, 'txtCon'), txtPwd = named(game, 'txtPwd');
  const txtGame = named(game, 'txtGame');

  // A window's size in layout pixels.
  const sizeOf = (form) => [Number(form.dataset.w) * PX_PER_TWIP, Number(form.dataset.h) * PX_PER_TWIP];
  const [GAME_W, GAME_H] = sizeOf(game);
  // The room help or author takes beside the game.
  const besides = [forms.Help, forms.Author].map(sizeOf);
  const BESIDE_W = Math.max(...besides.map(([w]) => w)), BESIDE_H = Math.max(...besides.map(([, h]) => h));

  let engine = null;
  let scale = 1;
  let zTop = 1;
  const where = new Map();                  // form -> {x, y} in layout pixels
  const raised = new Map();                 // form -> the engine's count of its raises, as last shown

  // --- layout -------------------------------------------------------------

  function fitScale() {
    const w = window.innerWidth, h = window.innerHeight;
    // Landscape: room for help or author beside the game; portrait: below it.
    const s = w >= h ? Math.min(w / (GAME_W + GAP + BESIDE_W + 2 * GAP), h / (GAME_H + 2 * GAP))
                     : Math.min(w / GAME_W, h / (GAME_H + GAP + BESIDE_H));
    return Math.max(0.3, Math.min(2.5, s));
  }

  // A length in CSS pixels that is a whole number of device pixels.
  function crisp(px) {
    const dpr = window.devicePixelRatio || 1;
    return Math.max(1, Math.round(px * dpr)) / dpr;
  }

  const rectOf = (el) => el.dataset.r.split(',').map(Number);

  function placeWidgets(form) {
    const s = scale;
    const [W, H] = sizeOf(form);
    form.style.width = `${W * s}px`;
    form.style.height = `${H * s}px`;
    form.style.fontSize = `${FONT_PX * s}px`;
    form.style.setProperty('--line', `${crisp(s)}px`);
    for (const el of form.querySelectorAll('[data-r]')) {
      let [l, t, w, h] = rectOf(el);
      // A label on an input box's line stands in the box's height, centred
      // as the box centres its text, so that both share one baseline.
      if (el.dataset.line) [, t, , h] = rectOf(named(form, el.dataset.line));
      el.style.left = `${l * PX_PER_TWIP * s}px`;
      el.style.top = `${t * PX_PER_TWIP * s}px`;
      el.style.width = `${w * PX_PER_TWIP * s}px`;
      el.style.height = el.classList.contains('line') ? 'var(--line)' : `${h * PX_PER_TWIP * s}px`;
    }
  }

  function viewport() { return [window.innerWidth / scale, window.innerHeight / scale]; }

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
    const portrait = window.innerWidth < window.innerHeight;
    // In landscape the game leaves room on its right for help or author.
    const room = form === game && !portrait ? GAP + BESIDE_W : 0;
    moveTo(form, Math.max(0, (vw - w - room) / 2), portrait ? 0 : Math.max(0, (vh - h) / 2));
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
    const taken = Object.values(forms).filter((f) => f !== game && f !== form && !f.hidden).map(boxOf);
    const [w, h] = sizeOf(form);
    const place = engine.placeBeside(boxOf(game), w, h, { x: 0, y: 0, width: vw, height: vh }, taken, GAP);
    moveTo(form, place.x, place.y);
  }

  function layout() {
    scale = fitScale();
    for (const form of Object.values(forms)) {
      placeWidgets(form);
      const at = where.get(form);
      if (at) moveTo(form, at.x, at.y);
    }
  }

  // --- the windows, as the engine has them ------------------------------------

  function startProgram() {
    raised.clear();
    engine.start(performance.now());
    engine.setDoubleClickInterval(DOUBLE_CLICK_MS);
    sync();
  }

  // A window that comes up where it belongs: the dialog and the game in the
  // middle (the game where it was before), help and author beside the game.
  function bringUp(form) {
    if (form === game) {
      shown.clear();   // a fresh game
      const at = where.get(game);
      if (at) moveTo(game, at.x, at.y);
      else centre(game);
    } else if (form === forms.Dialog) {
      centre(form);
    } else {
      placeBeside(form);
    }
  }

  // Shows the engine's windows: those it opened or brought up come to the
  // front, those it closed go. The dialog and the game take the keyboard as
  // they come up; help and author leave it where it was.
  function sync() {
    const now = performance.now();
    const hadKeyboard = Object.values(forms).find((f) => f.contains(document.activeElement));
    let takesKeyboard = null;
    for (const [name, form] of Object.entries(forms)) {
      if (!engine.isOpen(name)) continue;
      const fresh = form.hidden;
      const raises = engine.raises(name);
      if (!fresh && raised.get(form) === raises) continue;
      raised.set(form, raises);
      if (fresh) {
        form.hidden = false;
        bringUp(form);
      }
      form.style.zIndex = String(++zTop);
      engine.appeared(name, now);
      if (engine.takesKeyboard(name)) takesKeyboard = form;
    }
    for (const [name, form] of Object.entries(forms)) {
      if (!engine.isOpen(name)) form.hidden = true;
    }
    showChoices();
    if (!game.hidden) render();

    // Every "выход" ends the program, as does closing its last window.
    const over = engine.finished() || Object.values(forms).every((f) => f.hidden);
    $('ended').hidden = !over;
    if (over) {
      $('restart').focus();
    } else if (takesKeyboard) {
      keyboardTo(takesKeyboard);
    } else if (hadKeyboard && hadKeyboard.hidden && !game.hidden) {
      keyboardTo(game);
    }
  }

  // The game's keyboard is its input box; the dialog's, the button that goes on.
  function keyboardTo(form) {
    const target = form === game ? visibleBox() : form.querySelector('[data-control="Start"]');
    if (target && !target.disabled) target.focus({ preventScroll: true });
  }

  // The dialog's choices: the chosen one of each pair white, the other grey.
  function showChoices() {
    for (const choice of forms.Dialog.querySelectorAll('[role="radio"][data-control]')) {
      const chosen = engine.chosen(choice.dataset.control);
      choice.setAttribute('aria-checked', String(chosen));
      choice.classList.toggle('off', !chosen);
    }
  }

  $('restart').addEventListener('click', () => { if (engine) startProgram(); });

  // Every button of every window: the press goes to the engine, with the
  // event's time and whether a pointer made it (a button pressed from the
  // keyboard clicks with no count).
  for (const [name, form] of Object.entries(forms)) {
    for (const button of form.querySelectorAll('[data-control]')) {
      // A click leaves the keyboard where it was (Tab still reaches the button).
      button.addEventListener('mousedown', (e) => e.preventDefault());
      button.addEventListener('click', (e) => {
        if (engine && engine.press(name, button.dataset.control, e.timeStamp, e.detail > 0)) sync();
      });
    }
    // Esc closes help or author from the keyboard, as a window manager would.
    if (name === 'Help' || name === 'Author') {
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
      if (e.button !== 0) return;
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
  for (const [name, form] of Object.entries(forms)) {
    form.addEventListener('mousedown', (e) => {
      // In the output box only a press the window takes starts a selection;
      // one just after the window appeared belongs to the double click that
      // opened it.
      const selecting = e.target.closest('.output') && engine && engine.takesPresses(name, e.timeStamp);
      if (!selecting && !e.target.closest('input')) e.preventDefault();
    });
  }

  // A click on the output box leaves the keyboard in the input box, unless
  // the player is selecting text to copy.
  txtGame.addEventListener('click', () => {
    const selected = String(window.getSelection() || '');
    if (!selected && !game.hidden) visibleBox().focus({ preventScroll: true });
  });

  // --- showing the engine's game window -----------------------------------------

  const shown = new Map();   // element -> the text it shows
  function setText(el, text) {
    if (shown.get(el) === text) return false;
    shown.set(el, text);
    el.textContent = text;
    return true;
  }

  const labels = ['lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff'].map((n) => [n, named(game, n)]);
  const slots = Array.from(game.querySelectorAll('[data-name^="lblInv"]'), (_, i) => named(game, 'lblInv' + i));
  const slotNames = slots.map((el) => el.getAttribute('aria-label'));

  function visibleBox() { return txtPwd.hidden ? txtCon : txtPwd; }

  function showBox(el, box) {
    if (el.value !== box.text) el.value = box.text;
    if (el.hidden === box.visible) el.hidden = !box.visible;
    if (el.disabled === box.enabled) el.disabled = !box.enabled;
    const end = box.start + box.length;
    if (el.selectionStart !== box.start || el.selectionEnd !== end) el.setSelectionRange(box.start, end, 'forward');
  }

  function render() {
    const focusWasIn = document.activeElement === txtCon || document.activeElement === txtPwd;
    const reply = engine.text('txtGame').replace(/\r\n/g, '\n');
    if (setText(txtGame, reply)) txtGame.scrollTop = 0;
    for (const [name, el] of labels) setText(el, engine.text(name));
    slots.forEach((el, i) => {
      const item = engine.inv(i);
      if (setText(el, item)) el.setAttribute('aria-label', item ? `${slotNames[i]}: ${item}` : slotNames[i]);
    });
    showBox(txtCon, engine.box(Engine.CON));
    showBox(txtPwd, engine.box(Engine.PWD));
    // The closing lines of a lost game stand at the end of the reply.
    if (txtCon.disabled) txtGame.scrollTop = txtGame.scrollHeight;
    const want = visibleBox();
    if (focusWasIn && document.activeElement !== want && !want.disabled) want.focus({ preventScroll: true });
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
  }

  // An edit the box made on its own (an input method, a drop, deleting a
  // word, an undo): its new text and caret. The engine tells typing from the rest.
  function takeEdit(el) {
    engine.edit(el.value, el.selectionStart);
    render();
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
      if (composing || e.isComposing || !inGame(el)) return;
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
  layout();
  createTarnvale().then((m) => {
    engine = new Engine(m);
    startProgram();
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
