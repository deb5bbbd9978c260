#include "tui/run.h"

#include "story/story.h"
#include "tui/curses.h"
#include "tui/screen.h"
#include "tui/text.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

// Last: its capability names are macros.
#include <ncursesw/term.h>

namespace tarnvale::tui {

namespace {

// Bracketed paste: the terminal marks the start and the end of a paste, so
// that a pasted line break is text rather than Enter.
const char kPasteOn[] = "\033[?2004h";
const char kPasteOff[] = "\033[?2004l";

// What a signal handler needs to give the terminal back, prepared while
// curses runs: the terminal modes from before it started and the bytes that
// leave the alternate screen, show the cursor and switch the mouse off.
struct termios g_savedModes;
bool g_haveModes = false;
char g_resetBytes[256];
std::size_t g_resetLength = 0;
// What standard error said while the screen was up (a file), and where it goes
// once the screen is left; -1 when nothing is held.
int g_heldErrors = -1;
int g_realStderr = -1;
// Whether the terminal sends a lone Esc together with the key after it.
bool g_escapeJoinsNextKey = false;
// Set when the game was stopped (Ctrl+Z) and has been continued: the terminal
// has to be taken again and the screen drawn anew.
volatile sig_atomic_t g_continued = 0;

const int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

void appendReset(const char *bytes)
{
    if (bytes == nullptr || bytes == reinterpret_cast<const char *>(-1))
        return;
    // Padding such as "$<2>" is a delay for curses to make, not bytes to send.
    for (const char *p = bytes; *p != '\0' && g_resetLength + 1 < sizeof g_resetBytes; ++p) {
        if (p[0] == '$' && p[1] == '<') {
            const char *end = std::strchr(p, '>');
            if (end != nullptr) {
                p = end;
                continue;
            }
        }
        g_resetBytes[g_resetLength++] = *p;
    }
}

// Only async-signal-safe calls from here to the handlers' end.
void writeAll(int fd, const char *bytes, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd, bytes, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes += n;
        length -= std::size_t(n);
    }
}

// The terminal as it was before the game: modes, screen, cursor, keypad,
// mouse and paste.
void giveTerminalBack()
{
    writeAll(STDOUT_FILENO, g_resetBytes, g_resetLength);
    if (g_haveModes)
        ::tcsetattr(STDIN_FILENO, TCSADRAIN, &g_savedModes);
}

// Writes what standard error said while the screen was up to the real one.
void writeHeldErrors()
{
    if (g_heldErrors < 0 || g_realStderr < 0)
        return;
    ::dup2(g_realStderr, STDERR_FILENO);
    char buffer[4096];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(g_heldErrors, buffer, sizeof buffer, at);
        if (n <= 0)
            break;
        writeAll(STDERR_FILENO, buffer, std::size_t(n));
        at += n;
    }
    g_heldErrors = -1;
}

extern "C" void restoreAndDie(int sig)
{
    const int saved = errno;
    giveTerminalBack();
    writeHeldErrors();
    std::signal(sig, SIG_DFL);
    errno = saved;
    std::raise(sig);
}

// Ctrl+Z: the terminal goes back to the shell as it was, the game stops;
// when it is continued, the loop takes the terminal again.
extern "C" void stopForTheShell(int)
{
    const int saved = errno;
    giveTerminalBack();
    struct sigaction stop {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    struct sigaction ours {};
    ::sigaction(SIGTSTP, &stop, &ours);
    sigset_t tstp;
    sigemptyset(&tstp);
    sigaddset(&tstp, SIGTSTP);
    ::sigprocmask(SIG_UNBLOCK, &tstp, nullptr);
    ::kill(::getpid(), SIGTSTP);   // stops here until continued
    ::sigprocmask(SIG_BLOCK, &tstp, nullptr);
    ::sigaction(SIGTSTP, &ours, nullptr);
    g_continued = 1;
    errno = saved;
}

void prepareRestore(bool mouse)
{
    appendReset(tigetstr(const_cast<char *>("sgr0")));
    if (mouse)
        appendReset("\033[?1000l\033[?1002l\033[?1006l");
    appendReset(kPasteOff);
    appendReset(tigetstr(const_cast<char *>("rmkx")));
    appendReset(tigetstr(const_cast<char *>("cnorm")));
    appendReset(tigetstr(const_cast<char *>("rmcup")));
    for (int sig : kFatalSignals) {
        struct sigaction action {};
        action.sa_handler = restoreAndDie;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(sig, &action, nullptr);
    }
    // Not restarted: a key being waited for gives way, so that the loop
    // takes the terminal again at once.
    struct sigaction stop {};
    stop.sa_handler = stopForTheShell;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, nullptr);
}

void forgetRestore()
{
    for (int sig : kFatalSignals)
        std::signal(sig, SIG_DFL);
    std::signal(SIGTSTP, SIG_DFL);
    g_resetLength = 0;
}

