"""Whole games played by ear under the screen reader Orca, in the windows or
in the page in Chromium, with real key events on the X display (xdotool,
with a Russian keyboard map); what Orca spoke is read from its debug log and
checked against what the game answered.

Started by orca_run.sh inside a private X display and D-Bus session:
    orca_test.py windows PROGRAM
    orca_test.py page SITE_DIR ENGINE_JS

The same inputs go into the engine's own JSON conversation beside the
front-end (PROGRAM --protocol, or the engine built to WebAssembly under
node), which says what every answer is. The games:

- the dialog as it opens: its choices and the button with the keyboard,
  said once (a page is first read to its end, as a player hears it);
  «начать» from the keyboard;
- the hard game to its ending (tests/transcripts/walkthrough_hard.txt), on
  the way Tab over the inventory and the counters, help opened from the
  keyboard and closed with Esc, and Up;
- «новая» from the keyboard, the easy game chosen with the arrows and
  started with the pointer, the completion of «о», and the game lost (street_gameover.txt): its closing
  lines and what to do next, where the keyboard went, and Enter there.

Every answer must be spoken exactly once after its Enter (the same reply
twice is two answers), with its news; no command is read back once entered;
nothing the player cannot see is spoken.

Exit status: 0 when Orca said what it should, 1 with what it did not, 77
when Orca or the accessibility bus cannot be brought up.
"""
import os
import re
import subprocess
import sys
import time

import gi

gi.require_version('Atspi', '2.0')
from gi.repository import Atspi  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..'))
from transcripts import ProtocolDriver  # noqa: E402

SKIP = 77
SCRATCH = os.environ['TARNVALE_ORCA_SCRATCH']
LOG = os.path.join(SCRATCH, 'orca.log')
TRANSCRIPTS = os.path.join(HERE, '..', 'transcripts')

HELP = 'Осматривайся в новой локации'
HIDDEN_LIST = 'словарь команд'

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print('FAIL:', what, flush=True)


def wait_for(find, timeout=20.0):
    end = time.monotonic() + timeout
    while True:
        try:
            found = find()
        except gi.repository.GLib.Error:
            found = None
        if found or time.monotonic() > end:
            return found
        time.sleep(0.1)


def find(node, wanted, depth=6, within=lambda node: True):
    """The first accessible under `node`, itself included, that is `wanted`,
    looking `depth` levels down and only into what is `within`."""
    if node is None or depth < 0 or not within(node):
        return None
    if wanted(node):
        return node
    for i in range(node.get_child_count()):
        found = find(node.get_child_at_index(i), wanted, depth - 1, within)
        if found:
            return found
    return None


def applications():
    desktop = Atspi.get_desktop(0)
    return [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]


def application(name):
    return next((a for a in applications() if a and a.get_name() == name), None)


# --- keys, as X events that Orca hears like a person's --------------------

def key(*names):
    subprocess.run(['xdotool', 'key', '--delay', '80', *names], check=True)
    time.sleep(0.2)


def type_text(text):
    # The keyboard map is Russian and English (orca_run.sh), so every letter
    # of the game has a key of its own: xdotool switches the group for it.
    subprocess.run(['xdotool', 'type', '--delay', '100', '--', text], check=True)


# --- what Orca said -------------------------------------------------------

def spoken(reading=True):
    """What Orca said, in order: what it speaks of itself and, unless
    `reading` is False, its reading of a page that has just opened, piece by
    piece as it reads."""
    if not os.path.exists(LOG):
        return []
    with open(LOG, encoding='utf-8', errors='replace') as f:
        log = f.read()
    said = re.findall(r"SPEECH OUTPUT: '(.*?)' ?\[?\{'established'|WEB SAY ALL: \[[^]]*\] '(.*?)' \(\d+-\d+, current", log, re.S)
    return [' '.join((a or b).replace('\u200b', '').split()) for a, b in said if a or reading]


def reading():
    """Whether Orca has come to the end of its reading of a page that has
    just opened (or has none to do)."""
    if not os.path.exists(LOG):
        return True
    with open(LOG, encoding='utf-8', errors='replace') as f:
        log = f.read()
    return log.count('WEB: Doing SayAll') <= log.count('WEB: textLines complete')


def words(text):
    return ' '.join(text.replace('\r\n', ' ').split())


