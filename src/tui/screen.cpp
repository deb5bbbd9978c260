#include "tui/screen.h"

#include "tui/curses.h"
#include "tui/text.h"
#include "story/credits.h"

#include <algorithm>
#include <string_view>

namespace tarnvale::tui {

namespace {

// Layout of the game window on a terminal of at least 80 by 24: the last
// command on row 1, the output box on the left, the inventory, counters and
// buttons in a column of 24 on the right, the separator and the command line
// on the last two rows.
constexpr int kPanelWidth = 24;
constexpr int kInventoryTop = 2;
constexpr int kCountersTop = 13;
constexpr int kButtonsTop = 18;

constexpr int kFrameWidth = 50;    // the dialog, help and author frames
constexpr int kFrameHeight = 17;

const std::u16string_view kHelpKeys = u"F1 помощь · F2 новая · F3 автор · F10 выход · PgUp/PgDn листают";
const std::u16string_view kAuthorLines[] = {
    credits::kAuthorCredit, credits::kAuthorName, u"",
    credits::kAuthorMail, credits::kAuthorPhone, credits::kAuthorSite,
};

// Attributes for the game's two text colours, set up once curses runs.
attr_t whiteAttr()
{
    return has_colors() ? COLOR_PAIR(1) : A_NORMAL;
}

attr_t greyAttr()
{
    if (has_colors() && COLORS >= 16)
        return COLOR_PAIR(2);
    return whiteAttr() | (termattrs() & A_DIM);
}

void put(int row, int column, std::u16string_view text, int width, attr_t attrs)
{
    if (width <= 0)
        return;
    attrset(attrs);
    mvaddwstr(row, column, fitWidth(text, width).c_str());
    attrset(whiteAttr());
}

void drawRule(int row, int column, int width)
{
    mvhline_set(row, column, WACS_HLINE, width);
}

bool isEnter(unsigned ch, bool isKeyCode)
{
    return isKeyCode ? ch == KEY_ENTER : ch == L'\r' || ch == L'\n';
}

bool isEscape(unsigned ch, bool isKeyCode)
{
    return !isKeyCode && ch == 27;
}

bool isFunctionKey(unsigned ch, bool isKeyCode, int n)
{
    return isKeyCode && ch == unsigned(KEY_F(n));
}

} // namespace

Screen::Screen(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_settings(settings), m_story(story), m_launchMusic(std::move(launchMusic))
{
    openDialog();
}

Screen::~Screen() = default;

// --- input -------------------------------------------------------------------

void Screen::input(unsigned ch, bool isKeyCode)
{
    if (isKeyCode && ch == KEY_MOUSE) {
        MEVENT event;
        if (getmouse(&event) != OK)
            return;
        if (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED))
            click(event.y, event.x);
        else if (event.bstate & BUTTON4_PRESSED)
            scrollOutput(-3);
#ifdef BUTTON5_PRESSED
        else if (event.bstate & BUTTON5_PRESSED)
            scrollOutput(3);
#endif
        return;
    }
    if (isKeyCode && ch == KEY_RESIZE)
        return;   // the next draw lays the page out again
    if (isFunctionKey(ch, isKeyCode, kExitKey)) {
        m_finished = true;
        return;
    }
    if (COLS < kMinColumns || LINES < kMinRows)
        return;   // nothing is shown to type into
    switch (m_page) {
    case Page::Dialog:
        dialogKey(ch, isKeyCode);
        break;
    case Page::Game:
        gameKey(ch, isKeyCode);
        break;
    case Page::Help:
    case Page::Author:
        infoKey(ch, isKeyCode);
        break;
    }
}

void Screen::click(int row, int column)
{
    // Buttons are looked up on the page as drawn; the action may change the page.
    for (const Button &b : m_buttons) {
        if (row == b.row && column >= b.column && column < b.column + b.width) {
            const std::function<void()> action = b.action;
            action();
            return;
        }
    }
}

void Screen::scrollOutput(int lines)
{
    if (m_page != Page::Game)
        return;
    const int most = std::max(0, int(m_lines.size()) - outputHeight());
    m_scroll = std::clamp(m_scroll + lines, 0, most);
}

void Screen::dialogKey(unsigned ch, bool isKeyCode)
{
    constexpr int kItems = 6;   // сложная, простая, включить, отключить, начать, выход
    if (isKeyCode && (ch == KEY_UP || ch == KEY_BTAB)) {
        m_dialogFocus = (m_dialogFocus + kItems - 1) % kItems;
    } else if ((isKeyCode && ch == KEY_DOWN) || (!isKeyCode && ch == L'\t')) {
        m_dialogFocus = (m_dialogFocus + 1) % kItems;
    } else if (!isKeyCode && ch == L' ') {
        switch (m_dialogFocus) {
        case 0: m_settings.easyMode = kFalse; break;
        case 1: m_settings.easyMode = kTrue; break;
        case 2: m_settings.musicOn = kTrue; break;
        case 3: m_settings.musicOn = kFalse; break;
        case 4: startGame(); break;
        default: m_finished = true; break;
        }
    } else if (isEnter(ch, isKeyCode)) {
        if (m_dialogFocus == 5)
            m_finished = true;
        else
            startGame();
    } else if (isEscape(ch, isKeyCode)) {
        m_finished = true;
    }
}

void Screen::gameKey(unsigned ch, bool isKeyCode)
{
    if (isFunctionKey(ch, isKeyCode, kHelpKey)) {
        m_page = Page::Help;
        return;
    }
    if (isFunctionKey(ch, isKeyCode, kAuthorKey)) {
        m_page = Page::Author;
        return;
    }
    if (isFunctionKey(ch, isKeyCode, kNewKey)) {
        openDialog();
        return;
    }
    const bool password = m_game->window().txtPwd.visible;
    const auto press = [this, password](int key) {
        if (password)
            m_game->pressPwdKey(key);
        else
            m_game->pressConKey(key);
    };
    if (isKeyCode) {
        switch (ch) {
        case KEY_ENTER: press(kKeyEnter); m_scroll = 0; break;
        case KEY_UP: press(kKeyUp); break;
        case KEY_BACKSPACE: press(kKeyBackspace); break;
        case KEY_DC: press(kKeyDelete); break;
        case KEY_LEFT: case KEY_RIGHT: case KEY_HOME: case KEY_END: moveCaret(int(ch)); break;
        case KEY_PPAGE: scrollOutput(-std::max(1, outputHeight() - 1)); break;
        case KEY_NPAGE: scrollOutput(std::max(1, outputHeight() - 1)); break;
        default: break;
        }
        return;
    }
    switch (ch) {
    case L'\r': case L'\n': press(kKeyEnter); m_scroll = 0; return;
    case 27: press(kKeyEscape); return;
    case 8: case 127: press(kKeyBackspace); return;
    default: break;
    }
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0))
        return;   // other control keys type nothing
    const std::u16string typed = fromWide(wchar_t(ch));
    if (password)
        m_game->typePwd(typed);
    else
        m_game->typeCon(typed);
}

