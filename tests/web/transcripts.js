// Plays transcript files (tests/transcripts/README.md) through the
// WebAssembly build under node, with the same steps, checks and failure
// lines as the native runner.
//   node --no-experimental-fetch transcripts.js SITE_DIR FILE...
'use strict';

const fs = require('fs');
const path = require('path');

// The transcripts' key names, as the engine names the keys.
const KEYS = { Enter: 'Enter', Esc: 'Escape', Up: 'Up', Backspace: 'Backspace', Delete: 'Delete' };

function unescape(s) {
  let out = '';
  for (let i = 0; i < s.length; ++i) {
    const c = s[i];
    if (c !== '\\' || i + 1 === s.length) { out += c; continue; }
    const e = s[++i];
    switch (e) {
      case 's': out += ' '; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case '0': out += '\0'; break;
      case 'u': {
        let unit = 0;
        for (let k = 0; k < 4 && i + 1 < s.length; ++k) {
          const h = s[++i];
          const d = /[0-9a-fA-F]/.test(h) ? parseInt(h, 16) : 0;
          unit = (unit * 16 + d) & 0xffff;
        }
        out += String.fromCharCode(unit);
        break;
      }
      default: out += e;
    }
  }
  return out;
}

// A value as a failure shows it: in «», with its CR LF line breaks as ⏎.
const shown = (s) => '«' + s.replace(/\r\n/g, '⏎') + '»';
const trimmed = (s) => s.replace(/^[ \t\r\n]+|[ \t\r\n]+$/g, '');

class Runner {
  constructor(engine, file, mode, lines, music) {
    Object.assign(this, { engine, file, mode, lines, music });
    this.failures = [];
    this.expected = null;
  }

  run() {
    this.engine.play(this.mode === 'easy', this.music);
    for (this.lineNo = 1; this.lineNo <= this.lines.length; ++this.lineNo) {
      let line = this.lines[this.lineNo - 1];
      if (line.endsWith('\r')) line = line.slice(0, -1);
      if (!line.startsWith('=')) this.flushExpected();
      if (line === '' || line.startsWith('#') || line.startsWith('@')) continue;
      if (line.startsWith('[')) {
        const close = line.indexOf('] ');
        if (close < 0) { this.fail('unclosed mode prefix'); continue; }
        if (line.slice(1, close) !== this.mode) continue;
        line = line.slice(close + 2);
      }
      this.step(line);
    }
    ++this.lineNo;
    this.flushExpected();
    return this.failures;
  }

  fail(what) { this.failures.push(`${this.file}:${this.lineNo} [${this.mode}] ${what}`); }

  expect(what, actual, expected) {
    if (actual !== expected) this.fail(`${what}: expected ${shown(expected)}, got ${shown(actual)}`);
  }

  flushExpected() {
    if (!this.expected) return;
    const line = this.lineNo;
    this.lineNo = this.expectedLine;
    this.expect('output', this.engine.text('txtGame'), this.expected.join('\r\n'));
    this.lineNo = line;
    this.expected = null;
  }

  step(line) {
    const e = this.engine;
    const space = line.indexOf(' ');
    const verb = space < 0 ? line : line.slice(0, space);
    const arg = space < 0 ? '' : unescape(line.slice(space + 1));
    switch (verb) {
      case '>': e.submit(arg); break;
      case '=':
        if (!this.expected) { this.expected = []; this.expectedLine = this.lineNo; }
        this.expected.push(arg);
        break;
      case '~':
        if (!e.text('txtGame').includes(arg))
          this.fail(`output ${shown(e.text('txtGame'))} lacks ${shown(arg)}`);
        break;
      case 'key':
        if (!(arg in KEYS)) return this.fail('unknown key ' + arg);
        e.key(KEYS[arg]);
        break;
      case 'type':
        for (const c of arg.split('')) e.type(c);
        break;
      case 'newgame': e.newGame(); break;
      case '?': this.check(arg); break;
      default: this.fail('unknown step ' + verb);
    }
  }

  check(arg) {
    const e = this.engine;
    const space = arg.indexOf(' ');
    const field = space < 0 ? arg : arg.slice(0, space);
    const value = space < 0 ? '' : arg.slice(space + 1);
    const bool = (b) => (b ? 'true' : 'false');
    const texts = ['lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff'];
    const numbers = { location: 'location', moves: 'moves', points: 'points', money: 'money',
                      music: 'music', 'list.size': 'listSize', 'list.index': 'listIndex' };
    if (texts.includes(field)) return this.expect(field, e.text(field), value);
    if (field.startsWith('inv')) {
      const digits = field.slice(3);
      if (!/^[0-9]$/.test(digits)) return this.fail('bad inventory slot ' + field);
      return this.expect(field, e.inv(Number(digits)), value);
    }
    if (field in numbers) return this.expect(field, String(e.int(numbers[field])), value);
    if (field === 'flag') {
      const parts = value.split(' ');
      if (parts.length !== 2 || !e.constructor.FLAGS.includes(parts[0]))
        return this.fail('bad flag check ' + value);
      return this.expect(parts[0], bool(e.flag(parts[0])), parts[1]);
    }
    const con = e.box(0), pwd = e.box(1);
    switch (field) {
      case 'con': return this.expect(field, con.text, value);
      case 'con.sel': return this.expect(field, `${con.start} ${con.length}`, value);
      case 'con.visible': return this.expect(field, bool(con.visible), value);
      case 'con.enabled': return this.expect(field, bool(con.enabled), value);
      case 'pwd': return this.expect(field, pwd.text, value);
      case 'pwd.visible': return this.expect(field, bool(pwd.visible), value);
    }
    this.fail('unknown check ' + field);
  }
}

function runTranscript(engine, file) {
  let bytes;
  try { bytes = fs.readFileSync(file); } catch { return [file + ': cannot open']; }
  const lines = new TextDecoder('utf-8').decode(bytes).split('\n');
  let modes = ['hard'];
  let music = false;
  for (const line of lines) {
    if (line.startsWith('@modes ')) modes = trimmed(line.slice(7)).split(' ').filter((m) => m);
    else if (trimmed(line) === '@music') music = true;
  }
  const failures = [];
  for (const mode of modes) {
    if (mode !== 'hard' && mode !== 'easy') { failures.push(`${file}: unknown mode ${mode}`); continue; }
    failures.push(...new Runner(engine, file, mode, lines, music).run());
  }
  return failures;
}

async function main() {
  const [site, ...files] = process.argv.slice(2);
  if (!site) {
    console.error('usage: transcripts.js SITE_DIR FILE...');
    process.exit(2);
  }
  const create = require(path.resolve(site, 'tarnvale.js'));
  const Engine = require(path.resolve(site, 'engine.js'));
  const engine = new Engine(await create());
  const failures = [];
  for (const file of files) failures.push(...runTranscript(engine, file));
  for (const f of failures) console.error(f);
  console.log(`${files.length} transcript(s), ${failures.length} failure(s)`);
  process.exit(failures.length === 0 && files.length > 0 ? 0 : 1);
}

main().catch((err) => { console.error(err); process.exit(1); });