def wait_said(text, after=0, timeout=20.0, where=str.startswith):
    """Waits until Orca has said something that `where` finds `text` in,
    after the first `after` utterances; returns the index of that utterance
    (None, and a failure, if it never came)."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        said = spoken()
        for i in range(after, len(said)):
            if where(said[i], text):
                return i
        time.sleep(0.1)
    check(False, f'Orca never said {text!r} (after: {spoken()[after:][-6:]})')
    return None


def caught_up(quiet=0.5, timeout=30.0):
    """Waits until Orca has worked through what happened so far: its log
    has not grown for `quiet` seconds. On a busy machine it takes in the
    events of the typing well after the keys; a player listens until the
    letters and the completion have been told before pressing Enter."""
    end = time.monotonic() + timeout
    size, since = -1, time.monotonic()
    while time.monotonic() < end:
        now = os.path.getsize(LOG) if os.path.exists(LOG) else 0
        if now != size:
            size, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            return
        time.sleep(0.05)


def settle(quiet=0.8, timeout=10.0):
    """Waits until Orca has said nothing new for `quiet` seconds."""
    end = time.monotonic() + timeout
    count, since = len(spoken()), time.monotonic()
    while time.monotonic() < end:
        time.sleep(0.1)
        now = len(spoken())
        if now != count:
            count, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            return


# --- one game, as a transcript plays it -------------------------------------

class Game:
    """Plays a front-end and the engine's conversation side by side, and
    checks what Orca said for each answer."""

    def __init__(self, front, reference):
        self.front, self.ref = front, reference
        self.answers = []   # (utterance index before the Enter, the answer)

    def answer(self):
        return self.ref.game.get('answer', '')

    def enter(self):
        turns = self.ref.game.get('turns')
        before = len(spoken())
        box = self.ref.visible_box()
        takes = box and box['visible'] and box['enabled']
        caught_up()
        self.ref.key('Enter')
        key('Return')
        if takes and self.ref.game.get('turns') != turns:
            self.answers.append((before, self.answer()))
            wait_said(words(self.answer())[:60], before)
            settle()
        return before

    def type(self, text):
        """Types as a person does, a letter once the last one is in the box;
        a key that a busy display lost is pressed again."""
        def state():
            box = self.ref.visible_box()
            return box['text'], box['start'], box['length']
        for letter in text:
            before = state()
            self.ref.type(letter)
            want = state()
            for _ in range(3):
                type_text(letter)
                if wait_for(lambda: self.front.box_state() == want, 3) or self.front.box_state() != before:
                    break
                print(f'pressing {letter!r} of {text!r} again', flush=True)
            if self.front.box_state() != want:
                check(False, f'the box shows {self.front.box_state()!r}, not {want!r}')
                return

    def up(self):
        before = len(spoken())
        self.ref.key('Up')
        key('Up')
        recalled = self.ref.visible_box()['text']
        check(self.front.wait_box(recalled), f'Up brought back {self.front.box_text()!r}, not {recalled!r}')
        if recalled:
            wait_said(recalled, before, where=lambda s, t: t in s)
        settle()

    def esc(self):
        self.ref.key('Esc')
        key('Escape')
        check(self.front.wait_box(''), f'Esc left {self.front.box_text()!r} in the box')

    def play(self, transcript, mode):
        with open(os.path.join(TRANSCRIPTS, transcript), encoding='utf-8') as f:
            lines = f.read().splitlines()
        for line in lines:
            if line.startswith('['):
                prefix, _, line = line.partition('] ')
                if prefix[1:] != mode:
                    continue
            verb, _, arg = line.partition(' ')
            arg = arg.replace('\\s', ' ')
            if verb == '>':
                box = self.ref.visible_box()
                if box and box['visible'] and box['enabled']:
                    self.type(arg)
                    self.enter()
            elif verb == 'type':
                self.type(arg)
            elif verb == 'key':
                {'Enter': self.enter, 'Up': self.up, 'Esc': self.esc}[arg]()

    def check_answers(self):
        """Every answer spoken exactly once, whole, between its Enter and
        the next answer's."""
        said = spoken()
        for n, (before, answer) in enumerate(self.answers):
            until = self.answers[n + 1][0] if n + 1 < len(self.answers) else len(said)
            whole = words(answer)
            told = [s for s in said[before:until] if s.startswith(whole[:60])]
            check(len(told) == 1, f'the answer {whole[:50]!r}… is spoken {len(told)} times')
            check(not told or told[0] == whole,
                  f'the answer is not spoken whole: {told[0][-80:]!r} for {whole[-80:]!r}' if told else '')


