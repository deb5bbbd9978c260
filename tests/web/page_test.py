"""The page in headless Chromium, played with real key, mouse and touch events.
(What every engine must do as well is in engines_test.py.)

    /usr/bin/python3 page_test.py SITE_DIR TRANSCRIPTS_DIR
"""
import os
import socket
import sys
import time
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402
import engines_test  # noqa: E402

SITE = TRANSCRIPTS = None
SETTLE = 0.6   # a window's buttons take no press this soon after it opened


def setUpModule():
    PageTest.d = browser.chromium()


def tearDownModule():
    PageTest.d.quit()


class PageTest(unittest.TestCase):
    """One Chromium for the whole file (the module's set-up), a fresh tab per
    game, as a desktop's or a phone's screen; each its own server."""
    width, height, mobile = 1280, 800, False
    d = None

    def setUp(self):
        self.site = browser.Site(SITE)
        self.addCleanup(self.site.stop)
        browser.fresh_tab(self.d)
        browser.emulate(self.d, self.width, self.height, self.mobile)
        self.d.get(self.site.url)
        self.wait_for(lambda: self.shown('frmNew'))

    def tearDown(self):
        errors = [e for e in self.d.get_log('browser') if e['level'] == 'SEVERE']
        self.assertEqual(errors, [], 'the browser console has errors')

    # --- helpers ---------------------------------------------------------
    def wait_for(self, condition, timeout=10):
        WebDriverWait(self.d, timeout).until(lambda _: condition())

    def js(self, script, *args):
        return self.d.execute_script(script, *args)

    def el(self, form, name):
        return self.d.find_element(By.CSS_SELECTOR, f'#{form} [data-name="{name}"]')

    def shown(self, form_id):
        # A window that is leaving is out of sight already.
        return self.js('const f = document.getElementById(arguments[0]); '
                       'return !!f && !f.hidden && !f.classList.contains("leaving");', form_id)

    def text(self, name):
        return self.js('return document.querySelector(`#frmTargame [data-name="${arguments[0]}"]`).textContent;', name)

    def output(self):
        return self.text('txtGame')

    def box(self, name):
        return self.js('''const b = document.querySelector(`#frmTargame [data-name="${arguments[0]}"]`);
            return {value: b.value, start: b.selectionStart, end: b.selectionEnd, hidden: b.hidden,
                    disabled: b.disabled, focused: document.activeElement === b};''', name)

    def click(self, form, name):
        self.el(form, name).click()

    def start(self, easy=False):
        if easy:
            time.sleep(SETTLE)
            self.click('frmNew', 'lblEasy')
        time.sleep(SETTLE)
        self.click('frmNew', 'lblStart')
        self.wait_for(lambda: self.shown('frmTargame'))

    def keys(self, *keys):
        self.d.switch_to.active_element.send_keys(*keys)

    def command(self, line):
        self.keys(line, Keys.ENTER)