void Screen::moveCaret(int key)
{
    const TextBox &box = activeBox();
    if (!box.acceptsInput())
        return;
    const std::u16string &text = box.text();
    const int size = int(text.size());
    const int start = box.selStart();
    const int end = start + box.selLength();
    const auto low = [&text](int i) { return text[std::size_t(i)] >= 0xDC00 && text[std::size_t(i)] <= 0xDFFF; };
    int to = start;
    switch (key) {
    case KEY_LEFT:
        // A selection collapses to its start; otherwise one character back,
        // a surrogate pair as one.
        if (box.selLength() == 0 && start > 0)
            to = start - 1 - (start >= 2 && low(start - 1) ? 1 : 0);
        break;
    case KEY_RIGHT:
        if (box.selLength() > 0)
            to = end;
        else if (start < size)
            to = start + 1 + (start + 1 < size && low(start + 1) ? 1 : 0);
        break;
    case KEY_HOME: to = 0; break;
    case KEY_END: to = size; break;
    default: return;
    }
    if (m_game->window().txtPwd.visible)
        m_game->selectPwd(to, 0);
    else
        m_game->selectCon(to, 0);
}

void Screen::infoKey(unsigned ch, bool isKeyCode)
{
    if (isEnter(ch, isKeyCode) || isEscape(ch, isKeyCode) || (!isKeyCode && ch == L' ')
        || isFunctionKey(ch, isKeyCode, kHelpKey) || isFunctionKey(ch, isKeyCode, kAuthorKey))
        m_page = Page::Game;
}