def check_common(said):
    # (A page's reading tells every control, the dialog's clickable note too.)
    clickable = [s for s in spoken(reading=False) if 'clickable' in s]
    check(not clickable, f'text told as clickable: {clickable}')
    hidden = [s for s in said if HIDDEN_LIST in s]
    check(not hidden, f'the hidden dictionary is spoken: {hidden}')
    bindings = [s for s in said if s.rstrip('.').endswith('Space')]
    check(not bindings, f'key bindings spoken: {bindings}')
    browse = [s for s in said if s.startswith('Больше нет') or s.startswith('No more')]
    check(not browse, f'letters taken as the screen reader\'s commands: {browse}')


# --- the run, the same for both front-ends ----------------------------------

def session(front, reference):
    """The whole session, from the dialog as the program starts."""
    dialog = wait_said('tarnvale: новая игра')
    if dialog is None:
        return
    settle()
    # A page that has just opened is read aloud to its end; the player
    # listens to it before pressing anything.
    check(wait_for(reading, 60), 'Orca never finished reading the page')
    settle()
    said = spoken()
    opening = ' '.join(said[dialog:])
    check('сложная' in opening and 'включить' in opening,
          f'the dialog does not tell its choices as it opens: {said[dialog:]}')
    check('начать' in opening, f'the dialog does not tell the button with the keyboard: {said[dialog:]}')
    check(sum(1 for s in said if s.startswith('tarnvale: новая игра')) == 1, 'the dialog is told more than once')

    # The hard game, to its ending.
    reference.start(False, False)
    game = Game(front, reference)
    before = len(spoken())
    key('Return')                  # «начать», which has the keyboard
    game.answers.append((before, game.answer()))
    wait_said(words(game.answer())[:60], before)
    settle()
    front.wait_focus('txtCon')
    game.play('walkthrough_hard.txt', 'hard')
    # Up brings back the last command, told; Tab goes over the window; help
    # opens from the keyboard and closes with Esc.
    game.up()
    game.esc()
    tab_over_the_window(front, reference)
    help_from_the_keyboard(front)
    game.check_answers()

    # A new game from the keyboard, the easy one chosen with the arrows.
    front.tab_to('lblNew')
    before = len(spoken())
    key('Return')
    wait_said('tarnvale: новая игра', before)
    settle()
    front.tab_to('lblHard')
    before = len(spoken())
    key('Down')
    wait_said('простая', before, where=lambda s, t: t in s)
    check(front.focused() == 'lblEasy', f'the arrow did not move to «простая»: {front.focused()}')
    settle()
    if any('not selected' in s for s in spoken()[before:]):
        # The screen reader's browse mode (the page) moved there without
        # choosing; the player, told so, chooses with Space.
        before = len(spoken())
        key('space')
        wait_said('selected', before, where=lambda s, t: s.startswith(t))
        settle()
    # This game starts from the pointer: the keyboard goes to the command
    # box all the same, and the letters typed there are the game's.
    reference.new_game_easy()
    game = Game(front, reference)
    before = len(spoken())
    front.click('lblStart')
    game.answers.append((before, game.answer()))
    wait_said(words(game.answer())[:60], before)
    settle()
    front.wait_focus('txtCon')
    # The completion of «о» is told once, whole.
    before = len(spoken())
    game.type('о')
    wait_said(reference.visible_box()['text'], before, where=lambda s, t: s == t or s.endswith(' ' + t))
    settle()
    game.esc()
    game.play('street_gameover.txt', 'easy')
    game.check_answers()
    # The keyboard left the dead command box for the output box, told; Enter
    # there says again what can be done.
    closing = words(reference.game.get('answer', '')).split('. ')[-1][:40]
    check(front.focused() == 'txtGame', f'the keyboard is not in the output box after the game over: {front.focused()}')
    before = len(spoken())
    key('Return')
    wait_said(closing, before, where=lambda s, t: t in s)
    settle()