class DialogAndConsole(PageTest):
    def test_dialog_choices_reach_the_game(self):
        self.assertEqual(self.js('return document.documentElement.lang'), 'ru')
        checked = lambda n: self.el('frmNew', n).get_attribute('aria-checked')
        self.assertEqual([checked(n) for n in ('lblHard', 'lblEasy', 'lblMusOn', 'lblMusOff')],
                         ['true', 'false', 'true', 'false'])
        time.sleep(SETTLE)
        self.click('frmNew', 'lblEasy')
        self.click('frmNew', 'lblHard')
        self.click('frmNew', 'lblMusOff')
        self.assertEqual(self.el('frmNew', 'lblEasy').value_of_css_property('color'), 'rgba(170, 170, 170, 1)')
        self.assertEqual(self.el('frmNew', 'lblHard').value_of_css_property('color'), 'rgba(255, 255, 255, 1)')
        self.click('frmNew', 'lblStart')
        self.wait_for(lambda: self.shown('frmTargame'))
        self.assertFalse(self.shown('frmNew'))
        self.assertEqual(self.text('lblDiff'), 'сложная игра')
        self.assertEqual(self.text('lblMoney'), '60 руб.')
        self.assertTrue(self.output().startswith('Ты стоишь на улице.'))
        self.assertTrue(self.box('txtCon')['focused'])
        self.keys('о')
        self.assertEqual(self.box('txtCon')['value'], 'о', 'a hard game completes nothing')
        # "новая" brings the dialog back with its defaults, the game gone.
        time.sleep(SETTLE)
        self.click('frmTargame', 'lblNew')
        self.assertTrue(self.shown('frmNew'))
        self.assertFalse(self.shown('frmTargame'))
        self.assertEqual(checked('lblHard'), 'true')
        self.assertEqual(checked('lblMusOn'), 'true')
        self.start(easy=True)
        self.assertEqual(self.text('lblDiff'), 'простая игра')
        self.assertEqual(self.text('lblSteps'), '0 ходов')

    def test_paste_takes_the_first_line(self):
        self.start()
        self.d.execute_cdp_cmd('Browser.grantPermissions', {
            'origin': self.site.url.rstrip('/'), 'permissions': ['clipboardReadWrite', 'clipboardSanitizedWrite']})
        self.js('return navigator.clipboard.writeText(arguments[0]);', 'осмотреть урну\r\nи ещё строка')
        self.keys(Keys.CONTROL, 'v')
        self.assertEqual(self.box('txtCon')['value'], 'осмотреть урну')
        self.keys(Keys.ENTER)
        self.assertIn('пустая пачка', self.output())

    def test_double_clicks_press_nothing_in_the_window_they_open(self):
        self.start()
        time.sleep(SETTLE)
        ActionChains(self.d).double_click(self.el('frmTargame', 'lblNew')).perform()
        time.sleep(0.2)
        self.assertTrue(self.shown('frmNew'), 'the dialog stays open')
        self.assertFalse(self.js('return !document.getElementById("ended").hidden;'))
        time.sleep(SETTLE)
        ActionChains(self.d).double_click(self.el('frmNew', 'lblStart')).perform()
        self.wait_for(lambda: self.shown('frmTargame'))
        time.sleep(0.2)
        self.assertFalse(self.js('return !document.getElementById("ended").hidden;'))
        self.assertFalse(self.shown('frmHelp') or self.shown('frmAuthor'))
        # Help opens beside the game, keeps the keyboard with the game, and closes.
        time.sleep(SETTLE)
        ActionChains(self.d).double_click(self.el('frmTargame', 'lblHelp')).perform()
        self.assertTrue(self.shown('frmHelp'))
        self.keys('осмотреться')
        self.assertEqual(self.box('txtCon')['value'], 'осмотреться')
        g = self.el('frmTargame', 'picTitlebar').rect
        h = self.js('return document.getElementById("frmHelp").getBoundingClientRect().toJSON();')
        game = self.js('return document.getElementById("frmTargame").getBoundingClientRect().toJSON();')
        self.assertTrue(h['left'] >= game['right'] or h['right'] <= game['left'] or h['top'] >= game['bottom'],
                        f'help {h} covers the game {game} ({g})')
        time.sleep(SETTLE)
        self.click('frmHelp', 'lblExit')
        self.assertFalse(self.shown('frmHelp'))
        self.keys(Keys.ENTER)
        self.assertEqual(self.text('lblAction'), 'осмотреться')

    def test_game_over_shows_its_closing_lines_and_a_dead_box(self):
        self.start()
        for line in ('осм урну', 'налево', 'взять кирпич', 'выйти на улицу', 'разбить витрину кирпичом'):
            self.command(line)
        self.assertTrue(self.output().endswith('Игра Окончена.'))
        box = self.box('txtCon')
        self.assertTrue(box['disabled'])
        self.assertEqual(self.el('frmTargame', 'txtCon').value_of_css_property('color'), 'rgba(128, 128, 128, 1)')
        # The last line is inside the output box's visible part.
        seen = self.js('''const o = document.querySelector('[data-name="txtGame"]');
            const r = document.createRange(); r.selectNodeContents(o);
            const rects = r.getClientRects(); const last = rects[rects.length - 1];
            return last.bottom <= o.getBoundingClientRect().bottom + 0.5;''')
        self.assertTrue(seen, 'the closing line is below the fold')
        self.keys('осмотреться', Keys.ENTER)
        self.assertEqual(self.text('lblSteps'), '5 ходов', 'a dead box takes no command')

    def test_drag_by_the_title_strip(self):
        self.start()
        before = self.js('return document.getElementById("frmTargame").getBoundingClientRect().toJSON();')
        strip = self.el('frmTargame', 'picTitlebar')
        ActionChains(self.d).move_to_element(strip).click_and_hold().move_by_offset(-60, 40).release().perform()
        after = self.js('return document.getElementById("frmTargame").getBoundingClientRect().toJSON();')
        self.assertAlmostEqual(after['left'] - before['left'], -60, delta=1.5)
        self.assertAlmostEqual(after['top'] - before['top'], 40, delta=1.5)
        # A click on the output box leaves the keyboard in the command box.
        self.el('frmTargame', 'txtGame').click()
        self.assertTrue(self.box('txtCon')['focused'])

    def test_exit_says_the_game_has_ended_and_offers_a_new_one(self):
        self.start()
        time.sleep(SETTLE)
        self.click('frmTargame', 'lbExit')
        ended = self.d.find_element(By.ID, 'ended')
        self.assertTrue(ended.is_displayed())
        self.assertIn('Игра закрыта', ended.text)
        self.assertFalse(any(self.shown(f) for f in ('frmNew', 'frmTargame', 'frmHelp', 'frmAuthor')))
        self.d.find_element(By.ID, 'restart').click()
        self.assertTrue(self.shown('frmNew'))

    def test_names_and_accessible_names(self):
        self.start()
        names = self.js('''return [...document.querySelectorAll('#frmTargame [data-name]')].map(e => e.dataset.name);''')
        for name in ['txtGame', 'txtCon', 'txtPwd', 'lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff',
                     'lblNew', 'lblAuthor', 'lblHelp', 'lbExit'] + [f'lblInv{i}' for i in range(10)]:
            self.assertIn(name, names)

        unnamed = self.js('''return [...document.querySelectorAll('button, input')]
            .filter(e => !(e.getAttribute('aria-label') || e.textContent.trim()) ||
                         !/[а-яё]/i.test(e.getAttribute('aria-label') || e.textContent))
            .map(e => e.dataset.name || e.id);''')
        self.assertEqual(unnamed, [])
        # The label buttons are buttons for the keyboard: Tab reaches them, Enter presses.
        self.js('document.querySelector(\'#frmTargame [data-name="lblAuthor"]\').focus();')
        time.sleep(SETTLE)
        self.keys(Keys.ENTER)
        self.assertTrue(self.shown('frmAuthor'))

    def test_the_keyboard_is_never_held_back(self):
        self.start()
        # Tab from the command box reaches the output, the inventory, the
        # counters and "новая"; the dialog it opens has the keyboard on
        # "начать", which Enter presses at once.
        stops = []
        while not stops or stops[-1] != 'lblNew' and len(stops) < 12:
            self.keys(Keys.TAB)
            stops.append(self.js('return document.activeElement.dataset.name || document.activeElement.className;'))
        self.assertEqual(stops, ['txtGame', 'inventory', 'lblDiff', 'lblMoney', 'lblSteps', 'lblPoints', 'lblNew'])
        self.keys(Keys.ENTER)
        self.assertTrue(self.shown('frmNew'))
        self.assertEqual(self.js('return document.activeElement.dataset.name;'), 'lblStart')
        self.keys(Keys.ENTER)
        self.assertTrue(self.shown('frmTargame'))
        self.assertFalse(self.shown('frmNew'))
        self.assertTrue(self.box('txtCon')['focused'])
        # A screen reader whose reading aloud the Enter broke puts its reading
        # place back, which leaves the keyboard on the page: it comes back.
        self.js('document.activeElement.blur();')
        self.wait_for(lambda: self.box('txtCon')['focused'], 2)
        self.command('осмотреть урну')
        self.assertIn('пустая пачка', self.output())

    def test_a_click_just_after_a_window_opens_is_no_press(self):
        self.start()
        time.sleep(SETTLE)
        self.click('frmTargame', 'lblNew')
        self.click('frmNew', 'lblExit')
        self.assertTrue(self.shown('frmNew'), 'the dialog had only just appeared')
        self.assertFalse(self.d.find_element(By.ID, 'ended').is_displayed())
        time.sleep(SETTLE)
        # The note beside the music explains and does nothing.
        checked = lambda: [self.el('frmNew', n).get_attribute('aria-checked')
                           for n in ('lblHard', 'lblEasy', 'lblMusOn', 'lblMusOff')]
        before = checked()
        self.click('frmNew', 'lblNote')
        self.assertEqual(checked(), before)
        self.assertTrue(self.shown('frmNew'))
        self.click('frmNew', 'lblExit')
        self.assertTrue(self.d.find_element(By.ID, 'ended').is_displayed())

    def test_help_and_author_beside_the_game_and_esc_closes_them(self):
        self.start()
        time.sleep(SETTLE)
        self.click('frmTargame', 'lblHelp')
        self.click('frmTargame', 'lblAuthor')
        rect = lambda f: self.js('return document.getElementById(arguments[0]).getBoundingClientRect().toJSON();', f)
        boxes = {f: rect(f) for f in ('frmTargame', 'frmHelp', 'frmAuthor')}
        apart = lambda a, b: (a['right'] <= b['left'] or b['right'] <= a['left']
                              or a['bottom'] <= b['top'] or b['bottom'] <= a['top'])
        self.assertTrue(apart(boxes['frmHelp'], boxes['frmTargame']), boxes)
        self.assertTrue(apart(boxes['frmAuthor'], boxes['frmTargame']), boxes)
        self.assertTrue(apart(boxes['frmAuthor'], boxes['frmHelp']), boxes)
        for b in boxes.values():
            self.assertTrue(b['left'] >= 0 and b['top'] >= 0 and b['right'] <= self.width + 0.5
                            and b['bottom'] <= self.height + 0.5, boxes)
        # The last one opened is in front.
        z = lambda f: int(self.js('return getComputedStyle(document.getElementById(arguments[0])).zIndex;', f))
        self.assertGreater(z('frmAuthor'), z('frmHelp'))
        self.assertTrue(self.box('txtCon')['focused'], 'help and author leave the keyboard with the game')
        # Tab goes on from the game's buttons into help; Esc there closes it
        # and the keyboard is back in the command box.
        for _ in range(20):
            self.keys(Keys.TAB)
            if self.js('return document.getElementById("frmHelp").contains(document.activeElement);'):
                break
        self.assertEqual(self.js('return document.activeElement.dataset.name;'), 'lblExit')
        self.keys(Keys.ESCAPE)
        self.wait_for(lambda: not self.shown('frmHelp'), 2)   # it goes once the keyboard has left it
        self.assertTrue(self.shown('frmAuthor'))
        self.assertTrue(self.box('txtCon')['focused'])
        # A press of "помощь" opens it again where there is room.
        self.click('frmTargame', 'lblHelp')
        self.assertTrue(apart(rect('frmHelp'), rect('frmAuthor')))

    def test_caret_keys_decide_where_typing_goes(self):
        self.start()
        self.keys('урну', Keys.HOME, 'осм ')
        b = self.box('txtCon')
        self.assertEqual((b['value'], b['start'], b['end']), ('осм урну', 4, 4))
        self.keys(Keys.END, Keys.LEFT, Keys.LEFT, Keys.SHIFT, Keys.LEFT, Keys.LEFT, Keys.NULL, 'ур')
        b = self.box('txtCon')
        self.assertEqual((b['value'], b['start'], b['end']), ('осм урну', 6, 6))
        self.keys(Keys.ENTER)
        self.assertEqual(self.text('lblAction'), 'осм урну')
        self.assertIn('пустая пачка', self.output())

    def test_paste_stops_at_any_line_break(self):
        self.start()
        self.d.execute_cdp_cmd('Browser.grantPermissions', {
            'origin': self.site.url.rstrip('/'), 'permissions': ['clipboardReadWrite', 'clipboardSanitizedWrite']})
        self.keys('осмотреть ', 'шкаф')
        self.keys(Keys.SHIFT, Keys.LEFT, Keys.LEFT, Keys.LEFT, Keys.LEFT, Keys.NULL)
        self.js('return navigator.clipboard.writeText(arguments[0]);', 'урну\u2028взять урну')
        self.keys(Keys.CONTROL, 'v', Keys.NULL)
        b = self.box('txtCon')
        self.assertEqual((b['value'], b['start'], b['end']), ('осмотреть урну', 14, 14))
        self.assertEqual(self.text('lblSteps'), '0 ходов', 'a paste submits nothing')

    def test_screen_readers_get_the_windows_roles_and_names(self):
        tree = [n for n in self.d.execute_cdp_cmd('Accessibility.getFullAXTree', {})['nodes'] if not n.get('ignored')]
        value = lambda n, key: (n.get(key) or {}).get('value')
        groups = [n for n in tree if value(n, 'role') == 'radiogroup']
        headings = [self.el('frmNew', n).text for n in ('lblDiffHeading', 'lblMusHeading')]
        self.assertEqual([value(g, 'name') for g in groups], headings)
        by_id = {n['nodeId']: n for n in tree}
        for group in groups:
            radios = [by_id[c] for c in group.get('childIds', []) if c in by_id and value(by_id[c], 'role') == 'radio']
            self.assertEqual(len(radios), 2)
            checked = [p['value']['value'] for r in radios for p in r.get('properties', []) if p['name'] == 'checked']
            self.assertEqual(sorted(checked), ['false', 'true'], 'one of each pair is chosen')
        dialog = [n for n in tree if value(n, 'role') == 'dialog']
        self.assertEqual([value(n, 'name') for n in dialog],
                         [self.js('return document.getElementById("frmNew").getAttribute("aria-label");')])
        self.assertTrue(value(dialog[0], 'description'), 'the dialog says what it is for')


