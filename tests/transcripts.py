#!/usr/bin/env python3
"""Plays a transcript (transcripts/README.md) through one front-end.

    transcripts.py DRIVER PROGRAM FILE

DRIVER is the front-end and PROGRAM what it runs:
  engine   the engine itself, through its JSON conversation: PROGRAM is
           tarnvale-protocol
  wasm     the engine built to WebAssembly under node: PROGRAM is
           tarnvale-protocol built by emscripten
  protocol the program's own conversation: PROGRAM is tarnvale, run as
           --protocol
  json     the line mode: PROGRAM is tarnvale, run as --text --json
  page     the page in headless Chromium: PROGRAM is the built site
  terminal the full-screen game in tmux: PROGRAM is tarnvale
  windows  the Qt windows offscreen: PROGRAM is ui/transcript_host, which
           sends real key events into the widgets found by their names

The transcript is read here and nowhere else; every driver answers the same
steps and shows what it can of the game. A check of something a front-end
cannot show (the line mode has no caret, no flags) is skipped there and
counted; so is the rest of a game after a step the front-end cannot take.
"""

import json
import os
import subprocess
import sys
import time


def unescape(s):
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c != '\\' or i + 1 == len(s):
            out.append(c)
            i += 1
            continue
        e = s[i + 1]
        i += 2
        if e == 'u':
            digits = s[i:i + 4]
            i += len(digits)
            try:
                out.append(chr(int(digits, 16)) if digits else '')
            except ValueError:
                out.append('\0')
        else:
            out.append({'s': ' ', 't': '\t', 'r': '\r', 'n': '\n', '0': '\0'}.get(e, e))
    return ''.join(out)


def utf16_hex(text):
    """The text's UTF-16 code units, four hexadecimal digits each."""
    data = text.encode('utf-16-le', 'surrogatepass')
    return ''.join('%04x' % (data[k] | data[k + 1] << 8) for k in range(0, len(data), 2))


def shown(s):
    return '«' + s.replace('\r\n', '⏎') + '»'


class Cannot(Exception):
    """A step the front-end cannot take."""


class ProtocolDriver:
    """A program that plays through the game's JSON conversation
    (docs/protocol.md) on its standard input and output: `tarnvale
    --protocol`, or the same conversation of the engine alone or of the
    engine in WebAssembly under node. Typing goes in a character at a time,
    keys by name; the state is read from the view the answers keep up to
    date, and from the state record the conversation gives on request."""

    def __init__(self, command):
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     encoding='utf-8', errors='surrogatepass')
        self.windows, self.game = {}, {}

    def ask(self, message):
        # ASCII JSON: every character, a lone half of a surrogate pair too,
        # travels as its escape.
        self.proc.stdin.write(json.dumps(message) + '\n')
        self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError('the conversation ended at %r' % (message,))
        answer = json.loads(line)
        if 'error' in answer:
            raise RuntimeError('%s: %r' % (answer['error'], message))
        if answer.get('full'):
            self.windows, self.game = {}, {}
        self.windows = {name: self.windows.get(name, {}) for name in answer['open']}
        for name, window in answer.get('windows', {}).items():
            self.windows[name].update(window.get('widgets', {}))
        if 'game' in answer:
            self.game = {} if answer['game'] is None else dict(self.game, **answer['game'])
        return answer

    def widget(self, name):
        return self.windows.get('frmTargame', {}).get(name)

    def visible_box(self):
        return self.widget('txtPwd' if self.game.get('password') else 'txtCon')

    def start(self, easy, music):
        self.settings = (easy, music)
        self.ask({'start': True})
        self.choose()

    def choose(self):
        easy, music = self.settings
        for button in ('lblEasy' if easy else 'lblHard', 'lblMusOn' if music else 'lblMusOff', 'lblStart'):
            if not self.ask({'press': button, 'window': 'frmNew'})['taken']:
                raise RuntimeError('the dialog did not take ' + button)

    def line(self, text):
        box = self.visible_box()
        if box and box['visible'] and box['enabled']:
            self.type(text)
            self.ask({'key': 'Enter'})

    def type(self, text):
        # A character at a time: a surrogate pair is one character.
        units = text.encode('utf-16-le', 'surrogatepass')
        chars, i = [], 0
        while i < len(units):
            n = 4 if 0xD800 <= (units[i] | units[i + 1] << 8) <= 0xDBFF and i + 4 <= len(units) \
                and 0xDC00 <= (units[i + 2] | units[i + 3] << 8) <= 0xDFFF else 2
            chars.append(units[i:i + n].decode('utf-16-le', 'surrogatepass'))
            i += n
        for c in chars:
            self.ask({'type': c})

    def key(self, name):
        self.ask({'key': {'Esc': 'Escape'}.get(name, name)})

    def new_game(self):
        if not self.ask({'press': 'lblNew', 'window': 'frmTargame'})['taken']:
            raise RuntimeError('the game window did not take «новая»')
        self.choose()

    def state(self):
        record = self.ask({'state': True})['state']
        text = lambda name: self.widget(name)['text']
        state = {name: text(name) for name in ('txtGame', 'lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff')}
        state['inv'] = [text('lblInv%d' % i) for i in range(10)]
        con, pwd = self.widget('txtCon'), self.widget('txtPwd')
        state.update({'con': con['text'], 'con.sel': '%d %d' % (con['start'], con['length']),
                      'con.visible': con['visible'], 'con.enabled': con['enabled'],
                      'pwd': pwd['text'], 'pwd.visible': pwd['visible'],
                      'list.index': self.game['list'], 'list.size': record['phrases'],
                      'location': record['location'], 'moves': record['moves'], 'points': record['points'],
                      'money': record['money'], 'music': record['music'], 'flags': record['flags']})
        return state

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


