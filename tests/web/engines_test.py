"""The page in each browser engine Debian has: Chromium, Firefox ESR and
WebKitGTK. One browser serves the file, a fresh tab per game: the dialog, an
easy game with its completion and Up, help, the kept game over a reload and
past the storage's quota, the start with no server, and every text of every
window seen whole at a desktop's size and on phones.

    /usr/bin/python3 engines_test.py ENGINE SITE_DIR [unittest arguments]
"""
import os
import socket
import sys
import time
import unittest

from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402

ENGINE = SITE = None
SETTLE = 0.6   # a window's buttons take no press this soon after it appeared


def setUpModule():
    EngineTest.site = serve()
    try:
        EngineTest.tab = browser.tab(ENGINE)
    except BaseException:
        EngineTest.site.stop()
        raise


def tearDownModule():
    try:
        EngineTest.tab.quit()
    finally:
        EngineTest.site.stop()


def serve(port=0):
    return browser.Site(SITE, port=port, pages={browser.FramedTab.HOLDER: browser.FramedTab.PAGE})


class EngineTest(unittest.TestCase):
    """One browser for the whole file (the module's set-up), a fresh tab per game."""
    site = tab = None

    def setUp(self):
        self.appeared = {}
        self.tab.fresh()
        self.open()
        self.screen(1280, 800, False)
        self.wait_for(lambda: self.shown('frmNew'))

    def tearDown(self):
        self.assertEqual(self.tab.errors(), [], 'the browser console has errors')

    # --- helpers ---------------------------------------------------------
    def wait_for(self, condition, timeout=10):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                self.fail(f'waited {timeout} s in vain')
            time.sleep(0.05)

    def js(self, body, *args):
        return self.tab.js(body, *args)

    def screen(self, width, height, mobile):
        self.tab.screen(width, height, mobile)
        self.wait_for(lambda: self.js('return [innerWidth, innerHeight];') == [width, height])
        self.js('return new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)));')

    def shown(self, form_id):
        # A window that is leaving is out of sight already.
        shown = self.js('const f = document.getElementById(arguments[0]); '
                        'return !!f && !f.hidden && !f.classList.contains("leaving");', form_id)
        if not shown:
            self.appeared.pop(form_id, None)
        else:
            self.appeared.setdefault(form_id, time.monotonic())
        return shown

    def text(self, name):
        return self.js('return document.querySelector(`#frmTargame [data-name="${arguments[0]}"]`).textContent;', name)

    def box(self, name):
        return self.js('''const b = document.querySelector(`#frmTargame [data-name="${arguments[0]}"]`);
            return {value: b.value, start: b.selectionStart, end: b.selectionEnd,
                    focused: document.activeElement === b};''', name)

    def note(self):
        return self.js('const n = document.getElementById("notice"); return n.hidden ? "" : n.textContent;')

    def click(self, form, name):
        # As a person does: a moment after the window came, not at once.
        since = self.appeared.get(form, self.loaded)
        time.sleep(max(0, since + SETTLE - time.monotonic()))
        self.tab.click(f'#{form} [data-name="{name}"]')

    def start(self, easy=False):
        if easy:
            self.click('frmNew', 'lblEasy')
        self.click('frmNew', 'lblStart')
        self.wait_for(lambda: self.shown('frmTargame'))
        self.wait_for(lambda: self.box('txtCon')['focused'])

    def command(self, line):
        self.tab.keys(line, Keys.ENTER)

    def open(self):
        self.tab.open(self.site.url)
        self.loaded, self.appeared = time.monotonic(), {}

    def reload(self):
        self.tab.reload()
        self.loaded, self.appeared = time.monotonic(), {}
        self.wait_for(lambda: self.js('return [...document.querySelectorAll("section.form")].some(f => !f.hidden);'))