class Phone(PageTest):
    width, height, mobile = 360, 640, True

    def tap(self, element):
        r = self.js('return arguments[0].getBoundingClientRect().toJSON();', element)
        x, y = r['left'] + r['width'] / 2, r['top'] + r['height'] / 2
        for kind, points in (('touchStart', [{'x': x, 'y': y}]), ('touchEnd', [])):
            self.d.execute_cdp_cmd('Input.dispatchTouchEvent', {'type': kind, 'touchPoints': points})

    def screen(self, width, height):
        self.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': width, 'height': height, 'deviceScaleFactor': 3, 'mobile': True})
        self.width, self.height = width, height
        time.sleep(0.3)

    def rect(self, selector):
        return self.js('return document.querySelector(arguments[0]).getBoundingClientRect().toJSON();', selector)

    def misfits(self):
        """What breaks the phone's rules in the windows on screen: text under
        16 px, targets under 44 px, anything outside the screen's width."""
        return self.js('''const [w, h] = arguments;
            const out = [];
            if (document.documentElement.scrollWidth > w) out.push('scrolls sideways');
            for (const e of document.querySelectorAll('section:not([hidden]) *')) {
              if (!e.getClientRects().length || e.closest('[hidden]')) continue;
              const r = e.getBoundingClientRect(), name = e.dataset.name || e.id || e.className;
              if (r.left < -0.5 || r.right > w + 0.5) out.push(`${name} outside ${r.left}..${r.right}`);
              const text = [...e.childNodes].some((n) => n.nodeType === 3 && n.textContent.trim());
              if ((text || e.tagName === 'INPUT') && parseFloat(getComputedStyle(e).fontSize) < 16)
                out.push(`${name} text ${getComputedStyle(e).fontSize}`);
              if (e.matches('button, input') && (r.width < 44 || r.height < 44))
                out.push(`${name} target ${r.width}x${r.height}`);
            }
            return out;''', self.width, self.height)

    def test_every_window_fits_a_phone(self):
        for width, height in ((360, 640), (390, 844)):
            self.screen(width, height)
            self.assertEqual(self.misfits(), [], f'the dialog at {width}x{height}')
        self.start()
        self.command('осмотреть урну')
        self.assertEqual(self.misfits(), [], 'the game')
        game = self.rect('#frmTargame')
        self.assertEqual((game['left'], game['width'], game['height']), (0, 390, 844), 'the game fills the screen')
        self.assertGreater(self.rect('[data-name="txtCon"]')['top'], 844 - 100, 'the command line at the bottom')
        self.assertGreater(self.rect('[data-name="txtGame"]')['height'], 300, 'the output box takes the rest')
        for button, form in (('lblHelp', 'frmHelp'), ('lblAuthor', 'frmAuthor')):
            time.sleep(SETTLE)
            self.tap(self.el('frmTargame', button))
            self.assertTrue(self.shown(form))
            self.assertEqual(self.misfits(), [], form)
            self.screen(360, 640)   # turned, or another phone: all refits
            self.assertEqual(self.misfits(), [], f'{form} at 360x640')
            time.sleep(SETTLE)
            self.tap(self.el(form, 'lblExit'))
            self.assertFalse(self.shown(form))
            self.screen(390, 844)
        for line in ('налево', 'взять кирпич', 'выйти на улицу', 'разбить витрину кирпичом'):
            self.command(line)
        self.assertTrue(self.output().endswith('Игра Окончена.'))
        self.assertEqual(self.misfits(), [], 'the ending')

    def test_keyboard_opening_keeps_the_command_line_in_sight(self):
        self.start(easy=True)
        self.tap(self.el('frmTargame', 'txtCon'))
        buttons = [self.rect(f'[data-name="{n}"]')['width'] for n in ('lblNew', 'lbExit')]
        # An on-screen keyboard takes the lower 300 px.
        self.screen(360, 340)
        self.assertTrue(self.js('return document.body.classList.contains("column");'))
        con = self.rect('[data-name="txtCon"]')
        self.assertGreaterEqual(con['top'], 0)
        self.assertLessEqual(con['bottom'], 340.5, 'the command line above the keyboard')
        self.assertEqual([self.rect(f'[data-name="{n}"]')['width'] for n in ('lblNew', 'lbExit')], buttons,
                         'the same layout')
        self.assertTrue(self.box('txtCon')['focused'])
        # The touch keys: Up brings back the last command, Esc clears the box.
        self.command('осмотреть урну')
        self.tap(self.d.find_element(By.CSS_SELECTOR, '[data-key="Up"]'))
        self.assertEqual(self.box('txtCon')['value'], 'осмотреть урну')
        self.assertTrue(self.box('txtCon')['focused'])
        self.tap(self.d.find_element(By.CSS_SELECTOR, '[data-key="Escape"]'))
        self.assertEqual(self.box('txtCon')['value'], '')
        names = self.js('return [...document.querySelectorAll("#frmTargame .touchkey")].map(k => k.getAttribute("aria-label"));')
        self.assertEqual(names, ['стереть строку', 'прошлая команда'])

    def test_composed_words_complete_as_typed_ones(self):
        self.start(easy=True)
        self.tap(self.el('frmTargame', 'txtCon'))
        # The word under composition shows its completion as a grey tail ...
        self.d.execute_cdp_cmd('Input.imeSetComposition', {'text': 'вз', 'selectionStart': 2, 'selectionEnd': 2})
        ghost = self.js('const g = document.querySelector(".ghost"); return g.hidden ? null : g.textContent;')
        self.assertEqual(self.box('txtCon')['value'], 'вз', 'meanwhile the box is the input method\'s')
        # ... and the committed word is completed as if typed key by key.
        self.d.execute_cdp_cmd('Input.insertText', {'text': 'вз'})
        self.wait_for(lambda: self.box('txtCon')['value'] != 'вз', timeout=2)
        composed = self.box('txtCon')
        self.assertEqual(ghost, composed['value'])
        self.assertTrue(self.js('return document.querySelector(".ghost").hidden;'))
        self.keys(Keys.ESCAPE)
        self.keys('в', 'з')
        typed = self.box('txtCon')
        self.assertEqual((composed['value'], composed['start'], composed['end']),
                         (typed['value'], typed['start'], typed['end']))
        self.assertEqual((typed['start'], typed['end']), (2, len(typed['value'])))
        self.assertGreater(len(typed['value']), 2)
        # A deletion the keyboard sends without a key code reaches the game as
        # Backspace: the completed tail goes with the letter before it, and
        # what is left is completed afresh, all of it selected.
        self.js('document.execCommand("delete")')
        b = self.box('txtCon')
        self.assertEqual((b['value'][:1], b['start'], b['end']), ('в', 0, len(b['value'])))