// Standard error goes to a temporary file while the screen is up, so that a
// message (the music program missing, say) does not scribble over it.
class HeldErrors {
public:
    HeldErrors()
    {
        if (!::isatty(STDERR_FILENO))
            return;
        m_file = std::tmpfile();
        if (m_file == nullptr)
            return;
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        if (m_saved < 0 || ::dup2(::fileno(m_file), STDERR_FILENO) < 0) {
            std::fclose(m_file);
            m_file = nullptr;
            return;
        }
        // A signal that ends the game writes them too.
        g_realStderr = m_saved;
        g_heldErrors = ::fileno(m_file);
    }
    ~HeldErrors()
    {
        if (m_file == nullptr)
            return;
        std::fflush(stderr);
        writeHeldErrors();
        g_realStderr = -1;
        ::close(m_saved);
        std::fclose(m_file);
    }
    HeldErrors(const HeldErrors &) = delete;
    HeldErrors &operator=(const HeldErrors &) = delete;

private:
    std::FILE *m_file = nullptr;
    int m_saved = -1;
};

// Home, End and the function keys come in several spellings, and a terminal
// description (vt100 has no F10, say, and a terminal inside a multiplexer is
// not the one it describes) does not always name the one that arrives.
void knowCommonKeys()
{
    const struct {
        const char *sequence;
        int key;
    } keys[] = {
        {"\033[1~", KEY_HOME}, {"\033[7~", KEY_HOME}, {"\033[H", KEY_HOME}, {"\033OH", KEY_HOME},
        {"\033[4~", KEY_END},  {"\033[8~", KEY_END},  {"\033[F", KEY_END},  {"\033OF", KEY_END},
        {"\033[3~", KEY_DC},   {"\033[5~", KEY_PPAGE}, {"\033[6~", KEY_NPAGE},
        {"\033OP", KEY_F(1)},  {"\033OQ", KEY_F(2)},  {"\033OR", KEY_F(3)},  {"\033OS", KEY_F(4)},
        {"\033[11~", KEY_F(1)}, {"\033[12~", KEY_F(2)}, {"\033[13~", KEY_F(3)}, {"\033[14~", KEY_F(4)},
        {"\033[15~", KEY_F(5)}, {"\033[17~", KEY_F(6)}, {"\033[18~", KEY_F(7)}, {"\033[19~", KEY_F(8)},
        {"\033[20~", KEY_F(9)}, {"\033[21~", KEY_F(10)}, {"\033[23~", KEY_F(11)}, {"\033[24~", KEY_F(12)},
    };
    for (const auto &k : keys) {
        if (key_defined(k.sequence) == 0)
            define_key(k.sequence, k.key);
    }
    define_key("\033[200~", kPasteStart);
    define_key("\033[201~", kPasteEnd);
}

// Bytes that came after a paste's end, given back to curses to read as keys:
// a few at a time, as much as curses holds.
std::string g_unread;

void giveBackToCurses()
{
    constexpr std::size_t kRoom = 64;
    const std::size_t n = std::min(kRoom, g_unread.size());
    for (std::size_t i = n; i-- > 0;)
        ungetch(static_cast<unsigned char>(g_unread[i]));
    g_unread.erase(0, n);
}

// The rest of a bracketed paste, read straight from the terminal up to its
// end: curses reads a byte at a time, which a paste of megabytes cannot wait
// for. A paste whose end does not come within a few seconds ends there.
std::u16string readPaste()
{
    constexpr std::string_view kEnd = "\033[201~";
    constexpr int kStallMs = 3000;
    std::string bytes;
    static char buffer[1 << 16];
    for (;;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&in, 1, kStallMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        const std::size_t from = bytes.size() >= kEnd.size() ? bytes.size() - kEnd.size() + 1 : 0;
        bytes.append(buffer, std::size_t(n));
        if (const std::size_t end = bytes.find(kEnd, from); end != std::string::npos) {
            g_unread.insert(0, bytes, end + kEnd.size());
            bytes.resize(end);
            break;
        }
    }
    return fromUtf8(bytes);
}