class Playing(EngineTest):
    def test_the_dialog_then_an_easy_game_with_completion_and_up(self):
        self.click('frmNew', 'lblEasy')
        self.click('frmNew', 'lblMusOff')
        checked = lambda n: self.js('return document.querySelector(`#frmNew [data-name="${arguments[0]}"]`)'
                                    '.getAttribute("aria-checked");', n)
        self.assertEqual([checked(n) for n in ('lblHard', 'lblEasy', 'lblMusOn', 'lblMusOff')],
                         ['false', 'true', 'false', 'true'])
        self.start()
        self.assertFalse(self.shown('frmNew'))
        self.assertEqual(self.text('lblDiff'), 'простая игра')
        self.assertTrue(self.text('txtGame').startswith('Ты стоишь на улице.'))
        # A letter is completed to a phrase of the dictionary, its tail selected.
        self.tab.keys('о')
        b = self.box('txtCon')
        self.assertTrue(len(b['value']) > 1 and b['value'].startswith('о'), b)
        self.assertEqual((b['start'], b['end']), (1, len(b['value'])))
        self.tab.keys('смотреть урну')
        self.assertEqual(self.box('txtCon')['value'], 'осмотреть урну')
        self.tab.keys(Keys.ENTER)
        self.assertIn('пустая пачка', self.text('txtGame'))
        self.assertEqual(self.text('lblAction'), 'осмотреть урну')
        self.assertEqual(self.box('txtCon')['value'], '')
        self.tab.keys(Keys.ARROW_UP)
        self.assertEqual(self.box('txtCon')['value'], 'осмотреть урну')

    def test_help_opens_beside_the_game_and_closes(self):
        self.start()
        self.click('frmTargame', 'lblHelp')
        self.wait_for(lambda: self.shown('frmHelp'))
        self.assertIn('Экспериментируй с предметами!', self.js('return document.getElementById("frmHelp").textContent;'))
        self.assertTrue(self.box('txtCon')['focused'], 'help leaves the keyboard with the game')
        self.click('frmHelp', 'lblExit')
        self.wait_for(lambda: not self.shown('frmHelp'))
        self.command('осмотреться')
        self.assertEqual(self.text('lblSteps'), '1 ходов')


# What a reload must bring back: the windows open, the game's texts, its
# boxes with their caret, selection and keyboard.
KEPT = """
const open = [...document.querySelectorAll('section.form')].filter(f => !f.hidden).map(f => f.id);
const game = document.getElementById('frmTargame');
const texts = [...game.querySelectorAll('.label, .output, li')].map(e => [e.dataset.name, e.textContent]);
const boxes = [...game.querySelectorAll('input')].map(b => [b.dataset.name, b.value, b.selectionStart,
                b.selectionEnd, b.hidden, b.disabled, document.activeElement === b]);
return {open, texts, boxes};
"""


class Keeping(EngineTest):
    def snapshot(self):
        return self.js(KEPT)

    def test_a_reload_brings_the_game_back(self):
        self.start()
        for line in ('осмотреть урну', 'в магазин', 'купить сигареты'):
            self.command(line)
        self.tab.keys('осм')
        self.click('frmTargame', 'lblHelp')
        self.wait_for(lambda: self.shown('frmHelp'))
        before = self.snapshot()
        self.reload()
        self.assertEqual(self.snapshot(), before)
        self.command('выйти из магазина')
        self.assertEqual(self.text('lblSteps'), '4 ходов')

    def test_a_game_past_the_storage_quota_is_not_kept_and_says_so(self):
        self.start()
        self.command('осмотреть урну')
        # The tab's storage all but full, as huge pasted lines would fill it:
        # the game's next change no longer fits.
        self.js('''let i = 0, n = 1 << 22;
            while (n >= 4) { try { sessionStorage.setItem('filler' + i, 'x'.repeat(n)); i++; } catch (e) { n >>= 1; } }''')
        self.command('налево')
        self.wait_for(self.note)
        self.assertTrue(self.note().startswith('Игру больше нельзя сохранить в этой вкладке'), self.note())
        self.command('взять кирпич')
        self.assertTrue(self.note().startswith('Игру больше нельзя сохранить'), 'the note stays while the game goes on')
        # A reload brings back no older game: it starts afresh and says why.
        self.reload()
        self.assertTrue(self.shown('frmNew'))
        self.assertFalse(self.shown('frmTargame'))
        self.assertTrue(self.note().startswith('Игру не удалось сохранить'), self.note())