class Resize(PageTest):
    width, height = 1000, 800

    def metrics(self, width, height, scale=1):
        self.d.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                               {'width': width, 'height': height, 'deviceScaleFactor': scale, 'mobile': False})
        time.sleep(0.3)
        self.assertLessEqual(self.js('return document.documentElement.scrollWidth;'), width, 'nothing sideways')

    def test_resize_to_a_phone_with_help_open_and_back(self):
        self.start()
        time.sleep(SETTLE)
        self.click('frmTargame', 'lblHelp')
        for width, height, column in ((360, 640, True), (1000, 800, False)):
            self.metrics(width, height)
            self.assertEqual(self.js('return document.body.classList.contains("column");'), column)
            for f in ('frmTargame', 'frmHelp'):
                r = self.js('return document.getElementById(arguments[0]).getBoundingClientRect().toJSON();', f)
                self.assertTrue(r['left'] >= 0 and r['right'] <= width + 0.5, f'{f} {r} at {width}')
            con = self.js('return document.querySelector(\'[data-name="txtCon"]\').getBoundingClientRect().toJSON();')
            self.assertLessEqual(con['right'], width + 0.5)
        self.command('осмотреть урну')
        self.assertIn('пустая пачка', self.output())

    def test_zoom_enlarges_the_text(self):
        # The browser's zoom: a smaller viewport in CSS pixels, more device pixels to each.
        def on_screen(width, height, scale):
            self.metrics(width, height, scale)
            return scale * self.js('return parseFloat(getComputedStyle(document.querySelector(\'[data-name="txtGame"]\')).fontSize);')
        self.start()
        at100 = on_screen(1000, 800, 1)
        self.assertGreaterEqual(at100, 16)
        self.assertAlmostEqual(on_screen(500, 400, 2), 2 * at100, delta=0.5)
        self.assertAlmostEqual(on_screen(250, 200, 4), 4 * at100, delta=1)
        self.metrics(320, 256)   # 320 CSS px wide: the column, nothing sideways
        self.command('осмотреть урну')
        self.assertIn('пустая пачка', self.output())


