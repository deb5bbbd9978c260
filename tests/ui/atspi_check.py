"""Reads the windows the way a screen reader on Linux does, over AT-SPI.

Started by atspi_check.sh on a private X display and a private D-Bus session,
with the program given on the command line. It reads the new-game dialog,
makes the choices and starts a game through the buttons' actions, reads the
game window (the output box with its caret, the labels, the inventory, both
input boxes), types a command on the keyboard and reads what changed, reads
the help window and ends the program with "выход".

Exit status: 0 when everything reads as expected, 1 with a list of what did
not, 77 when AT-SPI cannot be reached at all.
"""

import os
import subprocess
import sys
import time
import traceback
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

SKIP = 77
WAIT = 15.0  # seconds for anything to appear: registering, a window, a reply

OPENING = ("Ты стоишь на улице. Мимо по дороге проносятся \n"
           "машины. Перед тобой магазин, слева тёмный \n"
           "переулок, а справа кучка отморозков. Около \n"
           "магазина стоит грязная урна.\n")

failures = []

# The dialog's choices are named by their captions.
HARD = "сложная (лучше сначала играть так)"
EASY = "простая (играть не интересно)"


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, flush=True)
    return ok


def equal(actual, expected, what):
    return check(actual == expected, f"{what}: {actual!r}, expected {expected!r}")


def wait_for(find, timeout=WAIT):
    """Polls find() until it gives something; AT-SPI calls that fail while
    the program is still registering count as nothing yet."""
    end = time.monotonic() + timeout
    while True:
        try:
            found = find()
        except gi.repository.GLib.Error:
            found = None
        if found or time.monotonic() > end:
            return found
        time.sleep(0.1)


def children(node):
    count = node.get_child_count()
    return [c for c in (node.get_child_at_index(i) for i in range(count)) if c is not None]


def application():
    for app in children(Atspi.get_desktop(0)):
        if app.get_name() == "tarnvale" and app.get_child_count() > 0:
            return app
    return None


def has(node, state):
    return node.get_state_set().contains(state)


def window(app, name):
    for frame in children(app):
        if frame.get_name() == name and has(frame, Atspi.StateType.SHOWING):
            return frame
    return None


def widget(frame, name):
    """A widget by its name; a counter or an item carried, whose name holds
    its value too («деньги: 60 руб.», «кирпич, инвентарь, ячейка 2»), by the
    part of it that stays."""
    for node in children(frame):
        named = node.get_name()
        if named == name or named.startswith(name + ": ") or named.endswith(", " + name):
            return node
    check(False, f"{frame.get_name()}: no widget named {name!r}")
    return None


def text(node):
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


def press(frame, name):
    """Presses a button the way a screen reader does: its first action."""
    node = widget(frame, name)
    if node is None:
        return
    with warnings.catch_warnings():
        # the name is what screen readers show; its newer getter is not in
        # Debian 12's bindings
        warnings.simplefilter("ignore", DeprecationWarning)
        names = [Atspi.Action.get_action_name(node, i) for i in range(Atspi.Action.get_n_actions(node))]
    if check(names and names[0].lower() == "press", f"{name!r} cannot be pressed: {names}"):
        Atspi.Action.do_action(node, 0)


def type_keys(line):
    for ch in line:
        Atspi.generate_keyboard_event(0x1000000 + ord(ch) if ord(ch) > 0x7F else ord(ch), None,
                                      Atspi.KeySynthType.SYM)
        time.sleep(0.05)


