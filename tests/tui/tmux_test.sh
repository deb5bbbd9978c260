#!/usr/bin/env bash
# Plays the full-screen game in a real terminal: a tmux pane without a
# display, keys sent one by one, the screen read back after each step.
#   tmux_test.sh CASE TARNVALE TRANSCRIPTS_DIR
set -euo pipefail

case_name=$1
game=$2
transcripts=$3

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
# Every game gets a server of its own: a server that was just told to quit
# may still hold its socket, and a new session there fails with "server
# exited unexpectedly".
servers=0
socket="tarnvale-test-$$-0"
tmx() { tmux -u -L "$socket" -f /dev/null "$@"; }
cleanup() {
    tmx kill-server 2>/dev/null || true
    # A GNU screen session of the test's, whatever became of its terminal.
    if [ -d "$work/screens" ]; then
        for session in "$work"/screens/*; do
            [ -e "$session" ] && { SCREENDIR="$work/screens" screen -S "${session##*/}" -X quit 2>/dev/null || true; }
        done
    fi
    rm -rf "$work"
    return 0
}
trap cleanup EXIT

fail() {
    echo "FAIL ($case_name): $*" >&2
    echo "--- screen:" >&2
    tmx capture-pane -p >&2 2>/dev/null || true
    [ -s "$work/stderr" ] && { echo "--- standard error:" >&2; cat "$work/stderr" >&2; }
    exit 1
}

# start COLS ROWS TERM [ENV=VALUE...] -- [ARGS...]
# Runs the game in a fresh pane with no display; the terminal modes before
# and after it, its exit status and its standard error land in $work
# (standard error stays on the terminal when $errors_on_terminal is 1). The
# music is the program `true`, unless $music_missing is 1: then it is the
# one the game looks for, which is not installed.
errors_on_terminal=0
music_missing=0
start() {
    local cols=$1 rows=$2 term=$3
    shift 3
    local envs=()
    while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do envs+=("$1"); shift; done
    [ "$#" -gt 0 ] && shift
    local args="$*"
    local errors="2> $work/stderr" music="-u TARNVALE_MUSIC" music_program="TARNVALE_MUSIC=true"
    [ "$errors_on_terminal" = 1 ] && errors=""
    [ "$music_missing" = 1 ] && music_program="" || music=""
    cat > "$work/run.sh" <<SCRIPT
# Ctrl+C is the game's to take; the script goes on to note what it left.
trap 'true' INT
stty -g > "$work/modes.before"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LC_ALL -u LC_CTYPE $music LANG=C.UTF-8 TERM=$term \
  $music_program ${envs[*]:-} "$game" $args $errors
echo "\$?" > "$work/status.tmp"
stty -g > "$work/modes.after"
mv "$work/status.tmp" "$work/status"
exec sleep 600
SCRIPT
    tmx kill-server 2>/dev/null || true
    servers=$((servers + 1))
    socket="tarnvale-test-$$-$servers"
    tmx new-session -d -x "$cols" -y "$rows" "bash $work/run.sh"
}

screen() { tmx capture-pane -p; }
# The screen with its attributes as escape sequences.
screen_attrs() { tmx capture-pane -p -e; }

# wait_for TEXT: until the screen shows TEXT (a fixed string).
wait_for() {
    local i
    for i in $(seq 1 200); do
        screen | grep -qF -- "$1" && return 0
        sleep 0.05
    done
    fail "the screen never showed '$1'"
}

wait_gone() {
    local i
    for i in $(seq 1 200); do
        screen | grep -qF -- "$1" || return 0
        sleep 0.05
    done
    fail "the screen kept showing '$1'"
}

# wait_exit STATUS: the game ended with STATUS and left the terminal as it found it.
wait_exit() {
    local i
    for i in $(seq 1 200); do
        [ -f "$work/status" ] && break
        sleep 0.05
    done
    [ -f "$work/status" ] || fail "the game did not end"
    [ "$(cat "$work/status")" = "$1" ] || fail "exit status $(cat "$work/status"), expected $1"
    cmp -s "$work/modes.before" "$work/modes.after" || fail "the terminal modes were not restored"
}