class Keeping(PageTest):
    def snapshot(self):
        return self.js(engines_test.KEPT)

    def reload(self):
        self.d.refresh()
        self.wait_for(lambda: self.js('return [...document.querySelectorAll("section.form")].some(f => !f.hidden);'))

    def test_a_reload_brings_the_game_back(self):
        self.start()
        for line in ('осмотреть урну', 'в магазин', 'купить сигареты'):
            self.command(line)
        self.keys('осм', Keys.SHIFT, Keys.LEFT, Keys.LEFT, Keys.NULL)
        time.sleep(SETTLE)
        self.click('frmTargame', 'lblHelp')
        before = self.snapshot()
        self.reload()
        self.assertEqual(self.snapshot(), before)
        self.command('выйти из магазина')
        self.assertEqual(self.text('lblSteps'), '4 ходов')
        # "новая" leaves nothing to bring back.
        time.sleep(SETTLE)
        self.click('frmTargame', 'lblNew')
        self.reload()
        self.assertTrue(self.shown('frmNew'))
        self.assertFalse(self.shown('frmTargame') or self.shown('frmHelp'))

    def test_a_reload_at_the_password_box(self):
        self.start()
        with open(os.path.join(TRANSCRIPTS, 'walkthrough_hard.txt'), encoding='utf-8') as f:
            lines = [line[2:].rstrip('\n') for line in f if line.startswith('> ')]
        for line in lines[:lines.index('включить компьютер') + 1]:
            self.command(line)
        self.keys('ly')
        before = self.snapshot()
        self.assertIn(['txtPwd', 'ly', 2, 2, False, False, True], before['boxes'])
        self.reload()
        self.assertEqual(self.snapshot(), before)

    def test_a_record_that_no_longer_replays_starts_afresh(self):
        self.start()
        self.command('осмотреть урну')
        self.js('''const r = sessionStorage.getItem('tarnvale-game');
            sessionStorage.setItem('tarnvale-game', r.replace('> осмотреть урну', '> осмотреться'));''')
        self.reload()
        self.assertTrue(self.shown('frmNew'))
        self.assertFalse(self.shown('frmTargame'))
        notice = self.d.find_element(By.ID, 'notice')
        self.assertEqual(notice.text, 'Прежнюю игру вернуть не удалось, начинаем новую.')
        self.start()
        self.assertFalse(notice.is_displayed())


