#include "tui/screen.h"

#include "tui/curses.h"
#include "tui/text.h"
#include "story/windows.h"

#include <chrono>

#include <algorithm>
#include <utility>
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

constexpr int kMeasure = 100;      // the output box's widest line
constexpr int kFrameWidth = 50;    // the dialog, help and author frames
constexpr int kFrameHeight = 17;

const std::u16string_view kHelpKeys = u"F1 помощь · F2 новая · F3 автор · F10 выход · PgUp/PgDn листают";

using windows::Kind;


// The function key of each of the game window's buttons.
int functionKey(Control control)
{
    switch (control) {
    case Control::Help: return kHelpKey;
    case Control::New: return kNewKey;
    case Control::Author: return kAuthorKey;
    default: return kExitKey;
    }
}

// The dialog's items in the order the arrows walk them: the choices, then
// "начать" and "выход".
std::vector<const windows::Widget *> dialogItems()
{
    std::vector<const windows::Widget *> items;
    for (const windows::Widget &w : windows::kNewGameDialog.widgets) {
        if (w.kind == Kind::Choice || w.kind == Kind::Button)
            items.push_back(&w);
    }
    return items;
}

// The dialog's item that has the keyboard as it comes up ("начать").
int dialogStartItem()
{
    const std::vector<const windows::Widget *> items = dialogItems();
    const Control start = windows::kNewGameDialog.keyboardControl;
    const auto found = std::find_if(items.begin(), items.end(), [start](const auto *w) { return w->control == start; });
    return found == items.end() ? 0 : int(found - items.begin());
}

// Where a widget of the dialog, help and author stands in the frame: a row
// for each line of text below the title strip, and the columns inside the
// frame spread over the widest widget's span, from their places in twips.
int frameRow(const windows::Widget &w)
{
    constexpr int kLineTwips = windows::kLinePitchPixels * windows::kTwipsPerPixel;
    return 2 + (w.rect.top - kLineTwips) / kLineTwips;
}

int frameColumn(const windows::Form &form, const windows::Widget &w, int frameWidth)
{
    int left = form.width, right = 0;
    for (const windows::Widget &other : form.widgets) {
        if (other.kind != windows::Kind::TitleStrip) {
            left = std::min(left, other.rect.left);
            right = std::max(right, other.rect.left + other.rect.width);
        }
    }
    return 2 + (w.rect.left - left) * (frameWidth - 4) / std::max(1, right - left);
}

// The text of a widget of the game window as the view has it.
std::u16string_view gameText(const View &view, std::string_view name)
{
    const WidgetView *w = view.find(Window::Game, name);
    return w ? w->text : std::u16string_view{};
}

Millis now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

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
    : m_program(settings, story, std::move(launchMusic))
{
    // The terminal reports clicks as they come (curses makes no double
    // clicks of its own here).
    m_program.setDoubleClickInterval(0);
    m_program.start(now());
    m_dialogSeen = raises(Window::Dialog);
    m_dialogFocus = dialogStartItem();
}

Screen::Page Screen::page() const
{
    if (m_program.isOpen(Window::Dialog))
        return Page::Dialog;
    const Window other = m_front == Window::Help ? Window::Author : Window::Help;
    for (const Window info : {m_front, other}) {
        if (m_program.isOpen(info))
            return info == Window::Help ? Page::Help : Page::Author;
    }
    return Page::Game;
}

void Screen::press(Window window, Control control, bool byMouse)
{
    if (!m_program.press(window, control, now(), byMouse ? Program::By::Mouse : Program::By::Keyboard))
        return;
    if (control == Control::Help)
        m_front = Window::Help;
    else if (control == Control::Author)
        m_front = Window::Author;
    if (m_program.isOpen(Window::Dialog) && raises(Window::Dialog) != m_dialogSeen) {
        // A fresh dialog: "начать" is highlighted, so that Enter starts.
        m_dialogSeen = raises(Window::Dialog);
        m_dialogFocus = dialogStartItem();
    }
    if (m_program.isOpen(Window::Game) && raises(Window::Game) != m_gameSeen) {
        // A fresh game window.
        m_gameSeen = raises(Window::Game);
        m_scroll = 0;
        m_conScroll = 0;
        m_wrappedWidth = -1;
    }
}