class HostDriver:
    """A front-end behind a host process that speaks the runner's steps
    (transcript_steps.h)."""

    def __init__(self, command):
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     encoding='utf-8', errors='surrogatepass')

    def ask(self, step):
        self.proc.stdin.write(step + '\n')
        self.proc.stdin.flush()
        answer = self.proc.stdout.readline()
        if not answer:
            raise RuntimeError('the host ended at ' + step)
        return answer.rstrip('\n')

    def do(self, step):
        answer = self.ask(step)
        if answer != 'ok':
            raise Cannot(answer)

    def start(self, easy, music):
        self.do('start %d %d' % (easy, music))

    def line(self, text):
        self.do('line ' + utf16_hex(text))

    def type(self, text):
        self.do('type ' + utf16_hex(text))

    def key(self, name):
        self.do('key ' + name)

    def new_game(self):
        self.do('newgame')

    def state(self):
        return json.loads(self.ask('state'))

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


class LineModeDriver:
    """The line mode with --json: a line goes in whole and is typed as a player
    types it; typed text waits for Enter. It has no box to show and no keys
    but Enter and Esc."""

    def __init__(self, program):
        self.program = program
        self.proc = None

    def start(self, easy, music):
        self.close()
        self.settings = (easy, music)
        args = [self.program, '--text', '--json'] + (['--easy'] if easy else []) + (['--music'] if music else [])
        env = dict(os.environ, TARNVALE_MUSIC='true')
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env,
                                     encoding='utf-8', errors='surrogatepass')
        self.pending = ''
        self.screen = self.read()

    def read(self):
        line = self.proc.stdout.readline()
        if not line:
            raise RuntimeError('the line mode ended')
        return json.loads(line)

    def line(self, text):
        if any(c in text for c in '\r\n'):
            raise Cannot('a line break inside a line')
        self.proc.stdin.write(text + '\n')
        self.proc.stdin.flush()
        self.screen = self.read()

    def type(self, text):
        self.pending += text

    def key(self, name):
        if name == 'Enter':
            text, self.pending = self.pending, ''
            self.line(text)
        elif name == 'Esc':
            self.pending = ''
        else:
            raise Cannot('the line mode has no ' + name + ' key')

    def new_game(self):
        self.start(*self.settings)

    def state(self):
        s = self.screen
        state = {k: s[k] for k in ('txtGame', 'lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff')}
        state['inv'] = s['lblInv']
        state['con.visible'] = s['txtCon']['visible']
        state['con.enabled'] = s['txtCon']['enabled']
        state['pwd.visible'] = s['txtPwd']['visible']
        return state

    def close(self):
        if self.proc:
            self.proc.stdin.close()
            self.proc.wait()
            self.proc = None


