// The full-screen game's pages drawn on a curses screen of a chosen size,
// with a made-up story whose replies are longer than any of the game's: the
// output box's paging, the command line's scrolling, the labels' widths.

#include "engine/scene.h"
#include "story/dictionary.h"
#include "story/story.h"
#include "tui/curses.h"
#include "tui/run.h"
#include "tui/screen.h"

#include <QTest>

#include <clocale>
#include <cstdio>
#include <string>

using namespace tarnvale;

namespace {

std::u16string numbered(int n)
{
    std::u16string text = u"строка ";
    for (char c : std::to_string(n))
        text += char16_t(c);
    return text;
}

const RuleTable &longRules()
{
    static const RuleTable rules = {
        {"a reply of sixty lines", {u"длинно"}, [](Scene &game) {
             std::u16string text;
             for (int i = 1; i <= 60; ++i)
                 text += (i > 1 ? u"\r\n" : u"") + numbered(i);
             game.reply(text);
         }},
        {"an item with a long name", {u"предмет"}, [](Scene &game) {
             game.putItem(u"очень-очень длинное название предмета");
         }},
    };
    return rules;
}

void checkPassword(Scene &, std::u16string_view) {}

const LocationScript kOnePlace[] = {{longRules}};
const RuleTable kNothingEverywhere;
const Story kLongStory{kOnePlace, &kNothingEverywhere, checkPassword, tarnvaleStory().captions,
                       story::kWords, story::kDictionary, tarnvaleStory().flagNames, tarnvaleStory().windows};

std::wstring row(int r)
{
    wchar_t buffer[512] = {};
    mvinnwstr(r, 0, buffer, COLS);
    std::wstring text(buffer);
    while (!text.empty() && text.back() == L' ')
        text.pop_back();
    return text;
}

bool shows(const std::wstring &needle)
{
    for (int r = 0; r < LINES; ++r)
        if (row(r).find(needle) != std::wstring::npos)
            return true;
    return false;
}

} // namespace

class ScreenTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr);
        m_out = std::fopen("/dev/null", "w");
        m_in = std::fopen("/dev/null", "r");
        m_term = newterm("xterm-256color", m_out, m_in);
        QVERIFY(m_term != nullptr);
        tui::setUpTerminal();
    }
    void cleanupTestCase()
    {
        endwin();
        delscreen(m_term);
        std::fclose(m_out);
        std::fclose(m_in);
    }
    void init() { resizeterm(24, 80); }

    void pagingTheOutputBox()
    {
        GameSettings settings;
        tui::Screen screen(settings, kLongStory, {});
        settings.musicOn = kFalse;
        key(screen, L'\r');
        type(screen, L"длинно");
        key(screen, L'\r');
        // Twenty rows of the box: lines 1 to 20, and an arrow saying there is more.
        QVERIFY(row(2).starts_with(L" строка 1 "));
        QVERIFY(row(21).starts_with(L" строка 20 "));
        QCOMPARE(wchar_t(row(21)[54]), L'↓');
        QVERIFY(row(2)[54] != L'↑');
        // PageDown keeps one line of the page before in view.
        keyCode(screen, KEY_NPAGE);
        QVERIFY(row(2).starts_with(L" строка 20 "));
        QCOMPARE(wchar_t(row(2)[54]), L'↑');
        for (int i = 0; i < 5; ++i)
            keyCode(screen, KEY_NPAGE);
        QVERIFY(row(21).starts_with(L" строка 60 "));
        QVERIFY(row(21)[54] != L'↓');
        keyCode(screen, KEY_PPAGE);
        QVERIFY(row(2).starts_with(L" строка 22 "));
        // The wheel scrolls three lines, never past the ends.
        screen.scrollOutput(3);
        screen.draw();
        QVERIFY(row(2).starts_with(L" строка 25 "));
        screen.scrollOutput(-100);
        screen.draw();
        QVERIFY(row(2).starts_with(L" строка 1 "));
        // A taller terminal shows more and keeps the page within the text.
        keyCode(screen, KEY_NPAGE);
        keyCode(screen, KEY_NPAGE);
        keyCode(screen, KEY_NPAGE);
        resizeterm(50, 80);
        keyCode(screen, KEY_RESIZE);
        QVERIFY(row(47).starts_with(L" строка 60"));
        resizeterm(24, 80);
        keyCode(screen, KEY_RESIZE);
        // The next command's reply starts at its top again.
        keyCode(screen, KEY_NPAGE);
        type(screen, L"длинно");
        key(screen, L'\r');
        QVERIFY(row(2).starts_with(L" строка 1 "));
    }

    void longCommandsAndLabels()
    {
        GameSettings settings;
        tui::Screen screen(settings, kLongStory, {});
        settings.musicOn = kFalse;
        key(screen, L'\r');
        // A line longer than the box: the caret stays in view at the right edge.
        const std::wstring wide(60, L'漢');
        type(screen, wide);
        QCOMPARE(getcury(stdscr), 23);
        QVERIFY(getcurx(stdscr) <= COLS - 1);
        QVERIFY(row(23).starts_with(L" >> "));
        // Home shows the start of the line again, the caret at the first character.
        keyCode(screen, KEY_HOME);
        QCOMPARE(getcurx(stdscr), 4);
        QVERIFY(row(23).starts_with(L" >> 漢漢"));
        // Submitted, it stands after ">>" cut to the output box's width.
        key(screen, L'\r');
        QVERIFY(row(1).starts_with(L" >> 漢漢"));
        QVERIFY(row(1).size() < 60);
        QCOMPARE(screen.view().find(Window::Game, "lblAction")->text.size(), std::size_t(60));
        // An inventory caption wider than the column is cut, not wrapped.
        type(screen, L"предмет");
        key(screen, L'\r');
        QVERIFY(row(2).ends_with(L"│ очень-очень длинное наз"));
        QVERIFY(row(3).find(L"предмета") == std::wstring::npos);
    }

    void tooSmall()
    {
        GameSettings settings;
        tui::Screen screen(settings, kLongStory, {});
        resizeterm(23, 80);
        keyCode(screen, KEY_RESIZE);
        QVERIFY(shows(L"Нужно не меньше 80×24, сейчас 80×23."));
        // Keys go nowhere meanwhile: Enter does not start the game.
        key(screen, L'\r');
        QCOMPARE(screen.page(), tui::Screen::Page::Dialog);
        resizeterm(24, 79);
        keyCode(screen, KEY_RESIZE);
        QVERIFY(shows(L"сейчас 79×24."));
        resizeterm(24, 80);
        keyCode(screen, KEY_RESIZE);
        QVERIFY(shows(L"выбирите сложность"));
        // F10 ends the program even from a screen too small to show anything.
        resizeterm(10, 30);
        keyCode(screen, KEY_F(tui::kExitKey));
        QVERIFY(screen.finished());
    }

private:
    static void key(tui::Screen &screen, wchar_t ch)
    {
        screen.input(unsigned(ch), false);
        screen.draw();
    }
    static void keyCode(tui::Screen &screen, int code)
    {
        screen.input(unsigned(code), true);
        screen.draw();
    }
    static void type(tui::Screen &screen, const std::wstring &text)
    {
        for (wchar_t c : text)
            key(screen, c);
    }

    std::FILE *m_out = nullptr;
    std::FILE *m_in = nullptr;
    SCREEN *m_term = nullptr;
};

QTEST_APPLESS_MAIN(ScreenTest)
#include "screen_test.moc"