def read_dialog(app):
    dialog = wait_for(lambda: window(app, "tarnvale: новая игра"))
    if not check(dialog is not None, "the new-game dialog is not shown"):
        return None
    roles = {node.get_name(): node.get_role() for node in children(dialog)}
    R = Atspi.Role
    for name, role in [("заголовок окна", R.IMAGE), ("консольный текстовый квест", R.LABEL),
                       ("велтарный", R.LABEL), ("выбирите сложность", R.LABEL),
                       ("сложная (лучше сначала играть так)", R.RADIO_BUTTON), ("простая (играть не интересно)", R.RADIO_BUTTON),
                       ("музыка в игре", R.LABEL), ("включить музыку", R.RADIO_BUTTON),
                       ("отключить музыку", R.RADIO_BUTTON),
                       ("Win98 only", R.LABEL),
                       ("начать игру", R.PUSH_BUTTON), ("выход", R.PUSH_BUTTON)]:
        equal(roles.get(name), role, f"dialog: role of {name!r}")
    equal(text(widget(dialog, "простая (играть не интересно)")), "простая (играть не интересно)", "dialog: caption of the easy game")

    def chosen():
        return [name for name in (HARD, EASY, "включить музыку", "отключить музыку")
                if has(widget(dialog, name), Atspi.StateType.CHECKED)]

    equal(chosen(), [HARD, "включить музыку"], "dialog: chosen at first")
    check(wait_for(lambda: has(widget(dialog, "начать игру"), Atspi.StateType.FOCUSED)),
          "dialog: 'начать игру' does not have the focus")
    press(dialog, EASY)
    press(dialog, "отключить музыку")
    equal(wait_for(lambda: chosen() == [EASY, "отключить музыку"] and chosen(), 5),
          [EASY, "отключить музыку"], "dialog: chosen after pressing")
    return dialog


def read_game(app):
    game = wait_for(lambda: window(app, "tarnvale: игра"))
    if not check(game is not None, "the game window is not shown after 'начать игру'"):
        return None
    for node in children(game):
        check(node.get_name() != "", f"game: a {node.get_role_name()} without a name")

    output = widget(game, "что происходит")
    equal(output.get_role(), Atspi.Role.TEXT, "game: role of the output box")
    check(not has(output, Atspi.StateType.EDITABLE) and has(output, Atspi.StateType.READ_ONLY),
          "game: the output box is not read-only")
    check(has(output, Atspi.StateType.MULTI_LINE), "game: the output box is not multi-line")
    equal(text(output), OPENING, "game: the opening scene")
    equal(Atspi.Text.get_caret_offset(output), 0, "game: the output box's caret")
    with warnings.catch_warnings():
        # Qt 6.4 answers only the older, line-boundary form of the question
        warnings.simplefilter("ignore", DeprecationWarning)
        line = Atspi.Text.get_text_at_offset(output, 50, Atspi.TextBoundaryType.LINE_START)
    equal(line.content, "машины. Перед тобой магазин, слева тёмный ", "game: the second line of the scene")

    # A counter is named with its value, as Tab reaches it.
    for name, shown in [("сложность: простая игра", "простая игра"), ("деньги: 60 руб.", "60 руб."),
                        ("ходы: 0 ходов", "0 ходов"), ("очки: 0 очков", "0 очков"), ("последняя команда", ""),
                        ("приглашение к вводу", ">>")]:
        node = widget(game, name)
        equal(node.get_role(), Atspi.Role.LABEL, f"game: role of {name!r}")
        equal(text(node), shown, f"game: {name!r}")
    for slot in range(1, 11):
        node = widget(game, f"инвентарь, ячейка {slot}")
        equal(node.get_role(), Atspi.Role.LABEL, f"game: role of inventory slot {slot}")
        equal(text(node), "", f"game: inventory slot {slot} at the start")
    for name in ("новая игра", "автор", "помощь", "выход"):
        node = widget(game, name)
        equal(node.get_role(), Atspi.Role.PUSH_BUTTON, f"game: role of {name!r}")
        check(has(node, Atspi.StateType.FOCUSABLE), f"game: {name!r} cannot take the focus")

    command = widget(game, "командная строка")
    password = widget(game, "пароль")
    for node in (command, password):
        equal(node.get_role(), Atspi.Role.TEXT, f"game: role of {node.get_name()!r}")
        check(has(node, Atspi.StateType.EDITABLE), f"game: {node.get_name()!r} is not editable")
    check(has(command, Atspi.StateType.SHOWING), "game: the command box is not shown")
    check(not has(password, Atspi.StateType.SHOWING), "game: the password box is shown")
    equal(password.get_description(), "Пароль компьютера: введи его и нажми Enter.",
          "game: the password box's description")
    return game