class PageDriver:
    """The page in headless Chromium: the dialog's buttons pressed, keys and
    typed text sent to the input box that has the keyboard, the state read
    from the elements by their data-name."""

    STATE = '''
        const game = document.getElementById('frmTargame');
        const named = (n) => game.querySelector(`[data-name="${n}"]`);
        const con = named('txtCon'), pwd = named('txtPwd'), state = {};
        // What is leaving is out of sight already.
        const seen = (el) => !el.hidden && !el.classList.contains('leaving');
        state.txtGame = named('txtGame').textContent.replace(/\\n/g, '\\r\\n');
        for (const n of ['lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff']) state[n] = named(n).textContent;
        state.inv = Array.from({length: 10}, (_, i) => named('lblInv' + i).textContent);
        state.con = con.value;
        state['con.sel'] = con.selectionStart + ' ' + (con.selectionEnd - con.selectionStart);
        state['con.visible'] = seen(con);
        state['con.enabled'] = !con.disabled;
        state.pwd = pwd.value;
        state['pwd.visible'] = seen(pwd);
        return state;'''

    def __init__(self, site):
        sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), 'web'))
        import browser
        self.browser = browser
        self.site = browser.Site(site)
        self.d = browser.chromium()

    def press(self, form, name):
        # A press from the keyboard: never held back as a click just after a
        # window appeared would be.
        self.d.execute_script(
            'document.querySelector(`#${arguments[0]} [data-name="${arguments[1]}"]`).click();', form, name)

    def shown(self, form):
        return self.d.execute_script('const f = document.getElementById(arguments[0]); return !f.hidden && !f.classList.contains(\'leaving\');', form)

    def wait(self, condition):
        # As long as a person would wait for a page on a busy machine.
        deadline = time.monotonic() + 60
        while not condition():
            if time.monotonic() > deadline:
                log = '\n'.join(entry['message'] for entry in self.d.get_log('browser'))
                raise RuntimeError('the page did not come\n' + log)
            time.sleep(0.02)

    def choose_and_start(self):
        easy, music = self.settings
        self.wait(lambda: self.shown('frmNew'))
        self.press('frmNew', 'lblEasy' if easy else 'lblHard')
        self.press('frmNew', 'lblMusOn' if music else 'lblMusOff')
        self.press('frmNew', 'lblStart')
        self.wait(lambda: self.shown('frmTargame'))

    def start(self, easy, music):
        self.settings = (easy, music)
        # A fresh program in a new tab, whose storage holds no kept game. (The
        # old tab keeps its game as it is left, so clearing its storage first
        # would not do.)
        if self.d.current_url.startswith(self.site.url):
            self.browser.fresh_tab(self.d)
        self.d.get(self.site.url)
        self.choose_and_start()

    def box(self):
        return self.d.switch_to.active_element

    def enabled(self):
        return self.d.execute_script('return !document.activeElement.disabled;')

    def line(self, text):
        if self.enabled():
            self.box().send_keys(text, '\ue007')

    def type(self, text):
        self.box().send_keys(text)

    def key(self, name):
        from selenium.webdriver.common.keys import Keys
        keys = {'Enter': Keys.ENTER, 'Esc': Keys.ESCAPE, 'Up': Keys.ARROW_UP, 'Backspace': Keys.BACKSPACE,
                'Delete': Keys.DELETE}
        self.box().send_keys(keys[name])

    def new_game(self):
        self.press('frmTargame', 'lblNew')
        self.choose_and_start()

    def state(self):
        return self.d.execute_script(self.STATE)

    def close(self):
        self.d.quit()
        self.site.stop()