class Axe(PageTest):
    """axe-core's WCAG 2.2 A and AA rules over every window, on a desktop
    and on a phone."""
    AXE = os.environ.get('TARNVALE_AXE', '')

    def violations(self, what):
        if not self.AXE:
            self.skipTest('axe-core is not installed (TARNVALE_AXE)')
        with open(self.AXE, encoding='utf-8') as f:
            self.js(f.read())
        found = self.d.execute_async_script('''const done = arguments[arguments.length - 1];
            axe.run(document, {runOnly: {type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa']}})
               .then(r => done(r.violations.map(v => v.id + ': ' + v.nodes.map(n => n.target.join(' ')).join(', '))));''')
        self.assertEqual(found, [], what)

    def every_window(self, tap):
        self.violations('the dialog')
        self.start()
        self.command('осмотреть урну')
        self.violations('the game')
        for button, form in (('lblHelp', 'frmHelp'), ('lblAuthor', 'frmAuthor')):
            time.sleep(SETTLE)
            tap(self.el('frmTargame', button))
            self.violations(form)
            time.sleep(SETTLE)
            tap(self.el(form, 'lblExit'))
        for line in ('налево', 'взять кирпич', 'выйти на улицу', 'разбить витрину кирпичом'):
            self.command(line)
        self.violations('the ending')
        time.sleep(SETTLE)
        tap(self.el('frmTargame', 'lbExit'))
        self.violations('the program closed')

    def test_desktop(self):
        self.d.set_script_timeout(30)
        self.every_window(lambda el: el.click())