def tab_over_the_window(front, reference):
    """Tab from the command box through the window and back: each item
    carried and each counter says its value."""
    before = len(spoken())
    for _ in range(30):
        key('Tab')
        if front.focused() in ('txtCon', 'txtPwd'):
            break
    # The last command stands just before the box (in the page, the
    # browser's own controls come between the end and the start again).
    key('shift+Tab')
    key('Tab')
    settle()
    said = spoken()[before:]
    text = lambda name: reference.widget(name)['text']
    values = [text('lblInv%d' % i) for i in range(10) if text('lblInv%d' % i)]
    values += [f'{name}: {text(widget)}' for widget, name in (
        ('lblMoney', 'деньги'), ('lblPoints', 'очки'), ('lblSteps', 'ходы'), ('lblAction', 'последняя команда'))]
    for value in values:
        check(any(value in s for s in said), f'Tab over the window never says {value!r}: {said}')


def help_from_the_keyboard(front):
    front.tab_to('lblHelp')
    before = len(spoken())
    key('Return')
    at = wait_said('tarnvale: помощь', before)
    settle()
    said = spoken()
    check(at is not None and any(HELP in s for s in said[at:]), 'help\'s text is not spoken as it opens')
    before = len(said)
    key('Escape')
    wait_said('командная строка', before, where=lambda s, t: t in s)
    settle()


# --- the two front-ends ---------------------------------------------------