# type_keys TEXT: one key per character, as a player types.
type_keys() {
    local text=$1 i
    for ((i = 0; i < ${#text}; i++)); do
        tmx send-keys -l -- "${text:i:1}"
    done
}

key() { tmx send-keys "$@"; }

# taken KEYS...: sends the keys and waits until the game has read them and
# waits for the next (tests/tui/taken.py), so that what follows is a key of
# its own and whatever they did is on the screen.
taken() {
    local before
    before=$(python3 "$here/taken.py" count "$socket")
    tmx send-keys "$@"
    python3 "$here/taken.py" wait "$socket" "$before" || fail "the game did not take: $*"
}

# The terminal's modes as tmux knows them: the second screen, the keypad's,
# the mouse's and the cursor.
modes() { tmx display-message -p 'screen #{alternate_on} keypad #{keypad_flag} #{keypad_cursor_flag} mouse #{mouse_any_flag} cursor #{cursor_flag}'; }

# line N: row N of the screen (0 at the top).
line() { screen | sed -n "$(($1 + 1))p"; }

# Whether the terminal shows its cursor (1) or not (0).
cursor_shown() { tmx display-message -p '#{cursor_flag}'; }

# Waits up to five seconds for the command named first to print the value
# second; says what it printed instead when it does not.
expect_printed() {
    local i
    for i in $(seq 1 100); do
        [ "$($1)" = "$2" ] && return 0
        sleep 0.05
    done
    fail "$1: $($1), expected $2"
}

expect_cursor_shown() { expect_printed cursor_shown "$1"; }

# The cursor's column and row.
cursor() { tmx display-message -p '#{cursor_x} #{cursor_y}'; }

expect_cursor() { expect_printed cursor "$1"; }

# The command line as shown, blanks at the end dropped.
command_line() { screen | tail -n 1 | sed 's/[[:space:]]*$//'; }

expect_command() {
    local i
    for i in $(seq 1 100); do
        [ "$(command_line)" = "$(printf ' >> %s' "$1" | sed 's/[[:space:]]*$//')" ] && return 0
        sleep 0.05
    done
    fail "command line '$(command_line)', expected ' >> $1'"
}

# expect_reverse TEXT: TEXT stands in reverse video on the command line.
expect_reverse() {
    local i
    for i in $(seq 1 100); do
        screen_attrs | tail -n 1 | grep -qF -- $'\e[7m'"$1" && return 0
        sleep 0.05
    done
    fail "'$1' is not in reverse video on the command line: $(screen_attrs | tail -n 1 | cat -v)"
}

expect_no_reverse() {
    sleep 0.2
    if screen_attrs | tail -n 1 | grep -qF -- $'\e[7m'; then
        fail "the command line has reverse video: $(screen_attrs | tail -n 1 | cat -v)"
    fi
}

# click_on TEXT: a left click (press and release, as the terminal reports
# them) on the first character of TEXT where the screen shows it.
click_on() {
    local at
    wait_for "$1"
    at=$(screen | python3 -c '
import sys, unicodedata
text = sys.argv[1]
for row, line in enumerate(sys.stdin.read().split("\n")):
    i = line.find(text)
    if i >= 0:
        col = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line[:i])
        print(row, col)
        break
' "$1")
    [ -n "$at" ] || fail "nothing to click: '$1' is not on the screen"
    local row=${at% *} col=${at#* }
    local x y
    x=$(printf '\\x%02x' $((33 + col)))
    y=$(printf '\\x%02x' $((33 + row)))
    tmx send-keys -l -- "$(printf "\e[M %b%b" "$x" "$y")"
    tmx send-keys -l -- "$(printf "\e[M#%b%b" "$x" "$y")"
}

# Opening the dialog, choosing easy: from "начать" three up is "простая".
choose_easy() {
    key Up Up Up Space
    wait_for "• простая (играть не интересно)"
}

case "$case_name" in

dialog)
    # Without a display and with a terminal the full-screen game opens and
    # says nothing more.
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    for text in "консольный текстовый квест" "велтарный" "• сложная (лучше сначала играть так)" \
                "  простая (играть не интересно)" "музыка в игре" "• включить" "Win98 only" \
                "  отключить" "начать" "выход"; do
        wait_for "$text"
    done
    # Choosing easy, then hard again, and music off: the marks follow.
    choose_easy
    wait_for "  сложная (лучше сначала играть так)"
    key Up Space
    wait_for "• сложная (лучше сначала играть так)"
    key Down Down Down Space
    wait_for "• отключить"
    wait_for "  включить"
    expect_cursor_shown 0
    # Enter starts a hard game with the choices shown.
    key Enter
    wait_for "сложная игра"
    expect_cursor_shown 1
    wait_for "Ты стоишь на улице."
    wait_for "60 руб."
    wait_for "0 ходов"
    type_keys "осмотреть урну"
    key Enter
    wait_for "Грязная урна, вся в ржавчине."
    wait_for "100 очков"
    wait_for ">> осмотреть урну"
    wait_for "пустая пачка сигарет"
    # Help and author are screens of their own that "закрыть" closes.
    key F1
    wait_for "Осматривайся в новой локации"
    wait_for "выражения из словаря."
    # The credit and "закрыть" share a row of their own, inside the frame.
    screen | grep -qE "│ автор: Евграф +закрыть +│" || fail "the help page's last row is garbled"
    key Enter
    wait_for "100 очков"
    key F3
    wait_for "(12-13).01.2007"
    key Escape
    wait_for "100 очков"
    # "новая" discards the game and shows the dialog with hard and music chosen.
    key F2
    wait_for "• сложная (лучше сначала играть так)"
    wait_for "• включить"
    key Enter
    wait_for "0 очков"
    wait_for "0 ходов"
    screen | grep -qF "пустая пачка сигарет" && fail "the new game kept the inventory"
    # "выход" ends the program and gives the terminal back.
    key F10
    wait_exit 0
    [ -s "$work/stderr" ] && fail "the full-screen game wrote to standard error: $(cat "$work/stderr")"
    wait_gone "tarnvale"
    ;;

completion)
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    choose_easy
    key Enter
    wait_for "простая игра"
    # One letter: the first phrase, its tail in reverse video, the caret after the letter.
    type_keys "о"
    expect_command "осм"
    expect_reverse "см"
    expect_cursor "5 23"
    # The capital letter takes the dictionary's letters.
    key Escape
    expect_command ""
    type_keys "О"
    expect_command "осм"
    # The next characters replace the tail.
    type_keys "см у"
    expect_command "осм урну"
    expect_reverse "рну"
    # Backspace drops the tail and a letter; the shorter text completes at once.
    key BSpace
    expect_command "осм ключ"
    expect_reverse "осм ключ"
    # End moves the caret to the end and leaves nothing selected; Home to the start.
    key End
    expect_cursor "12 23"
    expect_no_reverse
    key Home
    expect_cursor "4 23"
    key Right Right
    expect_cursor "6 23"
    key Left
    expect_cursor "5 23"
    # Enter submits the whole phrase.
    key End Enter
    wait_for ">> осм ключ"
    wait_for "1 ходов"
    expect_command ""
    # Up recalls it, wholly selected, since it is a phrase of the dictionary.
    key Up
    expect_command "осм ключ"
    expect_reverse "осм ключ"
    # A text that begins no phrase stays as typed.
    key Escape
    expect_command ""
    type_keys "qq"
    expect_command "qq"
    expect_no_reverse
    ;;

caret)
    # A hard game: the caret keys edit in the middle of the line.
    start 80 24 screen
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    type_keys "смотреть урну"
    key Home
    type_keys "о"
    expect_command "осмотреть урну"
    expect_cursor "5 23"
    key End Left Left Left Left BSpace
    expect_command "осмотретьурну"
    type_keys " "
    key DC
    expect_command "осмотреть рну"
    type_keys "у"
    key Enter
    wait_for "Грязная урна, вся в ржавчине."
    wait_for ">> осмотреть урну"
    # The failed throw ends the game: the command line takes no more keys
    # and shows no cursor, until "новая".
    for command in "налево" "взять кирпич" "выйти на улицу" "разбить витрину кирпичом"; do
        type_keys "$command"
        key Enter
    done
    wait_for ">> разбить витрину кирпичом"
    expect_cursor_shown 0
    # The prompt goes dim with the box that takes nothing more.
    screen_attrs | tail -n 1 | grep -qE $'\e\\[[0-9;]*(2|90)[0-9;]*m>>' \
        || fail "the prompt is not dimmed: $(screen_attrs | tail -n 1 | cat -v)"
    type_keys "осмотреться"
    key Enter
    sleep 0.3
    wait_for ">> разбить витрину кирпичом"
    expect_command ""
    key F2
    wait_for "выбирите сложность"
    key Enter
    wait_for "0 ходов"
    expect_cursor_shown 1
    # A line longer than the box scrolls with the caret and keeps it in view.
    long=$(printf 'ю%.0s' $(seq 1 100))
    type_keys "$long"
    expect_cursor "78 23"
    key Home
    expect_cursor "4 23"
    ;;

mouse)
    # The label buttons and the dialog's choices answer a click.
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    click_on "простая"
    wait_for "• простая (играть не интересно)"
    click_on "отключить"
    wait_for "• отключить"
    click_on "Win98 only"
    wait_for "• отключить"
    click_on "начать"
    wait_for "простая игра"
    click_on "помощь"
    wait_for "Осматривайся в новой локации"
    click_on "закрыть"
    wait_for "простая игра"
    click_on "автор"
    wait_for "(12-13).01.2007"
    click_on "закрыть"
    click_on "новая"
    wait_for "• сложная (лучше сначала играть так)"
    click_on "выход"
    wait_exit 0
    ;;

resize)
    start 100 30 tmux-256color
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    # The right column stands at the right edge of a wider terminal.
    col=$(line 13 | grep -o '│ сложная игра' >/dev/null && line 13 | sed 's/сложная игра.*//' | wc -m)
    [ "$col" -eq 77 ] || fail "the counters start at column $((col - 1)), expected 76"
    type_keys "осмотреть урну"
    key Enter
    wait_for "100 очков"
    # Too small: it says what size it needs.
    tmx resize-window -x 70 -y 20
    wait_for "Окно терминала слишком мало."
    wait_for "Нужно не меньше 80×24, сейчас 70×20."
    # Keys typed meanwhile go nowhere.
    type_keys "abc"
    tmx resize-window -x 80 -y 24
    wait_for "100 очков"
    wait_for "Грязная урна, вся в ржавчине."
    col=$(line 13 | sed 's/сложная игра.*//' | wc -m)
    [ "$col" -eq 57 ] || fail "after the resize the counters start at column $((col - 1)), expected 56"
    expect_command ""
    # Wide characters in the output box never push the column aside.
    type_keys "漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字"
    key Enter
    wait_for "Это выражение не подходит."
    wait_for "сложная игра"
    row=$(screen | grep -n '>> 漢字' | head -1 | cut -d: -f1)
    [ -n "$row" ] || fail "the last command is not shown"
    # No line of the screen is wider than the terminal.
    screen | python3 -c '
import sys, unicodedata
for line in sys.stdin.read().split("\n"):
    w = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
    if w > 80:
        sys.exit("a line is %d columns wide: %s" % (w, line))
' || fail "a line is wider than the terminal"
    line 1 | grep -q '│' && fail "the last command ran into the right column"
    wait_for "│ сложная игра"
    ;;

vt100)
    # A monochrome terminal: no colours, still the whole game and the reverse tail.
    start 80 24 vt100
    wait_for "выбирите сложность"
    screen_attrs | grep -qP '\e\[(?:[0-9;]*;)?(?:3[0-8]|4[0-8]|9[0-7]|10[0-7])[;m]' \
        && fail "colours on a monochrome terminal"
    choose_easy
    key Enter
    wait_for "простая игра"
    type_keys "осм у"
    expect_command "осм урну"
    expect_reverse "рну"
    key Enter
    wait_for "Грязная урна, вся в ржавчине."
    wait_for "20 очков"
    key F10
    wait_exit 0
    ;;