def play(game):
    """Types a command on the keyboard: the easy game completes it, the
    reader sees the completion selected, Enter submits it."""
    command = widget(game, "командная строка")
    # the keys go where the keyboard focus is: the command box, once the
    # window has come up
    if not check(wait_for(lambda: has(command, Atspi.StateType.FOCUSED)), "game: the command box has no focus"):
        return
    # Letters without a key of their own in the display's keymap are typed
    # by remapping a spare key for each; a busy machine may see one under
    # the old mapping. Esc empties the box for another try.
    for attempt in range(3):
        if attempt:
            Atspi.generate_keyboard_event(0xFF1B, None, Atspi.KeySynthType.SYM)   # Escape
            wait_for(lambda: text(command) == "" or None, 5)
        type_keys("осмотреть у")
        if wait_for(lambda: text(command) == "осмотреть урну", 5):
            break
    if not equal(text(command), "осмотреть урну", "game: the completed command"):
        return
    equal(Atspi.Text.get_caret_offset(command), 14, "game: the command box's caret")
    equal(Atspi.Text.get_n_selections(command), 1, "game: selections in the command box")
    selected = Atspi.Text.get_selection(command, 0)
    equal((selected.start_offset, selected.end_offset), (11, 14), "game: the completed part is selected")

    Atspi.generate_keyboard_event(0xFF0D, None, Atspi.KeySynthType.SYM)   # Return
    steps = widget(game, "ходы")
    equal(wait_for(lambda: text(steps) == "1 ходов" and text(steps), 5), "1 ходов", "game: moves after Enter")
    check(text(widget(game, "что происходит")).startswith("Грязная урна"), "game: the reply to the command")
    equal(text(widget(game, "инвентарь, ячейка 1")), "пустая пачка сигарет", "game: inventory slot 1")
    equal(text(widget(game, "инвентарь, ячейка 2")), "", "game: inventory slot 2")
    equal(text(widget(game, "последняя команда")), "осмотреть урну", "game: the last command")
    equal(text(widget(game, "очки")), "20 очков", "game: points")
    equal(text(command), "", "game: the command box after Enter")


def read_help(app, game):
    press(game, "помощь")
    help_window = wait_for(lambda: window(app, "tarnvale: помощь"))
    if not check(help_window is not None, "the help window is not shown after 'помощь'"):
        return
    tips = [text(node) for node in children(help_window) if node.get_role() == Atspi.Role.LABEL]
    check(any(t.startswith("Осматривайся в новой локации") for t in tips), f"help: the first tip: {tips}")
    check(any(t.endswith("выражения из словаря.") for t in tips), f"help: the advice: {tips}")
    press(help_window, "закрыть окно")
    check(wait_for(lambda: window(app, "tarnvale: помощь") is None, 5), "the help window stays open")


def main():
    if len(sys.argv) < 2:
        print("usage: atspi_check.py PROGRAM [ARGS...]", file=sys.stderr)
        return 2
    try:
        Atspi.get_desktop(0).get_child_count()
    except Exception as error:  # no accessibility bus in this session
        print("SKIP: AT-SPI is not reachable:", error)
        return SKIP

    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen(sys.argv[1:], env=env)
    try:
        read_everything(program)
    except gi.repository.GLib.Error as error:
        check(False, f"AT-SPI: {error}")
        traceback.print_exc(file=sys.stdout)
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()

    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("AT-SPI: dialog, game window, inventory, input boxes and help read as expected")
    return 0


def read_everything(program):
    app = wait_for(application)
    if not check(app is not None, "the program did not register with AT-SPI"):
        return
    dialog = read_dialog(app)
    if dialog is None:
        return
    press(dialog, "начать игру")
    game = read_game(app)
    if game is None:
        return
    play(game)
    read_help(app, game)
    press(game, "выход")
    try:
        equal(program.wait(timeout=WAIT), 0, "exit status after 'выход'")
    except subprocess.TimeoutExpired:
        check(False, "the program is still running after 'выход'")


if __name__ == "__main__":
    sys.exit(main())