void Screen::startGame()
{
    // A fresh game window with the choices the dialog shows; its load runs now.
    m_game = std::make_unique<Game>(m_settings, m_story, m_launchMusic);
    m_page = Page::Game;
    m_scroll = 0;
    m_conScroll = 0;
    m_wrappedWidth = -1;
}

void Screen::openDialog()
{
    // The game in progress is discarded; every load of the dialog chooses a
    // hard game with music.
    m_game.reset();
    m_settings.musicOn = kTrue;
    m_settings.easyMode = kFalse;
    m_dialogFocus = 4;
    m_page = Page::Dialog;
}

const TextBox &Screen::activeBox() const
{
    const GameWindow &w = m_game->window();
    return w.txtPwd.visible ? w.txtPwd : w.txtCon;
}

int Screen::outputHeight() const
{
    return std::max(1, LINES - 4);
}

// --- drawing -----------------------------------------------------------------

void Screen::addButton(int row, int column, const std::wstring &text, int attrs,
                       std::function<void()> action)
{
    attrset(attr_t(attrs));
    mvaddwstr(row, column, text.c_str());
    attrset(whiteAttr());
    int width = 0;
    for (wchar_t c : text)
        width += std::max(0, ::wcwidth(c));
    m_buttons.push_back(Button{row, column, width, std::move(action)});
}

void Screen::draw()
{
    m_buttons.clear();
    bkgdset(whiteAttr() | L' ');
    erase();
    m_showCursor = false;
    if (COLS < kMinColumns || LINES < kMinRows)
        drawTooSmall();
    else
        drawPage();
    // Switched only when it changes: the terminal hears of it at once.
    if (m_showCursor != m_cursorShown) {
        curs_set(m_showCursor ? 1 : 0);
        m_cursorShown = m_showCursor;
    }
}

void Screen::drawPage()
{
    const int top = std::max(0, (LINES - kFrameHeight) / 2);
    const int left = std::max(0, (COLS - kFrameWidth) / 2);
    switch (m_page) {
    case Page::Dialog: drawDialog(top, left); break;
    case Page::Game: drawGame(); break;
    case Page::Help:
    case Page::Author: drawInfo(top, left); break;
    }
}

void Screen::drawTooSmall()
{
    const std::wstring size = std::to_wstring(kMinColumns) + L"×" + std::to_wstring(kMinRows);
    const std::wstring now = std::to_wstring(COLS) + L"×" + std::to_wstring(LINES);
    const std::wstring lines[] = {
        L"Окно терминала слишком мало.",
        L"Нужно не меньше " + size + L", сейчас " + now + L".",
        L"F10 — выход",
    };
    int row = std::max(0, LINES / 2 - 1);
    for (const std::wstring &line : lines) {
        int width = 0;
        for (wchar_t c : line)
            width += std::max(0, ::wcwidth(c));
        if (row < LINES)
            mvaddnwstr(row++, std::max(0, (COLS - width) / 2), line.c_str(), COLS);
    }
}

void Screen::drawFrame(int top, int left, int height, int width)
{
    attrset(whiteAttr());
    mvadd_wch(top, left, WACS_ULCORNER);
    mvadd_wch(top, left + width - 1, WACS_URCORNER);
    mvadd_wch(top + height - 1, left, WACS_LLCORNER);
    mvadd_wch(top + height - 1, left + width - 1, WACS_LRCORNER);
    drawRule(top, left + 1, width - 2);
    drawRule(top + height - 1, left + 1, width - 2);
    mvvline_set(top + 1, left, WACS_VLINE, height - 2);
    mvvline_set(top + 1, left + width - 1, WACS_VLINE, height - 2);
    // The title strip along the top edge.
    attrset(whiteAttr() | A_REVERSE);
    mvhline(top + 1, left + 1, ' ', width - 2);
    mvaddstr(top + 1, left + (width - 8) / 2, "tarnvale");
    attrset(whiteAttr());
    put(top + 2, left + 2, credits::kSubtitle, width - 4, whiteAttr());
    put(top + 3, left + 2, credits::kTitle, width - 4, whiteAttr());
}