signals)
    # Ctrl+C ends the game and gives the terminal back.
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    key C-c
    wait_exit 130
    wait_gone "сложная игра"
    # So does a crash.
    rm -f "$work/status"
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    pkill -SEGV -P "$(tmx display-message -p "#{pane_pid}")" -x tarnvale
    wait_exit 139
    wait_gone "выбирите сложность"
    # On vt100 the reset carries padding, which is a delay and never text.
    rm -f "$work/status"
    start 80 24 vt100
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    key C-c
    wait_exit 130
    # vt100 has no second screen to leave, so the game stays on it.
    sleep 0.2
    screen | grep -qF '$<' && fail "padding was written to the terminal"
    ;;

locale)
    # Without a UTF-8 locale it says so and plays line by line.
    start 80 24 tmux-256color LANG=C LC_ALL=C
    wait_for ">>"
    wait_for "машины. Перед тобой магазин"
    grep -q "UTF-8" "$work/stderr" || fail "standard error does not say what is wrong: $(cat "$work/stderr")"
    grep -q "line by line instead, writing UTF-8" "$work/stderr" \
        || fail "standard error does not say how it plays: $(cat "$work/stderr")"
    # and says nothing untrue: the line mode shows the Russian text all the same
    grep -q "cannot show" "$work/stderr" && fail "standard error says the text cannot be shown: $(cat "$work/stderr")"
    type_keys "осмотреть урну"
    key Enter
    wait_for "100 очков"
    key C-d
    wait_exit 0
    ;;