Screen::~Screen() = default;

unsigned Screen::raises(Window window)
{
    const WindowView *w = m_program.view().find(window);
    return w ? w->raises : 0;
}

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
    // A paste comes between brackets: it is gathered whole, and the game
    // keeps it up to its first line break; nothing in it is a key.
    if (isKeyCode && ch == unsigned(kPasteStart)) {
        m_pasting = true;
        m_pasted.clear();
        return;
    }
    if (isKeyCode && ch == unsigned(kPasteEnd)) {
        m_pasting = false;
        paste(m_pasted);
        return;
    }
    if (m_pasting) {
        if (!isKeyCode)
            m_pasted += fromWide(wchar_t(ch));
        return;
    }
    if (!isKeyCode && ch == 12) {   // Ctrl+L
        repaint();
        return;
    }
    if (isFunctionKey(ch, isKeyCode, kExitKey)) {
        press(Window::Game, Control::Exit);
        press(Window::Dialog, Control::Exit);
        return;
    }
    if (COLS < kMinColumns || LINES < kMinRows)
        return;   // nothing is shown to type into
    switch (page()) {
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

void Screen::paste(std::u16string_view text)
{
    if (page() == Page::Game)
        m_program.paste(text);
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
    if (page() != Page::Game)
        return;
    const int most = std::max(0, int(m_lines.size()) - outputHeight());
    m_scroll = std::clamp(m_scroll + lines, 0, most);
}

void Screen::dialogKey(unsigned ch, bool isKeyCode)
{
    // The arrows walk the four choices, Tab every item; Space marks a choice
    // or starts from "начать"; Enter starts, or leaves from "выход". No key
    // that chooses leaves the program: Esc has no game to go back to.
    const std::vector<const windows::Widget *> items = dialogItems();
    const int count = int(items.size());
    int choices = 0;
    while (choices < count && items[std::size_t(choices)]->kind == Kind::Choice)
        ++choices;
    const Control focused = items[std::size_t(m_dialogFocus)]->control;
    const bool onChoice = m_dialogFocus < choices;
    if (isKeyCode && ch == KEY_UP) {
        m_dialogFocus = onChoice ? (m_dialogFocus + choices - 1) % choices : choices - 1;
    } else if (isKeyCode && ch == KEY_DOWN) {
        m_dialogFocus = onChoice ? (m_dialogFocus + 1) % choices : 0;
    } else if (isKeyCode && ch == KEY_BTAB) {
        m_dialogFocus = (m_dialogFocus + count - 1) % count;
    } else if (!isKeyCode && ch == L'\t') {
        m_dialogFocus = (m_dialogFocus + 1) % count;
    } else if (!isKeyCode && ch == L' ') {
        if (focused != Control::Exit)
            press(Window::Dialog, focused);
    } else if (isEnter(ch, isKeyCode)) {
        press(Window::Dialog, focused == Control::Exit ? Control::Exit : Control::Start);
    }
}

void Screen::gameKey(unsigned ch, bool isKeyCode)
{
    for (const Control control : {Control::Help, Control::Author, Control::New}) {
        if (isFunctionKey(ch, isKeyCode, functionKey(control))) {
            press(Window::Game, control);
            return;
        }
    }
    Program &game = m_program;
    if (isKeyCode) {
        switch (ch) {
        case KEY_ENTER: game.key(Key::Enter); m_scroll = 0; break;
        case KEY_UP: game.key(Key::Up); break;
        case KEY_BACKSPACE: game.key(Key::Backspace); break;
        case KEY_DC: game.key(Key::Delete); break;
        case KEY_LEFT: game.key(Key::Left); break;
        case KEY_RIGHT: game.key(Key::Right); break;
        case KEY_HOME: game.key(Key::Home); break;
        case KEY_END: game.key(Key::End); break;
        case KEY_PPAGE: scrollOutput(-std::max(1, outputHeight() - 1)); break;
        case KEY_NPAGE: scrollOutput(std::max(1, outputHeight() - 1)); break;
        default: break;
        }
        return;
    }
    switch (ch) {
    case L'\r': case L'\n': game.key(Key::Enter); m_scroll = 0; return;
    case 27: game.key(Key::Escape); return;
    case 8: case 127: game.key(Key::Backspace); return;
    default: break;
    }
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0))
        return;   // other control keys type nothing
    game.type(fromWide(wchar_t(ch)));
}