bool terminalHungUp()
{
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, 0) < 0)
        return errno != EINTR;
    return (in.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

// One key from the terminal: a character, a key code, or kAltKey for Alt
// and any key (Esc and that key at once), which means nothing here. With
// `wait` false, only what has already come: ERR when nothing has.
int nextKey(wint_t &ch, bool wait)
{
    if (!g_unread.empty())
        giveBackToCurses();
    nodelay(stdscr, wait ? FALSE : TRUE);
    const int got = get_wch(&ch);
    if (got != OK || ch != 27)
        return got;
    // Esc: curses has waited the escape delay for what follows, and a key of
    // the terminal's own (an arrow, a function key) would have come whole.
    // Anything else that came with it was Alt and that key.
    // Under GNU screen there is no telling: screen holds a lone Esc back
    // (its maptimeout) and sends it with the next key, just as it sends Alt
    // and that key, so Esc there is always Esc, and the key follows.
    if (g_escapeJoinsNextKey)
        return OK;
    wint_t next = 0;
    nodelay(stdscr, TRUE);
    const int more = get_wch(&next);
    if (more == ERR)
        return OK;   // a lone Esc
    if (more == OK && (next == L'[' || next == L'O')) {
        // A sequence of the terminal's that curses does not know (or Alt with
        // '[' or 'O'): its parameters and its final character go with it.
        const bool csi = next == L'[';
        while (get_wch(&next) == OK) {
            if (!csi || (next >= 0x40 && next <= 0x7E))
                break;
        }
    }
    ch = wint_t(kAltKey);
    return KEY_CODE_YES;
}

void writeOut(const char *bytes)
{
    std::fputs(bytes, stdout);
    std::fflush(stdout);
}

} // namespace

bool canRunFullScreen(std::string &why)
{
    std::setlocale(LC_CTYPE, "");
    const char *codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || std::strcmp(codeset, "UTF-8") != 0) {
        why = std::string("the terminal's locale uses ") + (codeset ? codeset : "an unknown character set")
              + ", not UTF-8, which the full-screen game needs (set LANG, for example LANG=C.UTF-8)";
        return false;
    }
    // The terminal has to be known and able to place the cursor.
    const char *term = std::getenv("TERM");
    int error = 0;
    if (term == nullptr || *term == '\0' || setupterm(term, STDOUT_FILENO, &error) != OK) {
        why = term == nullptr || *term == '\0'
                  ? std::string("TERM is not set, so the full-screen game does not know the terminal")
                  : std::string("the terminal type '") + term + "' is unknown here";
        return false;
    }
    const char *cup = tigetstr(const_cast<char *>("cup"));
    const bool canPlace = cup != nullptr && cup != reinterpret_cast<const char *>(-1);
    del_curterm(cur_term);
    if (!canPlace) {
        why = std::string("the terminal type '") + term + "' cannot place the cursor";
        return false;
    }
    return true;
}

bool setUpTerminal()
{
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    knowCommonKeys();
    set_escdelay(25);
    if (has_colors()) {
        start_color();
        init_pair(1, COLOR_WHITE, COLOR_BLACK);
        if (COLORS >= 16)
            init_pair(2, 8, COLOR_BLACK);   // the grey of the last command and the hints
    }
    // GNU screen holds back a lone Esc while the window inside it has the
    // mouse reported, until the next key comes; there the keyboard matters
    // more than the mouse.
    g_escapeJoinsNextKey = std::getenv("STY") != nullptr;
    if (g_escapeJoinsNextKey)
        return false;
    mouseinterval(0);
    mmask_t events = BUTTON1_PRESSED | BUTTON4_PRESSED;
#ifdef BUTTON5_PRESSED
    events |= BUTTON5_PRESSED;   // the wheel downwards, where curses knows it
#endif
    return mousemask(events, nullptr) != 0;
}

int runFullScreen(GameSettings &settings, const std::function<void()> &launchMusic)
{
    HeldErrors held;
    g_haveModes = ::tcgetattr(STDIN_FILENO, &g_savedModes) == 0;
    SCREEN *terminal = newterm(nullptr, stdout, stdin);
    if (terminal == nullptr)
        return 1;
    set_term(terminal);
    const bool mouse = setUpTerminal();
    prepareRestore(mouse);
    writeOut(kPasteOn);

    int status = 0;
    {
        Screen screen(settings, tarnvaleStory(), launchMusic);
        while (!screen.finished()) {
            if (g_continued) {
                // Back from the shell: the terminal is the game's again,
                // modes, screen, keypad and mouse, and all of it is drawn.
                g_continued = 0;
                endwin();
                refresh();
                writeOut(kPasteOn);
                screen.repaint();
            }
            screen.draw();
            refresh();
            // Every key that has come is taken before the next drawing: a
            // paste, however long, is drawn once.
            wint_t ch = 0;
            int got = nextKey(ch, true);
            if (got == ERR) {
                // A wait that a signal broke leaves one more of these
                // behind in curses; only a terminal that hung up has gone.
                if (errno == EINTR || g_continued || !terminalHungUp())
                    continue;
                status = 1;
                break;
            }
            while (got != ERR && !screen.finished()) {
                if (got == KEY_CODE_YES && ch == wint_t(kPasteStart))
                    screen.paste(readPaste());
                else
                    screen.input(unsigned(ch), got == KEY_CODE_YES);
                got = nextKey(ch, false);
            }
        }
    }
    writeOut(kPasteOff);
    endwin();
    forgetRestore();
    delscreen(terminal);
    return status;
}

} // namespace tarnvale::tui
