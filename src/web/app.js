// The page: four windows over the game engine. The engine decides every key
// the game handles; the page only shows the engine's window.
'use strict';

(function () {
  const Engine = self.TarnvaleEngine;
  const PX_PER_TWIP = 1 / 15;               // 96 dots per inch
  const GAME_W = 7815 * PX_PER_TWIP, GAME_H = 5655 * PX_PER_TWIP;
  const INFO_W = 4755 * PX_PER_TWIP, INFO_H = 3195 * PX_PER_TWIP;
  const GAP = 8;                            // between windows, in layout pixels
  const FONT_PX = 13;                       // the bold face at 9.75 points
  const SETTLE_MS = 500;                    // a window's buttons wait this long after it opens

  const $ = (id) => document.getElementById(id);
  const named = (form, name) => form.querySelector(`[data-name="${name}"]`);
  const forms = { frmNew: $('frmNew'), frmTargame: $('frmTargame'), frmHelp: $('frmHelp'), frmAuthor: $('frmAuthor') };
  const game = forms.frmTargame;
  const txtCon = named(game, 'txtCon'), txtPwd = named(game, 'txtPwd');
  const txtGame = named(game, 'txtGame');

  let engine = null;
  const engineReady = createTarnvale().then((m) => { engine = new Engine(m); });
  const settings = { easy: false, music: false };
  let scale = 1;
  let zTop = 1;
  const where = new Map();                  // form -> {x, y} in layout pixels

  // --- layout -------------------------------------------------------------

  function fitScale() {
    const w = window.innerWidth, h = window.innerHeight;
    // Landscape: room for help or author beside the game; portrait: below it.
    const s = w >= h ? Math.min(w / (GAME_W + GAP + INFO_W + 2 * GAP), h / (GAME_H + 2 * GAP))
                     : Math.min(w / GAME_W, h / (GAME_H + GAP + INFO_H));
    return Math.max(0.3, Math.min(2.5, s));
  }

  // A length in CSS pixels that is a whole number of device pixels.
  function crisp(px) {
    const dpr = window.devicePixelRatio || 1;
    return Math.max(1, Math.round(px * dpr)) / dpr;
  }

  function placeWidgets(form) {
    const s = scale;
    const W = Number(form.dataset.w), H = Number(form.dataset.h);
    form.style.width = `${W * PX_PER_TWIP * s}px`;
    form.style.height = `${H * PX_PER_TWIP * s}px`;
    form.style.fontSize = `${FONT_PX * s}px`;
    form.style.setProperty('--line', `${crisp(s)}px`);
    const box = (el, l, t, w, h) => {
      el.style.left = `${l * PX_PER_TWIP * s}px`;
      el.style.top = `${t * PX_PER_TWIP * s}px`;
      el.style.width = `${w * PX_PER_TWIP * s}px`;
      el.style.height = `${h * PX_PER_TWIP * s}px`;
    };
    for (const el of form.querySelectorAll('[data-r]')) {
      const [l, t, w, h] = el.dataset.r.split(',').map(Number);
      box(el, l, t, w, h);
      if (el.classList.contains('line')) el.style.height = 'var(--line)';
    }
    const big = form === game;
    box(named(form, 'picTitlebar'), 30, 30, W - 60, 255);
    let outline = form.querySelector('.outline');
    if (!outline) {
      outline = document.createElement('div');
      outline.className = 'outline';
      outline.setAttribute('aria-hidden', 'true');
      form.append(outline);   // drawn over the widgets, as the frame is
    }
    if (big) box(outline, 15, 15, 7785, 5625);
    else box(outline, 30, 30, 4695, 3135);
  }

  function sizeOf(form) {
    return form === game ? [GAME_W, GAME_H] : [INFO_W, INFO_H];
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
    const room = form === game && !portrait ? GAP + INFO_W : 0;
    moveTo(form, Math.max(0, (vw - w - room) / 2), portrait ? 0 : Math.max(0, (vh - h) / 2));
  }

  // Beside the game window, covering nothing of it (nor of the other open
  // window) where the screen allows.
  function placeBeside(form) {
    const [vw, vh] = viewport();
    const g = where.get(game) || { x: 0, y: 0 };
    const taken = [[g.x, g.y, GAME_W, GAME_H]];
    for (const other of [forms.frmHelp, forms.frmAuthor])
      if (other !== form && !other.hidden) taken.push([where.get(other).x, where.get(other).y, INFO_W, INFO_H]);
    const spots = [
      [g.x + GAME_W + GAP, g.y], [g.x + GAME_W + GAP, g.y + INFO_H + GAP],
      [g.x - INFO_W - GAP, g.y], [g.x - INFO_W - GAP, g.y + INFO_H + GAP],
      [g.x, g.y + GAME_H + GAP], [g.x + GAME_W - INFO_W, g.y + GAME_H + GAP],
      [g.x, g.y - INFO_H - GAP],
    ];
    const fits = ([x, y]) => x >= 0 && y >= 0 && x + INFO_W <= vw + 0.5 && y + INFO_H <= vh + 0.5;
    const free = ([x, y]) => taken.every(([tx, ty, tw, th]) =>
      x >= tx + tw || x + INFO_W <= tx || y >= ty + th || y + INFO_H <= ty);
    const spot = spots.find((p) => fits(p) && free(p))
      || [Math.max(0, vw - INFO_W - (taken.length - 1) * 24), Math.max(0, vh - INFO_H - (taken.length - 1) * 24)];
    moveTo(form, spot[0], spot[1]);
  }

  function layout() {
    scale = fitScale();
    for (const form of Object.values(forms)) {
      placeWidgets(form);
      const at = where.get(form);
      if (at) moveTo(form, at.x, at.y);
    }
  }

  // --- windows ------------------------------------------------------------

  function show(form) {
    form.hidden = false;
    form.dataset.opened = String(performance.now());
    form.style.zIndex = String(++zTop);
  }

  function hide(form) { form.hidden = true; }

  // A press that belongs to the click before, the second of a double click or
  // one arriving while the window has just appeared under the pointer, never
  // presses a button of the window that the first click opened.
  function settled(form, event) {
    if (event.detail >= 2) return false;
    return performance.now() - Number(form.dataset.opened || 0) >= SETTLE_MS;
  }

  function onButton(form, name, action) {
    const button = named(form, name);
    // A click leaves the keyboard where it was (Tab still reaches the button).
    button.addEventListener('mousedown', (e) => e.preventDefault());
    button.addEventListener('click', (e) => {
      if (settled(form, e)) action(e);
    });
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

  // --- the new-game dialog ------------------------------------------------

  const dialog = forms.frmNew;
  function choose(on, off, value) {
    named(dialog, on).classList.remove('off');
    named(dialog, off).classList.add('off');
    named(dialog, on).setAttribute('aria-checked', 'true');
    named(dialog, off).setAttribute('aria-checked', 'false');
    return value;
  }

  function openDialog() {
    settings.music = choose('lblMusOn', 'lblMusOff', true);
    settings.easy = choose('lblHard', 'lblEasy', false);
    $('ended').hidden = true;
    show(dialog);
    centre(dialog);
    named(dialog, 'lblStart').focus({ preventScroll: true });
  }

  onButton(dialog, 'lblHard', () => { settings.easy = choose('lblHard', 'lblEasy', false); });
  onButton(dialog, 'lblEasy', () => { settings.easy = choose('lblEasy', 'lblHard', true); });
  onButton(dialog, 'lblMusOn', () => { settings.music = choose('lblMusOn', 'lblMusOff', true); });
  onButton(dialog, 'lblMusOff', () => { settings.music = choose('lblMusOff', 'lblMusOn', false); });
  onButton(dialog, 'lblNote', () => {});
  onButton(dialog, 'lblStart', () => { engineReady.then(openGame); });
  onButton(dialog, 'lblExit', endProgram);

  // --- the game window ------------------------------------------------------

  function openGame() {
    // A page cannot start the music program: the choice is kept and no more.
    engine.start(settings.easy, settings.music);
    shown.clear();
    show(game);
    if (!where.has(game)) centre(game);
    else moveTo(game, where.get(game).x, where.get(game).y);
    hide(dialog);
    render();
    visibleBox().focus({ preventScroll: true });
  }

  function endProgram() {
    for (const form of Object.values(forms)) hide(form);
    $('ended').hidden = false;
    $('restart').focus();
  }
  $('restart').addEventListener('click', openDialog);

  onButton(game, 'lblNew', () => { openDialog(); hide(game); });
  onButton(game, 'lbExit', endProgram);
  for (const [button, form] of [['lblHelp', forms.frmHelp], ['lblAuthor', forms.frmAuthor]]) {
    onButton(game, button, () => {
      if (form.hidden) {
        show(form);
        placeBeside(form);
      } else {
        form.style.zIndex = String(++zTop);
      }
    });
    onButton(form, 'lblExit', () => {
      const hadFocus = form.contains(document.activeElement);
      hide(form);
      if (hadFocus && !game.hidden) visibleBox().focus({ preventScroll: true });
    });
  }

  // A press anywhere in a window but an input box or the output box (where
  // text can be selected) leaves the keyboard where it was.
  for (const form of Object.values(forms)) {
    form.addEventListener('mousedown', (e) => {
      // In the output box only a fresh press starts a selection; the second
      // press of a double click there belongs to the window it opened.
      const selecting = e.target.closest('.output') && settled(form, e);
      if (!selecting && !e.target.closest('input')) e.preventDefault();
    });
  }

  // A click on the output box leaves the keyboard in the input box, unless
  // the player is selecting text to copy.
  txtGame.addEventListener('click', () => {
    const selected = String(window.getSelection() || '');
    if (!selected && !game.hidden) visibleBox().focus({ preventScroll: true });
  });

  // --- showing the engine's window --------------------------------------------

  const shown = new Map();   // element -> the text it shows
  function setText(el, text) {
    if (shown.get(el) === text) return false;
    shown.set(el, text);
    el.textContent = text;
    return true;
  }

  const labels = ['lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff'].map((n) => [n, named(game, n)]);
  const slots = Array.from({ length: 10 }, (_, i) => named(game, 'lblInv' + i));

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
    for (let i = 0; i < 10; ++i) {
      const item = engine.inv(i);
      if (setText(slots[i], item)) slots[i].setAttribute('aria-label', item ? item : `слот ${i + 1} пуст`);
    }
    showBox(txtCon, engine.box(Engine.CON));
    showBox(txtPwd, engine.box(Engine.PWD));
    // The closing lines of a lost game stand at the end of the reply.
    if (txtCon.disabled) txtGame.scrollTop = txtGame.scrollHeight;
    const want = visibleBox();
    if (focusWasIn && document.activeElement !== want && !want.disabled) want.focus({ preventScroll: true });
  }

  // --- the input boxes ---------------------------------------------------------

  const GAME_KEYS = { Enter: 13, Escape: 27, ArrowUp: 38, Backspace: 8, Delete: 46 };
  const which = (el) => (el === txtPwd ? Engine.PWD : Engine.CON);

  // The engine learns where the player has put the caret before an edit, so
  // that the edit starts from the same selection in both.
  function tellSelection(el) {
    const box = engine.box(which(el));
    if (el.value !== box.text) return;
    const start = el.selectionStart, length = el.selectionEnd - el.selectionStart;
    if (start !== box.start || length !== box.length) engine.select(which(el), start, length);
  }

  function inputKey(e) {
    switch (e.inputType) {
      case 'deleteContentBackward': return 8;
      case 'deleteContentForward': return 46;
      case 'insertLineBreak': case 'insertParagraph': return 13;
      default: return 0;
    }
  }

  // The caret the player moves by tapping or with the arrows reaches the
  // engine as it moves, so that an edit reported only afterwards starts from it.
  document.addEventListener('selectionchange', () => {
    const el = document.activeElement;
    if (engine && (el === txtCon || el === txtPwd)) tellSelection(el);
  });

  function gameKey(el, code) {
    tellSelection(el);
    engine.key(which(el), code);
    render();
  }

  // An edit the input made on its own: typing replaces the selection with the
  // typed characters; anything else goes over as the new text and caret.
  function takeEdit(el) {
    const before = engine.box(which(el));
    const was = before.text, now = el.value;
    const start = before.start;
    const kept = was.length - before.length;
    const inserted = now.length - kept;
    const caret = el.selectionStart;
    const typed = inserted > 0 && caret === start + inserted
      && now.slice(0, start) === was.slice(0, start)
      && now.slice(start + inserted) === was.slice(start + before.length);
    if (typed) engine.type(which(el), now.substr(start, inserted));
    else engine.edit(which(el), now, caret);
    render();
  }

  for (const el of [txtCon, txtPwd]) {
    let composing = false;
    el.addEventListener('keydown', (e) => {
      if (e.isComposing || composing || e.keyCode === 229 || !engine) return;
      const code = GAME_KEYS[e.key];
      if (code === undefined) return;
      e.preventDefault();
      gameKey(el, code);
    });
    // An on-screen keyboard sends its edits as input events without key codes:
    // its deletions are the game's Backspace and Delete all the same.
    el.addEventListener('beforeinput', (e) => {
      if (composing || e.isComposing || !engine) return;
      const code = inputKey(e);
      if (!code) return;
      tellSelection(el);
      if (!e.cancelable) return;   // the input event below takes it
      e.preventDefault();
      gameKey(el, code);
    });
    el.addEventListener('input', (e) => {
      if (composing || e.isComposing || !engine) return;
      const code = inputKey(e);
      if (code) {
        // The box has deleted already: the engine decides from the text it
        // had, and the box then shows the engine's answer.
        engine.key(which(el), code);
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
      setTimeout(() => { if (engine && !composing) takeEdit(el); }, 0);
    });
    // A paste into the one-line box takes the text up to its first line break.
    el.addEventListener('paste', (e) => {
      if (!engine) return;
      e.preventDefault();
      const text = (e.clipboardData ? e.clipboardData.getData('text/plain') : '').split(/\r|\n/)[0];
      if (!text) return;
      tellSelection(el);
      engine.type(which(el), text);
      render();
    });
  }

  // --- start-up ---------------------------------------------------------------

  for (const form of Object.values(forms)) dragBy(form);
  window.addEventListener('resize', layout);
  layout();
  openDialog();
  engineReady.catch((err) => {
    setText(txtGame, 'Игра не загрузилась: ' + err);
  });

  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('sw.js').catch(() => {});
  }
})();
