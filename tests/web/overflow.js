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
  engine.play(false, false);
  for (let i = 0; i < 32767; ++i) engine.submit('');
  assert.strictEqual(engine.int('moves'), 32767);
  assert.strictEqual(engine.text('lblSteps'), '32767 ходов');
  // One move more cannot be counted: the turn fails and leaves the game as it was.
  engine.submit('осмотреть урну');
  assert.strictEqual(engine.int('moves'), 32767);
  assert.strictEqual(engine.inv(0), '', 'the failed turn put nothing into the inventory');
  assert.strictEqual(engine.flag('urnSearched'), false);
  assert.strictEqual(engine.int('points'), 0);
  assert.strictEqual(engine.text('txtGame'), 'Счётчик переполнен, команда не выполнена.');
  // The game goes on: a new game starts from nothing.
  engine.newGame();
  engine.submit('осмотреть урну');
  assert.strictEqual(engine.int('moves'), 1);
  assert.strictEqual(engine.inv(0), 'пустая пачка сигарет');
  console.log('1 passed, 0 failed');
}

main().catch((err) => { console.error(err); process.exit(1); });