class AxePhone(Axe):
    width, height, mobile = 360, 640, True

    def test_desktop(self):
        pass   # the phone's own test below

    def test_phone(self):
        self.d.set_script_timeout(30)
        self.every_window(lambda el: Phone.tap(self, el))


class Offline(PageTest):
    def installed(self):
        """The page as an installed one opens it: the worker has stored the site."""
        self.js('return navigator.serviceWorker.ready.then(() => true);')
        self.d.refresh()
        self.wait_for(lambda: self.js('return !!navigator.serviceWorker.controller;'))

    def play(self):
        self.wait_for(lambda: self.shown('frmNew'))
        self.start()
        self.command('осмотреть урну')
        self.assertIn('пустая пачка', self.output())

    def test_start_with_the_server_stopped(self):
        self.installed()
        self.site.stop()
        self.d.refresh()
        self.play()
        # A URL the site does not have gets no page in its place.
        self.d.get(self.site.url + 'nothing-here.html')
        self.assertFalse(self.js('return !!document.getElementById("frmNew");'))
        self.site = browser.Site(SITE)   # for the clean-up's stop

    def test_start_with_a_server_that_never_answers(self):
        self.installed()
        port = self.site.port
        self.site.stop()
        hanging = socket.socket()
        hanging.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        hanging.bind(('127.0.0.1', port))
        hanging.listen(16)   # connections are accepted by the system and never answered
        self.addCleanup(hanging.close)
        self.d.set_page_load_timeout(20)
        self.d.refresh()
        self.play()
        self.site = browser.Site(SITE)

    def tearDown(self):
        # Failed fetches of the stopped server are the point of these tests.
        errors = [e for e in self.d.get_log('browser')
                  if e['level'] == 'SEVERE' and 'net::ERR_' not in e['message'] and 'nothing-here' not in e['message']]
        self.assertEqual(errors, [])


if __name__ == '__main__':
    SITE, TRANSCRIPTS = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1] + sys.argv[3:], verbosity=2)