class TerminalDriver:
    """The full-screen game in a tmux pane of 200 by 60: keys sent as a
    player types them, each step done once the game has taken its keys and
    waits for the next (tui/taken.py), the state read back from the screen.
    The output box wraps its lines, so its text is compared with the blanks
    folded (and not at all while part of it is scrolled away); the labels are
    as wide as their column; the caret and the selection are not read."""

    COLUMNS, ROWS = 200, 60
    PANEL = COLUMNS - 24

    def __init__(self, program):
        sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), 'tui'))
        import taken
        self.taken = taken
        self.program = program
        self.socket = 'tarnvale-transcript-%d' % os.getpid()
        self.servers = 0

    def server(self):
        return '%s-%d' % (self.socket, self.servers)

    def tmux(self, *args, capture=False):
        result = subprocess.run(['tmux', '-u', '-L', self.server(), '-f', '/dev/null']
                                + list(args), capture_output=True, text=True)
        return result.stdout if capture else None

    def send(self, *args):
        """send-keys, then until the game has taken the keys."""
        before = self.taken.count(self.server())
        self.tmux('send-keys', *args)
        self.taken.wait(self.server(), before)

    def screen(self):
        return self.tmux('capture-pane', '-p', capture=True).split('\n')

    def settle(self):
        # The game has drawn all it will for the keys it took; until tmux
        # has shown it, the screen stays the same a moment.
        last = None
        for _ in range(100):
            now = self.screen()
            if now == last:
                return now
            last = now
            time.sleep(0.03)
        return last

    def wait_for(self, text):
        deadline = time.monotonic() + 60
        while not any(text in row for row in self.screen()):
            if time.monotonic() > deadline:
                raise RuntimeError('the terminal never showed ' + text)
            time.sleep(0.02)

    def start(self, easy, music):
        self.close()
        self.servers += 1
        self.settings = (easy, music)
        env = 'env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LANG=C.UTF-8 TERM=tmux-256color TARNVALE_MUSIC=true'
        self.tmux('new-session', '-d', '-x', str(self.COLUMNS), '-y', str(self.ROWS),
                  '%s %s --terminal; sleep 600' % (env, self.program))
        self.choose_and_start()

    def choose_and_start(self):
        easy, music = self.settings
        self.wait_for('выбирите сложность')
        # From "начать": Down to "сложная", once more to "простая", Space
        # marks it; Down on to "включить", once more to "отключить", Space.
        difficulty = 1 if easy else 0
        self.send(*['Down'] * (difficulty + 1), 'Space')
        self.send(*['Down'] * (2 - difficulty + (0 if music else 1)), 'Space')
        self.send('Enter')
        self.wait_for('простая игра' if easy else 'сложная игра')

    def send_text(self, text):
        if any(ord(c) < 0x20 for c in text):
            raise Cannot('a control character typed into a terminal')
        if text:
            self.send('-l', '--', text)

    def line(self, text):
        self.send_text(text)
        self.send('Enter')

    def type(self, text):
        self.send_text(text)

    def key(self, name):
        self.send({'Enter': 'Enter', 'Esc': 'Escape', 'Up': 'Up', 'Backspace': 'BSpace', 'Delete': 'DC'}[name])

    def new_game(self):
        self.send('F2')
        self.choose_and_start()

    def state(self):
        rows = self.settle()
        right = lambda row: rows[row][self.PANEL:].rstrip() if len(rows[row]) > self.PANEL else ''
        state = {'inv': [right(2 + i) for i in range(10)], 'lblDiff': right(13), 'lblMoney': right(14),
                 'lblSteps': right(15), 'lblPoints': right(16)}
        action = rows[1][4:].rstrip()
        if not action.endswith('…'):
            state['lblAction'] = action
        output = [row[:self.PANEL - 2] for row in rows[2:self.ROWS - 2]]
        column = [row[self.PANEL - 2:self.PANEL - 1] for row in rows[2:self.ROWS - 2]]
        if '↓' not in column and '↑' not in column:
            state['txtGame.words'] = ' '.join(' '.join(output).split())
        # Blanks at the end of the command line cannot be told from the screen's.
        state['con.rstrip'] = rows[self.ROWS - 1][4:].rstrip()
        return state

    def close(self):
        if self.servers:
            self.tmux('kill-server')