dumb)
    # A terminal that cannot place the cursor gets the line mode, and is told why.
    start 80 24 dumb
    wait_for "машины. Перед тобой магазин"
    grep -q "'dumb' cannot place the cursor" "$work/stderr" \
        || fail "standard error does not say what is wrong: $(cat "$work/stderr")"
    type_keys "осмотреть урну"
    key Enter
    wait_for "100 очков"
    key C-d
    wait_exit 0
    ;;

dialogkeys)
    # No key that chooses leaves the dialog: Esc does nothing, the arrows
    # walk the four choices, Space on "выход" does nothing.
    start 80 24 tmux-256color
    wait_for "Tab — к кнопкам, Enter — начать, F10 — выход"
    key Enter
    wait_for "сложная игра"
    type_keys "осмотреть урну"
    key Enter
    wait_for "100 очков"
    key F2
    wait_for "выбирите сложность"
    key Escape
    sleep 0.3
    wait_for "выбирите сложность"
    key Down Down Space
    wait_for "• простая (играть не интересно)"
    key Down Down Down Down Space
    sleep 0.3
    wait_for "• простая (играть не интересно)"
    # Tab reaches "выход", where Space does nothing and Enter leaves.
    key Tab Tab Tab Tab Space
    sleep 0.3
    wait_for "• простая (играть не интересно)"
    [ -f "$work/status" ] && fail "the dialog ended the program"
    key Enter
    wait_exit 0
    ;;

