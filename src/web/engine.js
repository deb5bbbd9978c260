// The game engine in the module's memory, seen from JavaScript: the page and
// the node transcript runner both play through this class.
'use strict';

(function (root) {
  const TEXT = { txtGame: 0, lblAction: 1, lblSteps: 2, lblMoney: 3, lblPoints: 4, lblDiff: 5,
                 lblInv0: 6, txtCon: 16, txtPwd: 17 };
  const INT = { conStart: 0, conLength: 1, conVisible: 2, conEnabled: 3,
                pwdStart: 4, pwdLength: 5, pwdVisible: 6, pwdEnabled: 7,
                location: 8, moves: 9, points: 10, money: 11, listSize: 12, listIndex: 13,
                music: 14, flag0: 15 };
  const FLAGS = ['urnSearched', 'hasEmptyPack', 'hasCheapCigs', 'hasDearCigs', 'baldDismissed',
                 'hasBrick', 'windowBroken', 'keyNoticed', 'hasDiskette', 'atComputer',
                 'loggedIn', 'disketteInserted', 'fileRead'];
  const KEYS = { Backspace: 8, Enter: 13, Escape: 27, Up: 38, Delete: 46 };
  const CON = 0, PWD = 1;

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

    start(easy, music) { this.check(this.m._tv_start(easy ? 1 : 0, music ? 1 : 0)); }
    newGame() { this.check(this.m._tv_new_game()); }
    key(box, code) { this.check(this.m._tv_key(box, code)); }
    type(box, text) { this.check(this.m._tv_type(box, this.put(text))); }
    edit(box, text, caret) { this.check(this.m._tv_edit(box, this.put(text), caret)); }
    select(box, start, length) { this.check(this.m._tv_select(box, start, length)); }
    submit(line) { return this.check(this.m._tv_submit(this.put(line))) === 1; }

    text(field) {
      const id = typeof field === 'number' ? field : TEXT[field];
      const length = this.m._tv_text_length(id);
      if (length === 0) return '';
      const at = this.m._tv_text(id);
      return this.decoder.decode(this.m.HEAPU8.subarray(at, at + 2 * length));
    }
    int(field) { return this.m._tv_int(INT[field]); }
    inv(slot) { return this.text(TEXT.lblInv0 + slot); }
    flag(name) {
      const i = FLAGS.indexOf(name);
      if (i < 0) throw new Error('no flag ' + name);
      return this.m._tv_int(INT.flag0 + i) !== 0;
    }

    // One input box as the page shows it.
    box(which) {
      const p = which === PWD ? 'pwd' : 'con';
      return { text: this.text(which === PWD ? 'txtPwd' : 'txtCon'),
               start: this.int(p + 'Start'), length: this.int(p + 'Length'),
               visible: this.int(p + 'Visible') !== 0, enabled: this.int(p + 'Enabled') !== 0 };
    }
  }

  Engine.CON = CON;
  Engine.PWD = PWD;
  Engine.KEYS = KEYS;
  Engine.FLAGS = FLAGS;

  if (typeof module !== 'undefined' && module.exports) module.exports = Engine;
  else root.TarnvaleEngine = Engine;
})(typeof self !== 'undefined' ? self : this);