class Windows:
    # The widgets the test goes to, by their accessible names.
    NAMES = {'командная строка': 'txtCon', 'пароль': 'txtPwd', 'что происходит': 'txtGame',
             'помощь': 'lblHelp', 'новая игра': 'lblNew', 'начать игру': 'lblStart',
             'сложная (лучше сначала играть так)': 'lblHard', 'простая (играть не интересно)': 'lblEasy'}

    def __init__(self, app):
        self.app = app

    def focused(self):
        for i in range(self.app.get_child_count()):
            window = self.app.get_child_at_index(i)
            if window and window.get_state_set().contains(Atspi.StateType.ACTIVE):
                node = find(window, lambda n: n.get_state_set().contains(Atspi.StateType.FOCUSED))
                if node:
                    return self.NAMES.get(node.get_name(), node.get_name())
        return None

    def box_state(self):
        """The input box on screen: its text and selection (start, length)."""
        node = find(self.app, lambda n: n.get_state_set().contains(Atspi.StateType.EDITABLE)
                    and n.get_state_set().contains(Atspi.StateType.SHOWING))
        text = node.get_text_iface() if node else None
        if not text:
            return None
        if text.get_n_selections() > 0:
            selected = text.get_selection(0)
            start, length = selected.start_offset, selected.end_offset - selected.start_offset
        else:
            start, length = text.get_caret_offset(), 0
        return text.get_text(0, -1), start, length

    def box_text(self):
        state = self.box_state()
        return state and state[0]

    def wait_box(self, text):
        return wait_for(lambda: self.box_text() == text, 5)

    def wait_focus(self, name):
        if not wait_for(lambda: self.focused() == name, 10):
            check(False, f'the keyboard is on {self.focused()!r}, not {name!r}')

    def click(self, name):
        """Presses the pointer on the control of this name, as a hand would."""
        want = next(n for n, w in self.NAMES.items() if w == name)
        node = wait_for(lambda: find(self.app, lambda n: n.get_name() == want and n.get_role() == Atspi.Role.PUSH_BUTTON,
                                     depth=16, within=lambda n: n.get_state_set().contains(Atspi.StateType.SHOWING)))
        check(node is not None, f'no {want!r} to press')
        if node is not None:
            box = node.get_extents(Atspi.CoordType.SCREEN)
            subprocess.run(['xdotool', 'mousemove', str(box.x + box.width // 2), str(box.y + box.height // 2),
                            'click', '1'], check=True)

    def tab_to(self, name):
        for _ in range(30):
            if self.focused() == name:
                return
            key('Tab')
        check(False, f'Tab never reached {name}')


class Page(Windows):
    def __init__(self, driver, app):
        self.d, self.app = driver, app

    def focused(self):
        return self.d.execute_script('const a = document.activeElement; return a && a.dataset.name || null;')

    def box_state(self):
        # The input box on screen, the dead one after a game over too.
        state = self.d.execute_script('''const box = (n) => document.querySelector(`#frmTargame [data-name="${n}"]`);
            const b = box('txtPwd').hidden ? box('txtCon') : box('txtPwd');
            return b.hidden ? null : [b.value, b.selectionStart, b.selectionEnd - b.selectionStart];''')
        return state and tuple(state)


def windows(program):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', LANG='ru_RU.UTF-8')
    game = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    reference = Reference([program, '--protocol'])
    try:
        app = wait_for(lambda: application('tarnvale'))
        check(app is not None, 'the program never reached the accessibility bus')
        if app is not None:
            session(Windows(app), reference)
    finally:
        reference.close()
        game.terminate()
        game.wait(10)


def page(site, engine):
    sys.path.insert(0, os.path.join(HERE, '..', 'web'))
    import browser
    server = browser.Site(site)
    driver = browser.chromium(1280, 800, headless=False,
                              extra=['--force-renderer-accessibility', '--window-position=0,0'])
    reference = Reference(['node', '--no-experimental-fetch', engine])
    try:
        driver.get(server.url)
        app = wait_for(lambda: application('Chromium'))
        check(app is not None, 'the browser never reached the accessibility bus')
        if app is not None:
            session(Page(driver, app), reference)
    finally:
        reference.close()
        driver.quit()
        server.stop()


class Reference(ProtocolDriver):
    """The engine's own conversation, playing the same game."""

    def start(self, easy, music):
        self.settings = (easy, music)
        self.ask({'start': True})
        self.choose()

    def new_game_easy(self):
        self.settings = (True, False)
        self.new_game()


def end_our_own(*names):
    """Ends the processes of these names that this test started (they carry
    its scratch directory in their environment), not anybody else's."""
    mark = ('TARNVALE_ORCA_SCRATCH=' + SCRATCH).encode()
    for pid in os.listdir('/proc'):
        if not pid.isdigit():
            continue
        try:
            with open(f'/proc/{pid}/comm') as f:
                name = f.read().strip()
            if name not in (n[:15] for n in names):   # the kernel keeps 15 characters of a name
                continue
            with open(f'/proc/{pid}/environ', 'rb') as f:
                if mark in f.read().split(b'\0'):
                    os.kill(int(pid), 15)
        except OSError:
            pass


def main():
    what, target = sys.argv[1], sys.argv[2:]
    # A Russian keyboard, with English on its second group (for the password).
    subprocess.run(['setxkbmap', '-layout', 'ru,us'], check=True)
    subprocess.Popen(['/usr/libexec/at-spi-bus-launcher', '--launch-immediately'])
    time.sleep(1)
    # Orca writes its debug log through a buffer; line by line, the test
    # can wait for what it says instead of guessing how long it takes.
    line_buffered = ('import builtins, runpy, sys\n'
                     'plain = builtins.open\n'
                     'def logged(f, mode="r", buffering=-1, *args, **kwargs):\n'
                     '    if "w" in mode and str(f) == sys.argv[-1]: buffering = 1\n'
                     '    return plain(f, mode, buffering, *args, **kwargs)\n'
                     'builtins.open = logged\n'
                     'sys.argv = ["orca"] + sys.argv[1:]\n'
                     'runpy.run_path("/usr/bin/orca", run_name="__main__")\n')
    orca = subprocess.Popen(['/usr/bin/python3', '-c', line_buffered, '-u', os.path.join(SCRATCH, 'prefs'),
                             '--debug-file', LOG], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not wait_for(lambda: 'Screen reader on.' in spoken(), 60):
        print('SKIP: Orca did not come up')
        return SKIP
    settle()
    try:
        (windows if what == 'windows' else page)(*target)
    finally:
        # Orca writes its log as it shuts down.
        orca.terminate()
        try:
            orca.wait(20)
        except subprocess.TimeoutExpired:
            orca.kill()
        end_our_own('speech-dispatcher', 'sd_espeak-ng', 'at-spi-bus-launcher', 'at-spi2-registryd')
    said = spoken()
    print('Orca said:', *said, sep='\n  ')
    check_common(said)
    if failures or os.environ.get('TARNVALE_ORCA_LOG'):
        # Orca's whole log, for a look at what it made of the events.
        kept = os.environ.get('TARNVALE_ORCA_LOG') or os.path.join(os.environ.get('TMPDIR', '/tmp'),
                                                                   f'tarnvale-orca-{what}.log')
        subprocess.run(['cp', LOG, kept], check=False)
        print('Orca\'s log:', kept)
    print('ok' if not failures else f'{len(failures)} failures')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