repaint)
    # Ctrl+L draws the whole screen anew over what something else wrote.
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    printf '\e[5;3HBROADCAST MESSAGE' > "$(tmx display-message -p '#{pane_tty}')"
    wait_for "BROADCAST MESSAGE"
    key C-l
    wait_gone "BROADCAST MESSAGE"
    wait_for "машины. Перед тобой магазин"
    ;;

paste)
    # A paste keeps its text up to the first line break and submits nothing.
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    type_keys "я "
    tmx set-buffer -- $'осмотреться\nосмотреть урну\nx'
    tmx paste-buffer -p
    expect_command "я осмотреться"
    wait_for "0 ходов"
    key Escape
    expect_command ""
    # A megabyte goes in as one edit, and the keys after it are keys.
    python3 -c 'print("ж" * 500000, end="")' > "$work/paste"
    tmx load-buffer "$work/paste"
    tmx paste-buffer -p
    wait_for ">> жжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжжж"
    key Escape
    expect_command ""
    type_keys "осмотреть урну"
    key Enter
    wait_for "1 ходов"
    ;;

measure)
    # A wide terminal: the output keeps a readable measure and a blank column
    # before the separator; a long last command ends in "…".
    start 200 60 tmux-256color
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    long=$(printf 'слово %.0s' $(seq 1 40))
    type_keys "$long"
    key Enter
    wait_for "Это выражение не подходит."
    type_keys "осмотреться"
    key Enter
    wait_for "Ты стоишь на улице"
    screen | sed -n '3,58p' | python3 -c '
