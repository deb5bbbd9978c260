// A counter overflow in the WebAssembly build: the turn that overflows is
// undone whole, as the native engine undoes it, which needs C++ exceptions
// to work in the module.
//   node --no-experimental-fetch overflow.js SITE_DIR
'use strict';

const assert = require('assert');
const path = require('path');

async function main() {
  const site = process.argv[2];
  const Engine = require(path.resolve(site, 'engine.js'));
  const engine = new Engine(await require(path.resolve(site, 'tarnvale.js'))());
  const play = () => {
    engine.start(0);
    for (const button of ['lblHard', 'lblMusOff', 'lblStart']) engine.press('frmNew', button, 0);
  };
  const submit = (line) => engine.ask({ line });
  const state = () => engine.ask({ state: true }).state;
  play();
  for (let i = 0; i < 32767; ++i) submit('');
  assert.strictEqual(state().moves, 32767);
  assert.strictEqual(engine.text('lblSteps'), '32767 ходов');
  // One move more cannot be counted: the turn fails and leaves the game as it was.
  submit('осмотреть урну');
  assert.strictEqual(state().moves, 32767);
  assert.strictEqual(engine.text('lblInv0'), '', 'the failed turn put nothing into the inventory');
  assert.strictEqual(state().flags.urnSearched, false);
  assert.strictEqual(state().points, 0);
  assert.strictEqual(engine.text('txtGame'), 'Счётчик переполнен, команда не выполнена.');
  // The game goes on: a new game starts from nothing.
  engine.press('frmTargame', 'lblNew', 0);
  engine.press('frmNew', 'lblStart', 0);
  submit('осмотреть урну');
  assert.strictEqual(state().moves, 1);
  assert.strictEqual(engine.text('lblInv0'), 'пустая пачка сигарет');
  console.log('1 passed, 0 failed');
}

main().catch((err) => { console.error(err); process.exit(1); });