void Screen::drawDialog(int top, int left)
{
    drawFrame(top, left, kFrameHeight, kFrameWidth);
    const int x = left + 2;
    const bool easy = m_settings.easyMode != kFalse;
    const bool music = m_settings.musicOn != kFalse;
    // The chosen option of each pair is white with a mark, the other grey;
    // the highlighted item is in reverse video.
    const auto item = [&](int index, int row, int column, std::wstring_view caption, bool chosen,
                          std::function<void()> action) {
        std::wstring text = index < 4 ? std::wstring(chosen ? L"• " : L"  ") : std::wstring();
        text += caption;
        attr_t attrs = index < 4 && !chosen ? greyAttr() : whiteAttr() | (index < 4 ? A_BOLD : 0);
        if (index == m_dialogFocus)
            attrs |= A_REVERSE;
        addButton(row, column, text, int(attrs), [this, index, action] {
            m_dialogFocus = index;
            action();
        });
    };
    put(top + 5, x, u"выбирите сложность", kFrameWidth - 4, whiteAttr());
    item(0, top + 6, x, L"сложная (лучше сначала играть так)", !easy, [this] { m_settings.easyMode = kFalse; });
    item(1, top + 7, x, L"простая (играть не интересно)", easy, [this] { m_settings.easyMode = kTrue; });
    put(top + 9, x, u"музыка в игре", kFrameWidth - 4, whiteAttr());
    item(2, top + 10, x, L"включить", music, [this] { m_settings.musicOn = kTrue; });
    // The note says what the music needs; clicking it does nothing.
    addButton(top + 10, left + kFrameWidth - 14, L"Win98 only", int(greyAttr()), [] {});
    item(3, top + 11, x, L"отключить", !music, [this] { m_settings.musicOn = kFalse; });
    item(4, top + 13, x, L"начать", false, [this] { startGame(); });
    item(5, top + 13, left + kFrameWidth - 14, L"выход", false, [this] { m_finished = true; });
    put(top + kFrameHeight, left, u"↑↓ выбор, пробел — отметить, Enter — начать",
        COLS - left, greyAttr());
}

void Screen::drawInfo(int top, int left)
{
    drawFrame(top, left, kFrameHeight, kFrameWidth);
    const int x = left + 2;
    const int width = kFrameWidth - 4;
    int row = top + 5;
    const auto paragraph = [&](std::u16string_view text) {
        for (const std::wstring &line : wrapText(text, width))
            mvaddwstr(row++, x, line.c_str());
        ++row;
    };
    if (m_page == Page::Help) {
        paragraph(credits::kHelpTip);
        paragraph(credits::kHelpAdvice);
        put(top + 14, x, credits::kHelpCredit, 24, whiteAttr());
        put(top + kFrameHeight, left, kHelpKeys, COLS - left, greyAttr());
    } else {
        ++row;
        for (std::u16string_view line : kAuthorLines)
            put(row++, x, line, width, whiteAttr());
        put(top + 14, x, u"(12-13).01.2007", 24, whiteAttr());
    }
    addButton(top + 14, left + kFrameWidth - 12, L"закрыть", int(whiteAttr() | A_REVERSE),
              [this] { m_page = Page::Game; });
}

