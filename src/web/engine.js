// The game engine in the module's memory, seen from JavaScript: the
// program's JSON conversation (docs/protocol.md), one input and one answer at
// a time, and the view its answers keep up to date. Windows and widgets go by
// their names in the windows' description, as the page writes them.
'use strict';

(function (root) {
  class Engine {
    constructor(module) {
      this.m = module;
      this.encoder = new TextEncoder();
      this.decoder = new TextDecoder();
      this.windows = {};     // open window -> {raises, keyboard, spoken, widgets: {name -> widget}}
      this.open = [];        // the open windows, the one brought up last at the end
      this.game = {};        // the game's answers while its window is open
      this.finished = false;
      this.generation = 0;
    }

    // One input; the answer, its view merged into this one's.
    ask(message) {
      // JSON in ASCII where it matters: a lone half of a surrogate pair goes
      // as its escape. UTF-8 takes at most three bytes a UTF-16 unit.
      const json = JSON.stringify(message);
      const room = json.length * 3;
      const at = this.m._tv_buffer(room);
      const { written } = this.encoder.encodeInto(json, this.m.HEAPU8.subarray(at, at + room));
      const length = this.m._tv_ask(written);
      if (length < 0) throw new Error('the game engine failed');
      const out = this.m._tv_answer();
      const answer = JSON.parse(this.decoder.decode(this.m.HEAPU8.subarray(out, out + length)));
      if (answer.error) throw new Error(`the game engine refused ${json}: ${answer.error}`);
      this.merge(answer);
      return answer;
    }

    merge(answer) {
      if (answer.full) { this.windows = {}; this.game = {}; }
      const windows = {};
      for (const name of answer.open) windows[name] = this.windows[name] || { widgets: {} };
      for (const [name, changed] of Object.entries(answer.windows || {})) {
        const w = windows[name];
        if ('raises' in changed) w.raises = changed.raises;
        if ('keyboard' in changed) w.keyboard = changed.keyboard;
        if ('spoken' in changed) w.spoken = changed.spoken;
        Object.assign(w.widgets, changed.widgets);
      }
      this.windows = windows;
      this.open = answer.open;
      this.finished = answer.finished;
      this.generation = answer.generation;
      if ('game' in answer) this.game = answer.game === null ? {} : Object.assign(this.game, answer.game);
    }

    // --- the program's windows ------------------------------------------------
    // Times are milliseconds on the page's clock (performance.now(), an
    // event's timeStamp).

    // A fresh program: the new-game dialog opens.
    start(now = 0) { this.ask({ start: true, at: now }); }
    // The game in progress as text to keep, '' while there is none; and a
    // program with a kept game brought back: whether it came back (else the
    // dialog opened afresh, and `note` says so in one line).
    record() { return this.ask({ record: true }).record; }
    resume(record, now = 0) {
      const answer = this.ask({ resume: record, at: now });
      this.note = answer.note;
      return answer.resumed;
    }
    // A press of a window's button; whether the program took it. A press of
    // the mouse just after its window appeared finishes the double click
    // that opened it, and is no press.
    press(form, widget, now, byMouse = false) {
      return this.ask({ press: widget, window: form, at: now, by: byMouse ? 'mouse' : 'keyboard' }).taken;
    }
    close(form) { this.ask({ close: form }); }
    shown(form, now) { this.ask({ shown: form, at: now }); }
    takesPresses(form, now) { return this.ask({ takesPresses: form, at: now }).takes; }
    setDoubleClickInterval(ms) { this.ask({ doubleClick: ms }); }
    isOpen(form) { return form in this.windows; }
    // Changes whenever the window is opened or brought up again.
    raises(form) { return this.windows[form].raises; }
    takesKeyboard(form) { return this.windows[form].keyboard; }
    // What a screen reader is told as the window comes up, after its name.
    spoken(form) { return this.isOpen(form) ? this.windows[form].spoken || '' : ''; }
    widget(form, name) { return this.isOpen(form) ? this.windows[form].widgets[name] : undefined; }

    // Where a window of width x height opens beside the game window `game`,
    // inside `screen`, away from the windows in `taken`; every box is
    // {x, y, width, height} in whole units of one kind.
    placeBeside(game, width, height, screen, taken, gap) {
      const box = (b) => [b.x, b.y, b.width, b.height].map(Math.round);
      const [x, y] = this.ask({ place: { game: box(game), screen: box(screen), taken: taken.map(box),
                                         size: [width, height].map(Math.round), gap: Math.round(gap) } }).place;
      return { x, y, width, height };
    }

    // --- the player at the game's visible input box -----------------------------

    key(name) { this.ask({ key: name }); }
    type(text) { this.ask({ type: text }); }
    // Any edit the page's box made on its own: the engine tells typing from the rest.
    edit(text, caret) { this.ask({ edit: text, caret }); }
    select(start, length) { this.ask({ select: start, length }); }
    paste(text) { this.ask({ paste: text }); }
    // The phrase the easy game would complete the command box to, were it to
    // hold `text`; '' for none.
    completion(text) { return this.ask({ completion: text }).completion; }

    // --- what the game window shows (nothing while it is closed) -----------------

    text(name) { const w = this.widget('frmTargame', name); return w ? w.text : ''; }
    box(name) { return this.widget('frmTargame', name); }
    // The box on screen: the command box, or the password box in its place.
    visibleBox() { return this.box(this.game.password ? 'txtPwd' : 'txtCon'); }
    // Changes with every answer of the game (its start, every Enter a box
    // took); the answer as a screen reader should hear it.
    turns() { return this.game.turns; }
    answer() { return this.game.answer || ''; }
    // Once the game is lost, what the player can do now ('' until then).
    closing() { return this.game.closing || ''; }
    // The easy game's completed phrase in the dictionary, -1 for none.
    phrase() { return this.game.list === undefined ? -1 : this.game.list; }
  }

  if (typeof module !== 'undefined' && module.exports) module.exports = Engine;
  else root.TarnvaleEngine = Engine;
})(typeof self !== 'undefined' ? self : this);