class Offline(EngineTest):
    def installed(self):
        """The page as an installed one opens it: the worker has stored the site."""
        self.js('return navigator.serviceWorker.ready.then(() => true);')
        self.reload()
        self.wait_for(lambda: self.js('return !!navigator.serviceWorker.controller;'))

    def tearDown(self):
        # Failed fetches of the stopped server are the point of these tests.
        self.assertEqual([e for e in self.tab.errors() if 'NetworkError' not in e and 'net::ERR_' not in e], [])

    def test_start_with_the_server_stopped_and_with_one_that_never_answers(self):
        self.installed()
        port = self.site.port
        self.site.stop()
        self.reload()
        self.wait_for(lambda: self.shown('frmNew'))
        self.start()
        self.command('осмотреть урну')
        self.assertIn('пустая пачка', self.text('txtGame'))
        # Connections taken by the system and never answered.
        hanging = socket.socket()
        hanging.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        hanging.bind(('127.0.0.1', port))
        hanging.listen(16)
        try:
            self.reload()
            self.wait_for(lambda: self.shown('frmTargame'))
            self.assertIn('пустая пачка', self.text('txtGame'), 'the kept game is back')
        finally:
            hanging.close()
            EngineTest.site = serve(port)


# What a player cannot see of the windows' texts on the screen as it is: a
# text larger than its box (a last command cut without «…» where its row
# ends), a text outside the screen where scrolling cannot bring it, a text
# under another window, or another window's text showing by a sheet that
# should cover it; and the note over any of it.
UNSEEN = """
const [vw, vh] = arguments;
const out = [];
const stage = document.getElementById('stage'), s = stage.getBoundingClientRect();
const seen = (f) => !f.hidden && !f.classList.contains('leaving');
const forms = [...document.querySelectorAll('section.form')].filter(seen)
  .sort((a, b) => (+a.style.zIndex || 0) - (+b.style.zIndex || 0));
const column = document.body.classList.contains('column');
const top = forms[forms.length - 1];
const note = document.getElementById('notice');
const noteBox = note.hidden ? null : note.getBoundingClientRect();
if (column && top && forms.length > 1) {
  const t = top.getBoundingClientRect();
  for (const f of forms.slice(0, -1)) {
    const r = f.getBoundingClientRect();
    if (t.left > r.left + 0.5 || t.right < r.right - 0.5 || t.top > r.top + 0.5 || t.bottom < r.bottom - 0.5)
      out.push(`${f.id} shows by ${top.id}`);
  }
}
for (const form of column ? [top] : forms) {
  if (!form) continue;
  for (const e of form.querySelectorAll('.label, .output, input, li')) {
    if (!e.getClientRects().length || e.closest('[hidden], .gone')) continue;
    const text = e.tagName === 'INPUT' ? e.value : e.textContent;
    if (!text.trim()) continue;
    const name = `${form.id}/${e.dataset.name || e.tagName}`;
    const r = e.getBoundingClientRect();
    if (r.width < 1 || r.height < 1) { out.push(`${name} has no room`); continue; }
    if (!e.matches('.output, input')) {
      const ellipsis = getComputedStyle(e).textOverflow === 'ellipsis';
      if (e.scrollWidth > e.clientWidth + 1 && !ellipsis) out.push(`${name} cut across (${e.scrollWidth} > ${e.clientWidth})`);
      if (e.scrollHeight > e.clientHeight + 1) out.push(`${name} cut below (${e.scrollHeight} > ${e.clientHeight})`);
    }
    if (r.left < -0.5 || r.right > vw + 0.5) out.push(`${name} off the screen sideways`);
    // Up and down, as far as the stage scrolls, within the screen.
    const y = r.top - s.top + stage.scrollTop;
    if (y < -0.5 || y + r.height > Math.max(stage.scrollHeight, s.height) + 0.5 || s.top < -0.5 || s.top > vh)
      out.push(`${name} off the screen (${r.top}..${r.bottom})`);
    // What of it the stage shows now, scrolled as it is.
    const from = Math.max(r.top, s.top, 0), to = Math.min(r.bottom, s.bottom, vh);
    if (noteBox && from < noteBox.bottom - 0.5 && to > noteBox.top + 0.5) out.push(`${name} under the note`);
    const x = (Math.max(r.left, 0) + Math.min(r.right, vw)) / 2, cy = (from + to) / 2;
    const hit = to > from ? document.elementFromPoint(x, cy) : null;
    if (hit && !form.contains(hit) && hit !== note) out.push(`${name} under ${hit.closest('section') ? hit.closest('section').id : hit.tagName}`);
  }
}
const action = document.querySelector('#frmTargame [data-name="lblAction"]');
if (forms.includes(document.getElementById('frmTargame')) && action.textContent && action.getBoundingClientRect().width < 40)
  out.push('the last command is hardly shown');
return out;
"""


