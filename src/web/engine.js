// The game engine in the module's memory, seen from JavaScript: the program's
// windows and the game in progress. The page and the node transcript runner
// both play through this class.
'use strict';

(function (root) {
  const TEXT = { txtGame: 0, lblAction: 1, lblSteps: 2, lblMoney: 3, lblPoints: 4, lblDiff: 5,
                 lblInv0: 6, txtCon: 16, txtPwd: 17, record: 18, resumeFailed: 19, completion: 20, answer: 21 };
  const INT = { conStart: 0, conLength: 1, conVisible: 2, conEnabled: 3,
                pwdStart: 4, pwdLength: 5, pwdVisible: 6, pwdEnabled: 7,
                location: 8, moves: 9, points: 10, money: 11, listSize: 12, listIndex: 13,
                music: 14, turns: 15, flag0: 16 };
  const FLAGS = ['urnSearched', 'hasEmptyPack', 'hasCheapCigs', 'hasDearCigs', 'baldDismissed',
                 'hasBrick', 'windowBroken', 'keyNoticed', 'hasDiskette', 'atComputer',
                 'loggedIn', 'disketteInserted', 'fileRead'];
  // The engine's enumerations by name, each in its order there: the windows,
  // what their buttons do, and the keys of an input box.
  const WINDOWS = ['Dialog', 'Game', 'Help', 'Author'];
  const CONTROLS = ['None', 'Hard', 'Easy', 'MusicOn', 'MusicOff', 'Note', 'Start',
                    'New', 'Author', 'Help', 'Exit', 'Close'];
  const KEYS = ['Enter', 'Escape', 'Up', 'Backspace', 'Delete', 'Left', 'Right', 'Home', 'End'];
  const CON = 0, PWD = 1;   // the game window's two input boxes

  // A name's place in its enumeration; an unknown name is a fault of the caller's.
  function indexOf(names, name, what) {
    const i = names.indexOf(name);
    if (i < 0) throw new Error(`no ${what} ${name}`);
    return i;
  }

  class Engine {
    constructor(module) {
      this.m = module;
      this.decoder = new TextDecoder('utf-16le');
    }

    check(result) {
      if (result < 0) throw new Error('the game engine failed');
      return result;
    }

    // Copies text into the module's input buffer; returns its length.
    put(text) {
      const at = this.m._tv_input(text.length) >> 1;
      const heap = this.m.HEAPU16;
      for (let i = 0; i < text.length; ++i) heap[at + i] = text.charCodeAt(i);
      return text.length;
    }

    // --- the program's windows ------------------------------------------------
    // Times are milliseconds on the page's clock (performance.now(), an
    // event's timeStamp).

    // A fresh program: the new-game dialog opens.
    start(now = 0) { this.check(this.m._tv_start(now)); }
    // The game in progress as text to keep, '' while there is none; and a
    // program with a kept game brought back: whether it came back (else the
    // dialog opened afresh, and resumeFailed() says so in one line).
    record() { return this.made(TEXT.record); }
    resume(record, now = 0) { return this.check(this.m._tv_resume(this.put(record), now)) === 1; }
    resumeFailed() { return this.text(TEXT.resumeFailed); }
    // A press of a window's button; whether the program took it. A press of
    // the mouse just after its window appeared finishes the double click
    // that opened it, and is no press.
    press(window, control, now, byMouse = false) {
      return this.check(this.m._tv_press(indexOf(WINDOWS, window, 'window'),
                                         indexOf(CONTROLS, control, 'control'), now, byMouse ? 1 : 0)) === 1;
    }
    close(window) { this.check(this.m._tv_close(indexOf(WINDOWS, window, 'window'))); }
    appeared(window, now) { this.check(this.m._tv_appeared(indexOf(WINDOWS, window, 'window'), now)); }
    takesPresses(window, now) { return this.m._tv_takes_presses(indexOf(WINDOWS, window, 'window'), now) !== 0; }
    setDoubleClickInterval(ms) { this.m._tv_set_double_click_interval(ms); }
    isOpen(window) { return this.m._tv_is_open(indexOf(WINDOWS, window, 'window')) !== 0; }
    // Changes whenever the window is opened or brought up again.
    raises(window) { return this.m._tv_raises(indexOf(WINDOWS, window, 'window')); }
    takesKeyboard(window) { return this.m._tv_takes_keyboard(indexOf(WINDOWS, window, 'window')) !== 0; }
    chosen(control) { return this.m._tv_chosen(indexOf(CONTROLS, control, 'control')) !== 0; }
    finished() { return this.m._tv_finished() !== 0; }

    // Where a window of width x height opens beside the game window `game`,
    // inside `screen`, away from the windows in `taken`; every box is
    // {x, y, width, height} in whole units of one kind.
    placeBeside(game, width, height, screen, taken, gap) {
      const boxes = [game, screen, ...taken];
      const at = this.m._tv_boxes(boxes.length) >> 2;
      const heap = this.m.HEAP32;
      boxes.forEach((b, i) => heap.set([b.x, b.y, b.width, b.height].map(Math.round), at + 4 * i));
      this.check(this.m._tv_place_beside(boxes.length, Math.round(width), Math.round(height), Math.round(gap)));
      const place = this.m.HEAP32.subarray(at, at + 4);
      return { x: place[0], y: place[1], width: place[2], height: place[3] };
    }

    // The dialog's way to a game with the given settings, pressed from the
    // keyboard: a fresh program, the two choices, "начать".
    play(easy, music, now = 0) {
      this.start(now);
      for (const control of [easy ? 'Easy' : 'Hard', music ? 'MusicOn' : 'MusicOff', 'Start'])
        this.press('Dialog', control, now);
      if (!this.isOpen('Game')) throw new Error('the game did not start');
    }

    // --- the player at the game's visible input box -----------------------------

    key(name) { this.check(this.m._tv_key(indexOf(KEYS, name, 'key'))); }
    type(text) { this.check(this.m._tv_type(this.put(text))); }
    // Any edit the page's box made on its own: the engine tells typing from the rest.
    edit(text, caret) { this.check(this.m._tv_edit(this.put(text), caret)); }
    select(start, length) { this.check(this.m._tv_select(start, length)); }
    paste(text) { this.check(this.m._tv_paste(this.put(text))); }
    submit(line) { return this.check(this.m._tv_submit(this.put(line))) === 1; }
    newGame() { this.check(this.m._tv_new_game()); }
    // The phrase the easy game would complete the command box to, were it to
    // hold `text`; '' for none.
    completion(text) { return this.units(TEXT.completion, this.m._tv_completion(this.put(text))); }

    // --- what the game window shows (nothing while it is closed) -----------------

    text(field) {
      const id = typeof field === 'number' ? field : TEXT[field];
      return this.units(id, this.m._tv_text_length(id));
    }
    // A text the module makes on request (the record, the answer): made once.
    made(id) { return this.units(id, this.check(this.m._tv_made_text(id))); }
    // The `length` units of a text field as a string.
    units(id, length) {
      if (length <= 0) return '';
      const at = this.m._tv_text(id);
      return this.decoder.decode(this.m.HEAPU8.subarray(at, at + 2 * length));
    }
    int(field) { return this.m._tv_int(INT[field]); }
    inv(slot) { return this.text(TEXT.lblInv0 + slot); }
    flag(name) { return this.m._tv_int(INT.flag0 + indexOf(FLAGS, name, 'flag')) !== 0; }
    passwordShown() { return this.int('pwdVisible') !== 0; }
    // Changes with every answer of the game (its start, every Enter a box
    // took); the answer as a screen reader should hear it.
    turns() { return this.int('turns'); }
    answer() { return this.made(TEXT.answer); }

    // One input box as the page shows it.
    box(which) {
      const p = which === PWD ? 'pwd' : 'con';
      return { text: this.text(which === PWD ? 'txtPwd' : 'txtCon'),
               start: this.int(p + 'Start'), length: this.int(p + 'Length'),
               visible: this.int(p + 'Visible') !== 0, enabled: this.int(p + 'Enabled') !== 0 };
    }
    // The box on screen: the command box, or the password box in its place.
    visibleBox() { return this.box(this.passwordShown() ? PWD : CON); }
  }

  Engine.CON = CON;
  Engine.PWD = PWD;
  Engine.WINDOWS = WINDOWS;
  Engine.CONTROLS = CONTROLS;
  Engine.KEYS = KEYS;
  Engine.FLAGS = FLAGS;

  if (typeof module !== 'undefined' && module.exports) module.exports = Engine;
  else root.TarnvaleEngine = Engine;
})(typeof self !== 'undefined' ? self : this);
