// The browser's seam to the engine under node: the program's flow through
// the windows, the dialog's choices, the keys of the visible box by name,
// pastes, the kept game and the placement beside the game, through the
// conversation the page holds with it.
//   node --no-experimental-fetch seam.js SITE_DIR
'use strict';

const assert = require('assert');
const path = require('path');

const tests = [];
const test = (name, body) => tests.push({ name, body });

// A game started from the dialog from the keyboard, as the page starts it.
function play(e, easy, music, now = 0) {
  e.start(now);
  for (const button of [easy ? 'lblEasy' : 'lblHard', music ? 'lblMusOn' : 'lblMusOff', 'lblStart'])
    assert.ok(e.press('frmNew', button, now), button);
  assert.ok(e.isOpen('frmTargame'), 'the game did not start');
}
const state = (e) => e.ask({ state: true }).state;
const chosen = (e, name) => e.widget('frmNew', name).chosen;
const submit = (e, line) => e.ask({ line }).taken;
const box = (e) => e.box('txtCon');

test('the dialog opens first, with a hard game and music chosen', (e) => {
  e.start(1000);
  assert.ok(e.isOpen('frmNew'));
  assert.ok(!e.isOpen('frmTargame') && !e.isOpen('frmHelp') && !e.isOpen('frmAuthor'));
  assert.deepStrictEqual(['lblHard', 'lblEasy', 'lblMusOn', 'lblMusOff'].map((c) => chosen(e, c)), [true, false, true, false]);
  assert.strictEqual(e.widget('frmNew', 'lblEasy').colour, '#aaaaaa', 'the unchosen one grey');
  assert.ok(e.takesKeyboard('frmNew'));
  assert.strictEqual(e.finished, false);
  assert.strictEqual(e.text('txtGame'), '', 'no game before "начать"');
  assert.strictEqual(state(e), null);
});

test('a click just after a window appeared is no press; the keyboard always is', (e) => {
  e.start(1000);
  e.setDoubleClickInterval(500);
  assert.strictEqual(e.takesPresses('frmNew', 1499), false);
  assert.strictEqual(e.press('frmNew', 'lblEasy', 1200, true), false);
  assert.ok(!chosen(e, 'lblEasy'));
  assert.strictEqual(e.press('frmNew', 'lblEasy', 1200, false), true);
  assert.ok(chosen(e, 'lblEasy') && !chosen(e, 'lblHard'));
  assert.strictEqual(e.press('frmNew', 'lblMusOff', 1500, true), true);
  assert.ok(chosen(e, 'lblMusOff') && !chosen(e, 'lblMusOn'));
  assert.strictEqual(e.press('frmNew', 'lblNote', 1600, true), true);
  assert.ok(chosen(e, 'lblEasy') && chosen(e, 'lblMusOff'), 'the note changes nothing');
  assert.strictEqual(e.press('frmNew', 'lblStart', 1700, true), true);
  assert.ok(e.isOpen('frmTargame') && !e.isOpen('frmNew'));
  assert.strictEqual(e.raises('frmTargame'), 1);
  assert.strictEqual(e.text('lblDiff'), 'простая игра');
  assert.strictEqual(state(e).music, 0, 'music was turned off');
  // The game window has just appeared: a click there is the double click's.
  assert.strictEqual(e.press('frmTargame', 'lblHelp', 1800, true), false);
  assert.ok(!e.isOpen('frmHelp'));
  // A press of a window that is not open is none; a name no window has is refused.
  assert.strictEqual(e.press('frmNew', 'lblStart', 5000, false), false);
  assert.throws(() => e.press('frmTargame', 'txtGame', 5000), /no such button/);
});

test('help and author open once, come up again, close; "новая" and "выход"', (e) => {
  play(e, false, true, 0);
  assert.strictEqual(state(e).music, 1, 'one launch for a game with music');
  e.press('frmTargame', 'lblHelp', 1000);
  const helpRaises = e.raises('frmHelp');
  assert.ok(e.takesKeyboard('frmHelp'), 'opened from the keyboard, it takes it');
  e.press('frmTargame', 'lblHelp', 2000);
  assert.notStrictEqual(e.raises('frmHelp'), helpRaises, 'a second press brings it up');
  e.press('frmTargame', 'lblAuthor', 2100, true);
  assert.ok(!e.takesKeyboard('frmAuthor'), 'clicked, it leaves the keyboard');
  assert.deepStrictEqual(e.open, ['frmTargame', 'frmHelp', 'frmAuthor']);
  e.close('frmAuthor');
  assert.ok(!e.isOpen('frmAuthor') && e.isOpen('frmHelp'));
  e.press('frmHelp', 'lblExit', 3000);
  assert.ok(!e.isOpen('frmHelp'));
  submit(e, 'осмотреть урну');
  assert.strictEqual(e.text('lblInv0'), 'пустая пачка сигарет');
  assert.strictEqual(e.answer(), e.text('txtGame') + '\r\n100 очков. Теперь у тебя: пустая пачка сигарет.');
  e.press('frmTargame', 'lblNew', 4000);
  assert.ok(e.isOpen('frmNew') && !e.isOpen('frmTargame'));
  assert.ok(chosen(e, 'lblHard') && chosen(e, 'lblMusOn'), 'the dialog chooses afresh');
  assert.strictEqual(e.text('lblInv0'), '', 'the game is gone with its window');
  e.press('frmNew', 'lblStart', 5000);
  assert.strictEqual(state(e).moves, 0);
  assert.strictEqual(e.text('lblInv0'), '', 'a fresh game');
  e.press('frmTargame', 'lbExit', 6000);
  assert.ok(e.finished);
  assert.deepStrictEqual(e.open, []);
  assert.strictEqual(e.press('frmTargame', 'lblNew', 7000), false, 'nothing after "выход"');
});