class WholeText(EngineTest):
    """Every window's every text seen whole, on a desktop and on phones, with
    an on-screen keyboard up where a box has the keyboard."""
    SIZES = ((1280, 800, False), (320, 568, True), (360, 640, True), (390, 844, True), (844, 390, True))

    def unseen(self, width, height, what):
        self.assertEqual(self.js(UNSEEN, width, height), [], f'{what} at {width}x{height}')

    def windows_at(self, width, height, mobile):
        self.tab.fresh()
        self.open()
        self.screen(width, height, mobile)
        self.wait_for(lambda: self.shown('frmNew'))
        self.unseen(width, height, 'the dialog')
        self.start()
        for line in ('осмотреть урну', 'налево', 'взять кирпич', 'выйти на улицу', 'ы'):
            self.command(line)
        self.command('осмотреть урну очень внимательно со всех сторон и даже изнутри')
        self.unseen(width, height, 'the game')
        if mobile and self.tab.touch:
            # An on-screen keyboard takes the lower part of the screen: the
            # end of the latest answer and the command line stay in sight.
            kept = max(160, height // 2 - 100)
            self.screen(width, kept, mobile)
            con = self.js('return document.querySelector(\'[data-name="txtCon"]\').getBoundingClientRect().toJSON();')
            out = self.js('''const o = document.querySelector('[data-name="txtGame"]'), r = o.getBoundingClientRect();
                return [r.top, r.bottom, o.scrollTop + o.clientHeight >= o.scrollHeight - 1];''')
            self.assertTrue(0 <= con['top'] and con['bottom'] <= kept + 0.5, f'the command line at {width}x{kept}')
            self.assertTrue(out[0] < con['top'] and out[1] > 0 and out[2], f'the answer\'s end at {width}x{kept}: {out}')
            self.unseen(width, kept, 'the game with the keyboard up')
            self.screen(width, height, mobile)
        for button, form in (('lblHelp', 'frmHelp'), ('lblAuthor', 'frmAuthor')):
            self.click('frmTargame', button)
            self.wait_for(lambda: self.shown(form))
            self.unseen(width, height, form)
            self.click(form, 'lblExit')
            self.wait_for(lambda: not self.shown(form))
        # A kept game that can no longer be brought back: the note and the
        # dialog under it.
        # (After the page's own writing, which waits for the event to end.)
        self.js('''return new Promise((done) => setTimeout(() => {
            sessionStorage.setItem('tarnvale-game', 'nothing a game was ever kept as'); done(); }, 0));''')
        self.reload()
        self.wait_for(self.note)
        self.unseen(width, height, 'the note over the dialog')

    def test_every_size(self):
        for width, height, mobile in self.SIZES:
            with self.subTest(size=f'{width}x{height}'):
                self.windows_at(width, height, mobile)


if __name__ == '__main__':
    ENGINE, SITE = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
