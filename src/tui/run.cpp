#include "tui/run.h"

#include "story/story.h"
#include "tui/curses.h"
#include "tui/screen.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
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

extern "C" void restoreAndDie(int sig)
{
    // Only async-signal-safe calls here.
    if (g_resetLength > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, g_resetBytes, g_resetLength);
        (void)written;
    }
    if (g_haveModes)
        ::tcsetattr(STDIN_FILENO, TCSADRAIN, &g_savedModes);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
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
}

void forgetRestore()
{
    for (int sig : kFatalSignals)
        std::signal(sig, SIG_DFL);
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
        }
    }
    ~HeldErrors()
    {
        if (m_file == nullptr)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        std::rewind(m_file);
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            std::fwrite(buffer, 1, n, stderr);
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
    // Alt and a letter, digit or sign comes as Esc and that character at
    // once: one key that means nothing here, not Esc and then the
    // character. ('[' and 'O' begin the terminal's own sequences.)
    char alt[8] = "\033";
    for (int c = 0x21; c < 0x7F; ++c) {
        if (c == '[' || c == 'O')
            continue;
        alt[1] = char(c);
        alt[2] = '\0';
        define_key(alt, kAltKey);
    }
    for (char32_t c = U'Ё'; c <= U'ё'; ++c) {   // the Cyrillic letters, in UTF-8
        alt[1] = char(0xC0 | (c >> 6));
        alt[2] = char(0x80 | (c & 0x3F));
        alt[3] = '\0';
        define_key(alt, kAltKey);
    }
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
    if (std::getenv("STY") != nullptr)
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
            screen.draw();
            refresh();
            wint_t ch = 0;
            const int got = get_wch(&ch);
            if (got == ERR) {
                if (errno == EINTR)
                    continue;
                status = 1;   // the terminal went away
                break;
            }
            screen.input(unsigned(ch), got == KEY_CODE_YES);
        }
    }
    writeOut(kPasteOff);
    endwin();
    forgetRestore();
    delscreen(terminal);
    return status;
}

} // namespace tarnvale::tui
