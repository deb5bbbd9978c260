"""A short game played under the screen reader Orca, in the windows or in the
page in Chromium, with real key events on the X display; what Orca spoke is
read from its debug log and checked.

Started by orca_run.sh inside a private X display and D-Bus session:
    orca_test.py windows PROGRAM
    orca_test.py page SITE_DIR

The game: start, «осмотреться» twice, «осмотреть урну», «магазин», help
opened from the keyboard and closed with Esc. Every answer must be spoken
exactly once (the same reply twice is two answers), the points and the item
after the urn, help's text when it opens, the command box when it closes, and
no command read back once entered.

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

SKIP = 77
SCRATCH = os.environ['TARNVALE_ORCA_SCRATCH']
LOG = os.path.join(SCRATCH, 'orca.log')

OPENING = 'Ты стоишь на улице. Мимо по дороге проносятся машины. Перед тобой магазин, слева'
LOOK = 'Ты стоишь на улице. Мимо по дороге проносятся машины. Перед тобой магазин с мерзкой витриной'
URN = 'Грязная урна, вся в ржавчине.'
URN_NEWS = '100 очков. Теперь у тебя: пустая пачка сигарет.'
SHOP = 'По обстановке видно, что ремонта здесь не было'
SHOP_END = 'Тут продают хлеб, спиртное, шпроты и дешёвые сигареты.'
HELP = 'Осматривайся в новой локации'
COMMANDS = ['осмотреться', 'осмотреть урну', 'магазин']

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
        time.sleep(0.2)


def applications():
    desktop = Atspi.get_desktop(0)
    return [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]


def application(name):
    return next((a for a in applications() if a and a.get_name() == name), None)


# --- keys, as X events that Orca hears like a person's --------------------

KEYSYMS = {'Return': 0xff0d, 'Tab': 0xff09, 'Escape': 0xff1b}


def key(name):
    Atspi.generate_keyboard_event(KEYSYMS[name], None, Atspi.KeySynthType.SYM)
    time.sleep(0.15)


def type_text(text):
    for c in text:
        Atspi.generate_keyboard_event(ord(c) if ord(c) < 0x100 else 0x1000000 + ord(c), None,
                                      Atspi.KeySynthType.SYM)
        # A letter the keyboard map lacks is mapped to a spare key for the
        # moment: the program must have read it before the next one is.
        time.sleep(0.3)


def command(text, answer, typing):
    """Types a command and Enter; waits for its answer to be spoken."""
    before = len(spoken())
    typing(text)
    time.sleep(0.3)
    key('Return')
    wait_said(answer, before)
    time.sleep(1)   # and for anything else Orca would say after it


# --- what Orca said -------------------------------------------------------

def spoken():
    with open(LOG, encoding='utf-8', errors='replace') as f:
        log = f.read()
    said = re.findall(r"SPEECH OUTPUT: '(.*?)' ?\[?\{'established'", log, re.S)
    return [' '.join(s.replace('\u200b', '').split()) for s in said]


def wait_said(text, after=0, timeout=15.0):
    """Waits until Orca has said something that begins with `text`, after
    the first `after` utterances; returns how many it has said by then."""
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        said = spoken() if os.path.exists(LOG) else []
        if any(s.startswith(text) for s in said[after:]):
            return len(said)
        time.sleep(0.2)
    check(False, f'Orca never said {text!r}')
    return len(spoken())


def count(said, text, where=str.startswith):
    return sum(1 for s in said if where(s, text))


def check_speech(said):
    print('Orca said:', *said, sep='\n  ')
    check(count(said, OPENING) == 1, 'the opening scene is not spoken exactly once')
    check(count(said, LOOK) == 2, '«осмотреться» twice is not two replies spoken')
    urn = [s for s in said if s.startswith(URN)]
    check(len(urn) == 1 and urn[0].endswith(URN_NEWS),
          f'the urn\'s reply is not spoken once with its news after it: {urn}')
    # (Passing through the output box on the way to help reads its line at
    # the caret, the reply's first line: that is no second answer.)
    check(sum(1 for s in said if s.startswith(SHOP) and s.endswith(SHOP_END)) == 1,
          'the shop\'s reply is not spoken exactly once')
    help_at = [i for i, s in enumerate(said) if HELP in s]
    check(len(help_at) == 1, 'help\'s text is not spoken once as help opens')
    if help_at:
        check(any('командная строка' in s for s in said[help_at[0] + 1:]),
              'the command box is not spoken when help closes')
    clickable = [s for s in said if 'clickable' in s]
    check(not clickable, f'text told as clickable: {clickable}')
    # Once entered, a command is not read back: what follows Enter is its answer.
    read_back = [said[i + 1] for i, s in enumerate(said[:-1]) if s == 'return' and said[i + 1].rstrip('.') in COMMANDS]
    check(not read_back, f'commands read back: {read_back}')


# --- the two front-ends ---------------------------------------------------

def play(help_focused, typing=type_text):
    """The game from the dialog on, with the keyboard that has it; then help
    opened from the keyboard (Tab to «помощь», Enter) and closed with Esc."""
    wait_said('tarnvale: новая игра')
    time.sleep(1)
    key('Return')                 # "начать", which has the keyboard
    wait_said(OPENING)
    time.sleep(1)
    for line, answer in (('осмотреться', LOOK), ('осмотреться', LOOK), ('осмотреть урну', URN),
                         ('магазин', SHOP)):
        command(line, answer, typing)
    for _ in range(14):
        key('Tab')
        time.sleep(0.5)
        if help_focused():
            break
    time.sleep(1)
    before = len(spoken())
    key('Return')
    wait_said('tarnvale: помощь', before)
    time.sleep(1.5)
    before = len(spoken())
    key('Escape')
    wait_said('командная строка', before)
    time.sleep(1)


def typed_into(app):
    """Types into the focused box of `app` until it shows the text: a letter
    the keyboard map lacks is mapped to a spare key for the moment, and on a
    busy machine the program may read one after the next has taken its place."""
    def focused_text():
        node = focused(app)
        text = node.get_text_iface() if node else None
        return text.get_text(0, -1) if text else None

    def typing(text):
        for _ in range(4):
            type_text(text)
            if wait_for(lambda: focused_text() == text, 2):
                return
            key('Escape')   # the box emptied, and once more
            time.sleep(0.5)
        check(False, f'could not type {text!r}')
    return typing


def windows(program):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1', LANG='ru_RU.UTF-8')
    game = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        app = wait_for(lambda: application('tarnvale'))
        check(app is not None, 'the program never reached the accessibility bus')
        if app is not None:
            play(lambda: focused_name(app) == 'помощь', typed_into(app))
    finally:
        game.terminate()
        game.wait(10)


def focused(app):
    """The widget with the keyboard in the application."""
    def walk(node, depth=0):
        if node is None or depth > 6:
            return None
        if node.get_state_set().contains(Atspi.StateType.FOCUSED):
            return node
        for i in range(node.get_child_count()):
            found = walk(node.get_child_at_index(i), depth + 1)
            if found:
                return found
        return None
    return walk(app)


def focused_name(app):
    node = focused(app)
    return node.get_name() if node else None


def page(site):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'web'))
    import browser
    server = browser.Site(site)
    driver = browser.chromium(1280, 800, headless=False,
                              extra=['--force-renderer-accessibility', '--window-position=0,0'])
    try:
        driver.get(server.url)
        # The letters go into the box as an edit of its text (Chromium under a
        # screen reader takes no synthetic keys, nor letters the keyboard map
        # lacks); Enter, Tab and Esc are keys on the display, which Orca hears.
        typing = '''const box = document.activeElement;
            box.value = arguments[0];
            box.setSelectionRange(box.value.length, box.value.length);
            box.dispatchEvent(new InputEvent('input', {inputType: 'insertReplacementText', bubbles: true}));'''
        play(lambda: driver.execute_script('return document.activeElement.dataset.name;') == 'lblHelp',
             lambda text: driver.execute_script(typing, text))
    finally:
        driver.quit()
        server.stop()


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
    what, target = sys.argv[1], sys.argv[2]
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
    if not wait_for(lambda: os.path.exists(LOG) and 'Screen reader on.' in spoken(), 60):
        print('SKIP: Orca did not come up')
        return SKIP
    time.sleep(1)
    try:
        (windows if what == 'windows' else page)(target)
    finally:
        # Orca writes its log as it shuts down.
        orca.terminate()
        try:
            orca.wait(20)
        except subprocess.TimeoutExpired:
            orca.kill()
        end_our_own('speech-dispatcher', 'sd_espeak-ng', 'at-spi-bus-launcher', 'at-spi2-registryd')
    check_speech(spoken())
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