import sys
for line in sys.stdin:
    text = line.rstrip("\n").split("│")[0].rstrip()
    if len(text) > 101:
        sys.exit("output line of %d columns: %s" % (len(text) - 1, text))
' || fail "the output runs wider than its measure"
    screen | grep -q ' │' || fail "no blank column before the separator"
    screen | grep -qE '[^ ]│' && fail "text touches the separator"
    type_keys "$long"
    key Enter
    wait_for "…"
    line 1 | grep -q '…$' || fail "the last command does not end in …: $(line 1)"
    ;;

combining)
    # A letter and its combining mark are one cell and one caret step.
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    type_keys "и"
    tmx send-keys -l -- $'\u0306'
    type_keys "x"
    expect_cursor "6 23"
    command_line | grep -qF $'и\u0306x' || fail "the mark is not drawn: $(command_line | od -c | head -3)"
    key Left Left
    expect_cursor "4 23"
    key Right
    expect_cursor "5 23"
    ;;

altkey)
    # Alt with any key is no Esc, types nothing and costs no move: the line
    # stays. Esc then a letter is Esc, then the letter.
    start 80 24 tmux-256color
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    type_keys "осм"
    for alt in M-x M-O M-[ M-BSpace M-Space M-Tab M-Enter M-ы M-Up M-F1 M-Escape M-1 M-/; do
        taken "$alt"
        expect_command "осм"
    done
    wait_for "0 ходов"
    taken Escape
    expect_command ""
    taken Escape
    taken x
    expect_command "x"
    ;;

gnuscreen)
    # Under GNU screen a lone Esc acts at once, on the command line and on help.
    command -v screen > /dev/null || { echo "GNU screen is not installed" >&2; exit 77; }
    # Its sessions live in a directory of the test's, and end with it.
    mkdir -m 700 "$work/screens"
    export SCREENDIR="$work/screens"
    cat > "$work/screenrc" <<RC
escape ^Tt
startup_message off
autodetach off
RC
    cat > "$work/run.sh" <<SCRIPT
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LANG=C.UTF-8 SCREENDIR="$work/screens" \
  screen -c "$work/screenrc" "$game" --terminal
exec sleep 600
SCRIPT
    servers=$((servers + 1))
    socket="tarnvale-test-$$-$servers"
    tmx new-session -d -x 80 -y 24 "bash $work/run.sh"
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    type_keys "abc"
    expect_command "abc"
    key Escape
    expect_command ""
    # GNU screen sends Esc and the key typed after it together, as it sends
    # Alt and that key: here it is Esc, then the key.
    type_keys "abc"
    expect_command "abc"
    key Escape x
    expect_command "x"
    key F1
    wait_for "Осматривайся в новой локации"
    key Escape
    wait_gone "Осматривайся в новой локации"
    ;;