void Screen::infoKey(unsigned ch, bool isKeyCode)
{
    if (isEnter(ch, isKeyCode) || isEscape(ch, isKeyCode) || (!isKeyCode && ch == L' ')
        || isFunctionKey(ch, isKeyCode, kHelpKey) || isFunctionKey(ch, isKeyCode, kAuthorKey))
        press(page() == Page::Help ? Window::Help : Window::Author, Control::Close);
}

int Screen::outputHeight() const
{
    return std::max(1, LINES - 4);
}

// --- drawing -----------------------------------------------------------------

void Screen::addButton(int row, int column, std::u16string_view text, int attrs, std::function<void()> action)
{
    attrset(attr_t(attrs));
    mvaddwstr(row, column, toWide(text).c_str());
    attrset(whiteAttr());
    m_buttons.push_back(Button{row, column, displayWidth(text), std::move(action)});
}

void Screen::draw()
{
    m_buttons.clear();
    if (std::exchange(m_repaint, false))
        clearok(stdscr, TRUE);
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
    switch (page()) {
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
}

void Screen::drawDialog(int top, int left)
{
    drawFrame(top, left, kFrameHeight, kFrameWidth);
    const std::vector<const windows::Widget *> items = dialogItems();
    // The chosen option of each pair is white with a mark, the other grey;
    // the highlighted item is in reverse video.
    for (const windows::Widget &w : windows::kNewGameDialog.widgets) {
        const int row = top + frameRow(w);
        const int column = left + frameColumn(windows::kNewGameDialog, w, kFrameWidth);
        const auto item = std::find(items.begin(), items.end(), &w);
        if (w.kind == Kind::Label) {
            put(row, column, w.caption, kFrameWidth - 4, whiteAttr());
        } else if (w.kind == Kind::Note) {
            // The note says what the music needs; clicking it does nothing.
            addButton(row, column, w.caption, int(greyAttr()), [this, &w] { press(Window::Dialog, w.control, true); });
        } else if (item != items.end()) {
            const int index = int(item - items.begin());
            const bool choice = w.kind == Kind::Choice;
            const WidgetView *viewed = m_program.view().find(Window::Dialog, w.name);
            const bool chosen = choice && viewed && viewed->chosen;
            std::u16string text = choice ? std::u16string(chosen ? u"• " : u"  ") : std::u16string();
            text += w.caption;
            attr_t attrs = choice && !chosen ? greyAttr() : whiteAttr() | (choice ? A_BOLD : 0);
            if (index == m_dialogFocus)
                attrs |= A_REVERSE;
            addButton(row, column, text, int(attrs), [this, index, &w] {
                m_dialogFocus = index;
                press(Window::Dialog, w.control, true);
            });
        }
    }
    const std::u16string_view hint = u"↑↓ выбор, пробел — отметить, Tab — к кнопкам, Enter — начать, F10 — выход";
    put(top + kFrameHeight, std::max(0, (COLS - displayWidth(hint)) / 2), hint, COLS, greyAttr());
}

void Screen::drawInfo(int top, int left)
{
    drawFrame(top, left, kFrameHeight, kFrameWidth);
    const Window window = page() == Page::Help ? Window::Help : Window::Author;
    const int width = kFrameWidth - 4;
    // The wrapped paragraphs take the rows they need, one after another.
    int paragraphRow = 0;
    for (const windows::Widget &w : windows::form(window).widgets) {
        int row = top + frameRow(w);
        const int column = left + frameColumn(windows::form(window), w, kFrameWidth);
        switch (w.kind) {
        case Kind::Label:
            put(row, column, w.caption, kFrameWidth - 2 - frameColumn(windows::form(window), w, kFrameWidth), whiteAttr());
            break;
        case Kind::WrappedLabel:
            row = std::max(row, paragraphRow);
            for (const std::wstring &line : wrapText(w.caption, width))
                mvaddwstr(row++, column, line.c_str());
            paragraphRow = row + 1;
            break;
        case Kind::Button:
            addButton(row, column, w.caption, int(whiteAttr() | A_REVERSE),
                      [this, window, &w] { press(window, w.control, true); });
            break;
        default:
            break;
        }
    }
    if (window == Window::Help)
        put(top + kFrameHeight, left, kHelpKeys, COLS - left, greyAttr());
}

void Screen::drawGame()
{
    const View &view = m_program.view();
    const std::u16string_view output = gameText(view, "txtGame");
    const int panel = COLS - kPanelWidth;
    // The output wraps at a readable measure, a blank column before the
    // separator however wide the terminal is.
    const int outWidth = std::min(panel - 4, kMeasure);
    const int outHeight = outputHeight();

    // The title strip.
    attrset(whiteAttr() | A_REVERSE);
    mvhline(0, 0, ' ', COLS);
    mvaddstr(0, (COLS - 8) / 2, "tarnvale");
    attrset(whiteAttr());

    // The last command.
    put(1, 1, u">>", 2, greyAttr());
    attrset(greyAttr());
    mvaddwstr(1, 4, fitWidthMarked(gameText(view, "lblAction"), panel - 7).c_str());
    attrset(whiteAttr());

    // The output box, wrapped again only when its text or width changed.
    if (m_wrappedWidth != outWidth || m_wrappedText != output) {
        if (m_wrappedText != output)
            m_scroll = 0;
        m_wrappedText = output;
        m_wrappedWidth = outWidth;
        m_lines = wrapText(output, outWidth);
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
    int slot = 0;
    for (const std::string_view name : windows::kInventoryNames)
        put(kInventoryTop + slot++, panel, gameText(view, name), kPanelWidth - 1, whiteAttr());
    int counter = 0;
    for (const std::string_view name : {"lblDiff", "lblMoney", "lblSteps", "lblPoints"})
        put(kCountersTop + counter++, panel, gameText(view, name), kPanelWidth - 1, whiteAttr());
    int buttonRow = kButtonsTop;
    for (const windows::Widget &b : windows::kGameWindow.widgets) {
        if (b.kind != Kind::Button)
            continue;
        addButton(buttonRow, panel, b.caption, int(whiteAttr()), [this, &b] { press(Window::Game, b.control, true); });
        const std::wstring key = L"F" + std::to_wstring(functionKey(b.control));
        attrset(greyAttr());
        mvaddwstr(buttonRow++, COLS - 4, key.c_str());
        attrset(whiteAttr());
    }

    // The separator and the command line (or the password box in its place).
    drawRule(LINES - 2, 0, COLS);
    // A box that takes no input looks it: its prompt goes grey with its text.
    const WidgetView *prompt = view.find(Window::Game, "Label1");
    put(LINES - 1, 1, prompt ? prompt->text : u">>", 2,
        prompt && prompt->colour == windows::kGrey ? greyAttr() : whiteAttr());
    drawConsole(LINES - 1, 4, COLS - 5);
}

void Screen::drawConsole(int row, int left, int width)
{
    const WidgetView &box = *m_program.view().visibleBox();
    const std::u16string_view text = box.text;
    const std::vector<Cell> cells = toCells(text);
    const int selFrom = box.start;
    const int selTo = selFrom + box.length;

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
        const std::wstring wide = cellText(text, c);
        cchar_t cell;
        setcchar(&cell, wide.c_str(), attrs & ~A_COLOR, short(PAIR_NUMBER(attrs)), nullptr);
        mvadd_wch(row, left + at - m_conScroll, &cell);
    }
    attrset(whiteAttr());
    if (box.visible && box.enabled) {
        move(row, left + caretColumn - m_conScroll);
        m_showCursor = true;
    }
}

} // namespace tarnvale::tui