test('the keys of the visible box by name', (e) => {
  play(e, false, false);
  e.type('урну');
  e.key('Home');
  assert.deepStrictEqual([box(e).start, box(e).length], [0, 0]);
  e.type('осм ');
  assert.strictEqual(e.text('txtCon'), 'осм урну');
  e.key('End');
  assert.strictEqual(box(e).start, 8);
  e.key('Left');
  e.key('Left');
  assert.strictEqual(box(e).start, 6);
  e.key('Right');
  assert.strictEqual(box(e).start, 7);
  e.key('Backspace');
  e.key('Delete');
  assert.strictEqual(e.text('txtCon'), 'осм ур');
  e.key('Escape');
  assert.strictEqual(e.text('txtCon'), '');
  e.type('осм урну');
  e.key('Enter');
  assert.strictEqual(e.text('lblAction'), 'осм урну');
  assert.strictEqual(e.text('lblInv0'), 'пустая пачка сигарет');
  e.key('Up');
  assert.strictEqual(e.text('txtCon'), 'осм урну');
  assert.throws(() => e.key('Tab'), /no such key/);
});

test('a paste keeps its first line; an edit is told from typing', (e) => {
  play(e, false, false);
  for (const brk of ['\r', '\n', '\v', '\f', '\u0085', '\u2028', '\u2029']) {
    e.key('Escape');
    e.paste('осмотреть урну' + brk + 'и ещё');
    assert.strictEqual(e.text('txtCon'), 'осмотреть урну', JSON.stringify(brk));
    assert.strictEqual(state(e).moves, 0, 'a paste submits nothing');
  }
  e.select(0, 9);
  e.paste('осм');
  assert.strictEqual(e.text('txtCon'), 'осм урну');
  assert.deepStrictEqual([box(e).start, box(e).length], [3, 0]);
  // A word deleted by the box itself comes as an edit: text and caret.
  e.edit('осм ', 4);
  assert.deepStrictEqual([e.text('txtCon'), box(e).start], ['осм ', 4]);
  // Typing reported as an edit is typing: an easy game completes it.
  play(e, true, false);
  e.edit('о', 1);
  assert.deepStrictEqual([e.text('txtCon'), box(e).start, box(e).length], ['осм', 1, 2]);
  assert.strictEqual(e.completion('осмо'), 'осмотреть ключ');
  // A lone half of a surrogate pair goes in and comes back as itself.
  play(e, false, false);
  e.type('a\ud800b');
  assert.strictEqual(e.text('txtCon'), 'a\ud800b');
});

test('the password box takes the keys while it is shown', (e) => {
  play(e, false, false);
  const way = ['осмотреть урну', 'в магазин', 'купить сигареты', 'выйти из магазина', 'переложить сигареты',
               'направо', 'осмотреть лысого', 'налево', 'налево', 'взять кирпич', 'выйти из переулка',
               'бросить кирпич в витрину', 'направо', 'осмотреться', 'взять ключ', 'налево', 'налево',
               'открыть дверь', 'включить компьютер'];
  for (const line of way) submit(e, line);
  assert.ok(e.game.password, 'the computer asks for its password');
  assert.strictEqual(e.visibleBox().visible, true);
  e.key('Up');
  assert.strictEqual(e.text('txtPwd'), 'включить компьютер');
  e.key('Escape');
  e.type('Lyra');
  assert.strictEqual(e.visibleBox().text, 'Lyra');
  assert.strictEqual(e.text('txtCon'), '', 'the hidden command box takes nothing');
  // The kept game comes back in a fresh program, the password box and all.
  const record = e.record();
  e.start(0);
  assert.strictEqual(e.resume(record, 0), true);
  assert.strictEqual(e.visibleBox().text, 'Lyra');
  assert.strictEqual(e.resume('garbage', 0), false);
  assert.strictEqual(e.note, 'Прежнюю игру вернуть не удалось, начинаем новую.');
  assert.ok(e.isOpen('frmNew'));
});

test('help or author opens beside the game, clear of it and of the other', (e) => {
  const game = { x: 100, y: 50, width: 521, height: 377 };
  const screen = { x: 0, y: 0, width: 1280, height: 800 };
  const first = e.placeBeside(game, 317, 213, screen, [], 8);
  assert.deepStrictEqual(first, { x: 629, y: 50, width: 317, height: 213 });
  const second = e.placeBeside(game, 317, 213, screen, [first], 8);
  assert.deepStrictEqual(second, { x: 629, y: 271, width: 317, height: 213 });
  // A narrow screen: below the game.
  const below = e.placeBeside({ x: 0, y: 0, width: 521, height: 377 }, 317, 213,
                              { x: 0, y: 0, width: 521, height: 926 }, [], 8);
  assert.deepStrictEqual(below, { x: 0, y: 385, width: 317, height: 213 });
});

async function main() {
  const site = process.argv[2];
  const Engine = require(path.resolve(site, 'engine.js'));
  const engine = new Engine(await require(path.resolve(site, 'tarnvale.js'))());
  let failed = 0;
  for (const { name, body } of tests) {
    try {
      body(engine);
    } catch (err) {
      ++failed;
      console.error(`FAIL ${name}\n${err.stack}`);
    }
  }
  console.log(`${tests.length - failed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
}

main().catch((err) => { console.error(err); process.exit(1); });