jobcontrol)
    # Ctrl+Z gives the shell its terminal as it was; fg gives it back to
    # the game, drawn anew with its modes, bracketed paste included.
    servers=$((servers + 1))
    socket="tarnvale-test-$$-$servers"
    tmx new-session -d -x 80 -y 24 "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM LANG=C.UTF-8 \
        TERM=tmux-256color TARNVALE_MUSIC=true PS1='$ ' dash -i"
    wait_for '$'
    shell=$(modes)
    type_keys "$game --terminal"
    key Enter
    wait_for "выбирите сложность"
    key Enter
    wait_for "сложная игра"
    playing=$(modes)
    [ "$playing" != "$shell" ] || fail "the game did not take the terminal: $playing"
    # Ctrl+Z stops the game the moment the terminal gets it; letters the
    # game has not read yet by then are the shell's, as with any program.
    # A player presses it on what they see.
    type_keys "осм"
    expect_command "осм"
    key C-z
    wait_for "Stopped"
    expect_printed modes "$shell"
    # What is pasted now is the shell's, unbracketed.
    tmx set-buffer -- "echo pasted"
    tmx paste-buffer -p
    wait_for '$ echo pasted'
    screen | grep -qF '200~' && fail "the shell got a bracketed paste"
    key C-u
    type_keys "fg"
    key Enter
    wait_for "сложная игра"
    expect_printed modes "$playing"
    expect_command "осм"
    # A paste of two lines is one edit again.
    tmx set-buffer -- $'отреться\nосмотреть урну'
    tmx paste-buffer -p
    expect_command "осмотреться"
    wait_for "0 ходов"
    key Enter
    wait_for "1 ходов"
    key F10
    wait_gone "сложная игра"
    expect_printed modes "$shell"
    ;;

heldsignals)
    # What standard error was told while the screen was up (the music
    # program missing) is written once the game ends, by a signal too.
    errors_on_terminal=1
    music_missing=1
    for signal in INT TERM HUP; do
        start 80 24 tmux-256color
        wait_for "выбирите сложность"
        key Enter
        wait_for "сложная игра"
        pkill "-$signal" -P "$(tmx display-message -p "#{pane_pid}")" -x tarnvale
        wait_for "the music program zarnitune is not installed"
        rm -f "$work/status"
    done
    ;;

fallback)
    # A display that cannot be reached: the program starts itself again in
    # the terminal, clean, and plays for longer than its start-up's watchdog
    # (15 s) allows a start, then gives the terminal back.
    start 80 24 tmux-256color DISPLAY=:77
    wait_for "выбирите сложность"
    pid=$(pgrep -P "$(tmx display-message -p "#{pane_pid}")" -x tarnvale) || fail "no process called tarnvale"
    grep -q $'^SigBlk:\t0000000000000000$' "/proc/$pid/status" || fail "signals blocked: $(grep SigBlk "/proc/$pid/status")"
    started=$(awk '{print $22}' "/proc/$pid/stat")
    ticks=$(getconf CLK_TCK)
    while [ $(( $(awk '{print int($1 * '"$ticks"')}' /proc/uptime) - started )) -lt $(( 17 * ticks )) ]; do
        kill -0 "$pid" 2>/dev/null || fail "the game ended by itself"
        sleep 0.5
    done
    key Enter
    wait_for "сложная игра"
    type_keys "осмотреть урну"
    key Enter
    wait_for "100 очков"
    key F10
    wait_exit 0
    ;;

linemode)
    # The line mode at a terminal edits its line, and Up recalls the last command.
    start 100 30 tmux-256color -- --text
    wait_for ">>"
    type_keys "осмотреться"
    key Enter
    wait_for "1 ходов"
    key Up
    wait_for ">> осмотреться"
    key Home
    type_keys "X"
    key End
    type_keys "Y"
    key Left Left BSpace
    wait_for ">> XосмотретьяY"
    key C-u
    # After the end of a game it says so once, and an empty line starts anew.
    for command in "налево" "взять кирпич" "выйти на улицу" "разбить витрину кирпичом"; do
        type_keys "$command"
        key Enter
    done
    wait_for "Пустая строка начнёт новую игру с теми же настройками"
    type_keys "осмотреться"
    key Enter
    sleep 0.3
    [ "$(screen | grep -c 'Пустая строка начнёт')" = 1 ] || fail "the end of the game is said more than once"
    key Enter
    wait_for "0 ходов"
    key C-d
    wait_exit 0
    ;;

*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
echo "ok: $case_name"