class Runner:
    def __init__(self, driver, path, mode, lines, music):
        self.driver, self.path, self.mode, self.lines, self.music = driver, path, mode, lines, music
        self.failures = []
        self.skipped = {}
        self.expected = None
        self.cached = None

    def fail(self, what):
        self.failures.append('%s:%d [%s] %s' % (self.path, self.line_no, self.mode, what))

    def state(self):
        if self.cached is None:
            self.cached = self.driver.state()
            # The counters as their labels show them, where the front-end
            # shows no more than the labels.
            for field, label in (('moves', 'lblSteps'), ('points', 'lblPoints'), ('money', 'lblMoney')):
                number = self.cached.get(label, '').split(' ')[0]
                if field not in self.cached and number.lstrip('-').isdigit():
                    self.cached[field] = int(number)
        return self.cached

    def act(self, action, *args):
        self.cached = None
        action(*args)

    def run(self):
        self.driver.start(self.mode == 'easy', self.music)
        for self.line_no, line in enumerate(self.lines, 1):
            line = line.rstrip('\r')
            if not line.startswith('='):
                self.flush_expected()
            if not line or line.startswith('#') or line.startswith('@'):
                continue
            if line.startswith('['):
                close = line.find('] ')
                if close < 0:
                    self.fail('unclosed mode prefix')
                    continue
                if line[1:close] != self.mode:
                    continue
                line = line[close + 2:]
            try:
                self.step(line)
            except Cannot as why:
                rest = sum(1 for l in self.lines[self.line_no:] if l.strip() and not l.startswith('#'))
                self.skipped['steps after "%s" (%s)' % (line, why)] = rest + 1
                return
        self.line_no += 1
        self.flush_expected()

    def flush_expected(self):
        if self.expected is None:
            return
        line, self.line_no = self.line_no, self.expected_line
        expected = '\r\n'.join(self.expected)
        if 'txtGame' not in self.state() and 'txtGame.words' in self.state():
            self.expect('output', 'txtGame.words', ' '.join(expected.split()))
        else:
            self.expect('output', 'txtGame', expected)
        self.line_no = line
        self.expected = None

    def expect(self, what, field, expected, convert=lambda v: v):
        state = self.state()
        if field not in state:
            self.skipped[field] = self.skipped.get(field, 0) + 1
            return
        actual = convert(state[field])
        if actual != expected:
            self.fail('%s: expected %s, got %s' % (what, shown(expected), shown(actual)))

    def step(self, line):
        verb, _, arg = line.partition(' ')
        arg = unescape(arg)
        if verb == '>':
            self.act(self.driver.line, arg)
        elif verb == '=':
            if self.expected is None:
                self.expected, self.expected_line = [], self.line_no
            self.expected.append(arg)
        elif verb == '~':
            state = self.state()
            if 'txtGame' in state:
                if arg not in state['txtGame']:
                    self.fail('output %s lacks %s' % (shown(state['txtGame']), shown(arg)))
            elif 'txtGame.words' in state:
                if ' '.join(arg.split()) not in state['txtGame.words']:
                    self.fail('output %s lacks %s' % (shown(state['txtGame.words']), shown(arg)))
            else:
                self.skipped['txtGame'] = self.skipped.get('txtGame', 0) + 1
        elif verb == 'key':
            if arg not in ('Enter', 'Esc', 'Up', 'Backspace', 'Delete'):
                return self.fail('unknown key ' + arg)
            self.act(self.driver.key, arg)
        elif verb == 'type':
            self.act(self.driver.type, arg)
        elif verb == 'newgame':
            self.act(self.driver.new_game)
        elif verb == '?':
            self.check(arg)
        else:
            self.fail('unknown step ' + verb)

    def check(self, arg):
        field, _, value = arg.partition(' ')
        text = lambda v: v
        number = lambda v: str(v)
        boolean = lambda v: 'true' if v else 'false'
        if field == 'con' and 'con' not in self.state() and 'con.rstrip' in self.state():
            return self.expect(field, 'con.rstrip', value.rstrip(' '), text)
        if field in ('lblAction', 'lblSteps', 'lblMoney', 'lblPoints', 'lblDiff', 'con', 'pwd', 'con.sel'):
            return self.expect(field, field, value, text)
        if field in ('con.visible', 'con.enabled', 'pwd.visible'):
            return self.expect(field, field, value, boolean)
        if field in ('location', 'moves', 'points', 'money', 'music', 'list.size', 'list.index'):
            return self.expect(field, field, value, number)
        if field.startswith('inv') and len(field) == 4 and field[3].isdigit():
            slot = int(field[3])
            return self.expect(field, 'inv', value, lambda v: v[slot])
        if field == 'flag':
            parts = value.split(' ')
            if len(parts) != 2:
                return self.fail('bad flag check ' + value)
            return self.expect(parts[0], 'flags', parts[1],
                               lambda flags: boolean(flags[parts[0]]) if parts[0] in flags else 'no such flag')
        self.fail('unknown check ' + field)


def play(driver, path):
    with open(path, encoding='utf-8', errors='surrogateescape') as f:
        lines = f.read().split('\n')
    modes, music = ['hard'], False
    for line in lines:
        if line.startswith('@modes '):
            modes = line[7:].split()
        elif line.strip() == '@music':
            music = True
    failures, skipped = [], {}
    for mode in modes:
        if mode not in ('hard', 'easy'):
            failures.append('%s: unknown mode %s' % (path, mode))
            continue
        runner = Runner(driver, path, mode, lines, music)
        runner.run()
        failures += runner.failures
        for what, n in runner.skipped.items():
            skipped['[%s] %s' % (mode, what)] = n
    return failures, skipped


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    name, program, path = sys.argv[1:]
    if name == 'windows':
        driver = HostDriver([program])
    elif name == 'engine':
        driver = ProtocolDriver([program])
    elif name == 'protocol':
        driver = ProtocolDriver([program, '--protocol'])
    elif name == 'wasm':
        driver = ProtocolDriver(['node', '--no-experimental-fetch', program])
    elif name == 'json':
        driver = LineModeDriver(program)
    elif name == 'page':
        driver = PageDriver(program)
    elif name == 'terminal':
        driver = TerminalDriver(program)
    else:
        sys.exit('unknown driver ' + name)
    try:
        failures, skipped = play(driver, path)
    finally:
        driver.close()
    for f in failures:
        print(f, file=sys.stderr)
    for what, n in sorted(skipped.items()):
        print('skipped here (%s cannot show or do it): %s, %d' % (name, what, n))
    print('%s: %d failure(s), %d check(s) or step(s) skipped' % (name, len(failures), sum(skipped.values())))
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