void Screen::drawGame()
{
    const GameWindow &w = m_game->window();
    const int panel = COLS - kPanelWidth;
    const int outWidth = panel - 3;
    const int outHeight = outputHeight();

    // The title strip.
    attrset(whiteAttr() | A_REVERSE);
    mvhline(0, 0, ' ', COLS);
    mvaddstr(0, (COLS - 8) / 2, "tarnvale");
    attrset(whiteAttr());

    // The last command.
    put(1, 1, u">>", 2, greyAttr());
    put(1, 4, w.lblAction, outWidth - 3, greyAttr());

    // The output box, wrapped again only when its text or width changed.
    if (m_wrappedWidth != outWidth || m_wrappedText != w.txtGame) {
        if (m_wrappedText != w.txtGame)
            m_scroll = 0;
        m_wrappedText = w.txtGame;
        m_wrappedWidth = outWidth;
        m_lines = wrapText(w.txtGame, outWidth);
    }
    m_scroll = std::clamp(m_scroll, 0, std::max(0, int(m_lines.size()) - outHeight));
    for (int i = 0; i < outHeight && m_scroll + i < int(m_lines.size()); ++i)
        mvaddwstr(2 + i, 1, m_lines[std::size_t(m_scroll + i)].c_str());
    mvvline_set(2, panel - 2, WACS_VLINE, outHeight);
    if (m_scroll > 0)
        mvadd_wch(2, panel - 2, WACS_UARROW);
    if (m_scroll + outHeight < int(m_lines.size()))
        mvadd_wch(1 + outHeight, panel - 2, WACS_DARROW);

    // Inventory, counters, buttons.
    for (int i = 0; i < kInventorySlots; ++i)
        put(kInventoryTop + i, panel, w.lblInv[std::size_t(i)], kPanelWidth - 1, whiteAttr());
    put(kCountersTop, panel, w.lblDiff, kPanelWidth - 1, whiteAttr());
    put(kCountersTop + 1, panel, w.lblMoney, kPanelWidth - 1, whiteAttr());
    put(kCountersTop + 2, panel, w.lblSteps, kPanelWidth - 1, whiteAttr());
    put(kCountersTop + 3, panel, w.lblPoints, kPanelWidth - 1, whiteAttr());
    const struct {
        const wchar_t *caption;
        int key;
        std::function<void()> action;
    } buttons[] = {
        {L"новая", kNewKey, [this] { openDialog(); }},
        {L"автор", kAuthorKey, [this] { m_page = Page::Author; }},
        {L"помощь", kHelpKey, [this] { m_page = Page::Help; }},
        {L"выход", kExitKey, [this] { m_finished = true; }},
    };
    for (int i = 0; i < 4; ++i) {
        addButton(kButtonsTop + i, panel, buttons[i].caption, int(whiteAttr()), buttons[i].action);
        const std::wstring key = L"F" + std::to_wstring(buttons[i].key);
        attrset(greyAttr());
        mvaddwstr(kButtonsTop + i, COLS - 4, key.c_str());
        attrset(whiteAttr());
    }

    // The separator and the command line (or the password box in its place).
    drawRule(LINES - 2, 0, COLS);
    put(LINES - 1, 1, u">>", 2, whiteAttr());
    drawConsole(LINES - 1, 4, COLS - 5);
}

void Screen::drawConsole(int row, int left, int width)
{
    const TextBox &box = activeBox();
    const std::u16string &text = box.text();
    const std::vector<Cell> cells = toCells(text);
    const int selFrom = box.selStart();
    const int selTo = selFrom + box.selLength();

    // Column of every cell, and of the caret.
    int caretColumn = 0;
    int total = 0;
    for (const Cell &c : cells) {
        if (c.unit < selFrom)
            caretColumn = total + c.width;
        total += c.width;
    }
    if (caretColumn < m_conScroll)
        m_conScroll = caretColumn;
    if (caretColumn >= m_conScroll + width)
        m_conScroll = caretColumn - width + 1;
    m_conScroll = std::clamp(m_conScroll, 0, std::max(0, total + 1 - width));

    const attr_t base = box.enabled ? whiteAttr() : greyAttr();
    int column = 0;
    for (const Cell &c : cells) {
        const int at = column;
        column += c.width;
        if (at < m_conScroll || column > m_conScroll + width)
            continue;
        const bool selected = c.unit >= selFrom && c.unit < selTo;
        const attr_t attrs = base | (selected ? A_REVERSE : 0);
        const wchar_t wide[2] = {c.ch, 0};
        cchar_t cell;
        setcchar(&cell, wide, attrs & ~A_COLOR, short(PAIR_NUMBER(attrs)), nullptr);
        mvadd_wch(row, left + at - m_conScroll, &cell);
    }
    attrset(whiteAttr());
    if (box.acceptsInput()) {
        move(row, left + caretColumn - m_conScroll);
        m_showCursor = true;
    }
}

} // namespace tarnvale::tui
