// The browser's seam to the engine under node: the program's flow through
// the windows, the dialog's choices, the keys of the visible box by name,
// pastes and the placement beside the game, as the page calls them.
//   node --no-experimental-fetch seam.js SITE_DIR
'use strict';

const assert = require('assert');
const path = require('path');

const tests = [];
const test = (name, body) => tests.push({ name, body });

test('the dialog opens first, with a hard game and music chosen', (e) => {
  e.start(1000);
  assert.ok(e.isOpen('Dialog'));
  assert.ok(!e.isOpen('Game') && !e.isOpen('Help') && !e.isOpen('Author'));
  assert.deepStrictEqual(['Hard', 'Easy', 'MusicOn', 'MusicOff'].map((c) => e.chosen(c)), [true, false, true, false]);
  assert.ok(e.takesKeyboard('Dialog') && e.takesKeyboard('Game'));
  assert.ok(!e.takesKeyboard('Help') && !e.takesKeyboard('Author'));
  assert.strictEqual(e.finished(), false);
  assert.strictEqual(e.text('txtGame'), '', 'no game before "начать"');
});

test('a click just after a window appeared is no press; the keyboard always is', (e) => {
  e.start(1000);
  e.setDoubleClickInterval(500);
  assert.strictEqual(e.takesPresses('Dialog', 1499), false);
  assert.strictEqual(e.press('Dialog', 'Easy', 1200, true), false);
  assert.ok(!e.chosen('Easy'));
  assert.strictEqual(e.press('Dialog', 'Easy', 1200, false), true);
  assert.ok(e.chosen('Easy') && !e.chosen('Hard'));
  assert.strictEqual(e.press('Dialog', 'MusicOff', 1500, true), true);
  assert.ok(e.chosen('MusicOff') && !e.chosen('MusicOn'));
  assert.strictEqual(e.press('Dialog', 'Note', 1600, true), true);
  assert.ok(e.chosen('Easy') && e.chosen('MusicOff'), 'the note changes nothing');
  const raises = e.raises('Game');
  assert.strictEqual(e.press('Dialog', 'Start', 1700, true), true);
  assert.ok(e.isOpen('Game') && !e.isOpen('Dialog'));
  assert.notStrictEqual(e.raises('Game'), raises);
  assert.strictEqual(e.text('lblDiff'), 'простая игра');
  assert.strictEqual(e.int('music'), 0, 'music was turned off');
  // The game window has just appeared: a click there is the double click's.
  assert.strictEqual(e.press('Game', 'Help', 1800, true), false);
  assert.ok(!e.isOpen('Help'));
  // A press of a window that is not open is none.
  assert.strictEqual(e.press('Dialog', 'Start', 5000, false), false);
});

test('help and author open once, come up again, close; "новая" and "выход"', (e) => {
  e.play(false, true, 0);
  assert.strictEqual(e.int('music'), 1, 'one launch for a game with music');
  e.press('Game', 'Help', 1000);
  const helpRaises = e.raises('Help');
  e.press('Game', 'Help', 2000);
  assert.ok(e.isOpen('Help'));
  assert.notStrictEqual(e.raises('Help'), helpRaises, 'a second press brings it up');
  e.press('Game', 'Author', 2100);
  e.close('Author');
  assert.ok(!e.isOpen('Author') && e.isOpen('Help'));
  e.press('Help', 'Close', 3000);
  assert.ok(!e.isOpen('Help'));
  e.submit('осмотреть урну');
  assert.strictEqual(e.inv(0), 'пустая пачка сигарет');
  e.press('Game', 'New', 4000);
  assert.ok(e.isOpen('Dialog') && !e.isOpen('Game'));
  assert.ok(e.chosen('Hard') && e.chosen('MusicOn'), 'the dialog chooses afresh');
  assert.strictEqual(e.inv(0), '', 'the game is gone with its window');
  e.press('Dialog', 'Start', 5000);
  assert.strictEqual(e.int('moves'), 0);
  assert.strictEqual(e.inv(0), '', 'a fresh game');
  e.press('Game', 'Exit', 6000);
  assert.ok(e.finished());
  assert.ok(['Dialog', 'Game', 'Help', 'Author'].every((w) => !e.isOpen(w)));
  assert.strictEqual(e.press('Game', 'New', 7000), false, 'nothing after "выход"');
});

test('the keys of the visible box by name', (e) => {
  e.play(false, false);
  e.type('урну');
  e.key('Home');
  assert.deepStrictEqual([e.int('conStart'), e.int('conLength')], [0, 0]);
  e.type('осм ');
  assert.strictEqual(e.text('txtCon'), 'осм урну');
  e.key('End');
  assert.strictEqual(e.int('conStart'), 8);
  e.key('Left');
  e.key('Left');
  assert.strictEqual(e.int('conStart'), 6);
  e.key('Right');
  assert.strictEqual(e.int('conStart'), 7);
  e.key('Backspace');
  e.key('Delete');
  assert.strictEqual(e.text('txtCon'), 'осм ур');
  e.key('Escape');
  assert.strictEqual(e.text('txtCon'), '');
  e.type('осм урну');
  e.key('Enter');
  assert.strictEqual(e.text('lblAction'), 'осм урну');
  assert.strictEqual(e.inv(0), 'пустая пачка сигарет');
  e.key('Up');
  assert.strictEqual(e.text('txtCon'), 'осм урну');
  assert.throws(() => e.key('Tab'), /no key Tab/);
});

test('a paste keeps its first line; an edit is told from typing', (e) => {
  e.play(false, false);
  for (const brk of ['\r', '\n', '\v', '\f', '\u0085', '\u2028', '\u2029']) {
    e.key('Escape');
    e.paste('осмотреть урну' + brk + 'и ещё');
    assert.strictEqual(e.text('txtCon'), 'осмотреть урну', JSON.stringify(brk));
    assert.strictEqual(e.int('moves'), 0, 'a paste submits nothing');
  }
  e.select(0, 9);
  e.paste('осм');
  assert.strictEqual(e.text('txtCon'), 'осм урну');
  assert.deepStrictEqual([e.int('conStart'), e.int('conLength')], [3, 0]);
  // A word deleted by the box itself comes as an edit: text and caret.
  e.edit('осм ', 4);
  assert.deepStrictEqual([e.text('txtCon'), e.int('conStart')], ['осм ', 4]);
  // Typing reported as an edit is typing: an easy game completes it.
  e.play(true, false);
  e.edit('о', 1);
  assert.deepStrictEqual([e.text('txtCon'), e.int('conStart'), e.int('conLength')], ['осм', 1, 2]);
});

test('the password box takes the keys while it is shown', (e) => {
  e.play(false, false);
  const way = ['осмотреть урну', 'в магазин', 'купить сигареты', 'выйти из магазина', 'переложить сигареты',
               'направо', 'осмотреть лысого', 'налево', 'налево', 'взять кирпич', 'выйти из переулка',
               'бросить кирпич в витрину', 'направо', 'осмотреться', 'взять ключ', 'налево', 'налево',
               'открыть дверь', 'включить компьютер'];
  for (const line of way) e.submit(line);
  assert.ok(e.passwordShown(), 'the computer asks for its password');
  assert.strictEqual(e.visibleBox().visible, true);
  e.key('Up');
  assert.strictEqual(e.text('txtPwd'), 'включить компьютер');
  e.key('Escape');
  e.type('Lyra');
  assert.strictEqual(e.visibleBox().text, 'Lyra');
  assert.strictEqual(e.text('txtCon'), '', 'the hidden command box takes nothing');
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
