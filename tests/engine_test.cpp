// The engine on its own, driven as a front-end drives it (the program's
// input, its view): counters, labels, the console keys, the order in which
// rules run and the all-or-nothing turn, the program's flow and the kept
// game. A small story made up for the purpose stands in for the real one.
#include "engine/completion.h"
#include "engine/digest.h"
#include "engine/program.h"
#include "engine/scene.h"
#include "story/dictionary.h"
#include "story/story.h"
#include "story/windows.h"

#include "qtcompare.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <new>

using namespace tarnvale;
using namespace std::string_literals;

// Allocations that fail on purpose: once armed, the n-th allocation from
// then on throws, as when no memory is left.
namespace {
long g_allocationsLeft = -1;   // -1: none fails
}

void *operator new(std::size_t size)
{
    if (g_allocationsLeft == 0) {
        g_allocationsLeft = -1;
        throw std::bad_alloc();
    }
    if (g_allocationsLeft > 0)
        --g_allocationsLeft;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace {

// The made-up story's two flags.
enum : FlagIndex { kLit, kRang };

// Items and awards by the number in their phrase.
constexpr std::u16string_view kItems[] = {u"item 0", u"item 1", u"item 2", u"item 3", u"item 4",
                                          u"item 5", u"item 6", u"item 7", u"item 8", u"item 9"};
template <int N>
void putNumbered(Scene &g) { g.putItem(kItems[N]); }
template <int N>
void award(Scene &g) { g.addPoints(std::int16_t(N)); }

const RuleTable kFirstLocation = {
    {"set a flag", {u"a"}, [](Scene &g) { g.reply(u"first"); g.set(kLit); }},
    {"sees the earlier rule", {u"a", u"b"}, [](Scene &g) {
         if (g.is(kLit))
             g.reply(u"second");
     }},
    {"move on", {u"go"}, [](Scene &g) { g.moveTo(1); g.reply(u"moved"); }},
    {"award", {u"rich"}, [](Scene &g) { g.addPoints(20000); }},
    {"pay", {u"pay"}, [](Scene &g) { g.putItem(u"thing"); g.reply(u"paid"); g.addMoney(-20000); }},
    {"take", {u"take"}, [](Scene &g) { g.putItem(u"thing"); }},
    {"drop", {u"drop"}, [](Scene &g) { g.removeItem(u"thing"); }},
    {"lose", {u"lose"}, [](Scene &g) { g.reply(u"the scene"); g.gameOver(); }},
    {"lock", {u"lock"}, [](Scene &g) { g.showPasswordBox(); g.reply(u"password?"); }},
    {"a point", {u"point"}, [](Scene &g) { g.addPoints(1); }},
    {"ten roubles", {u"spend"}, [](Scene &g) { g.addMoney(-10); }},
    {"fill", {u"item 0"}, putNumbered<0>}, {"fill", {u"item 1"}, putNumbered<1>},
    {"fill", {u"item 2"}, putNumbered<2>}, {"fill", {u"item 3"}, putNumbered<3>},
    {"fill", {u"item 4"}, putNumbered<4>}, {"fill", {u"item 5"}, putNumbered<5>},
    {"fill", {u"item 6"}, putNumbered<6>}, {"fill", {u"item 7"}, putNumbered<7>},
    {"fill", {u"item 8"}, putNumbered<8>}, {"fill", {u"item 9"}, putNumbered<9>},
    {"one too many", {u"more"}, [](Scene &g) { g.putItem(u"one too many"); }},
    {"twin", {u"twin"}, [](Scene &g) { g.putItem(u"twin"); }},
    {"untwin", {u"untwin"}, [](Scene &g) { g.removeItem(u"twin"); }},
    {"unknown", {u"unknown"}, [](Scene &g) { g.removeItem(u"nothing of the kind"); }},
    {"drop 3", {u"drop 3"}, [](Scene &g) { g.removeItem(kItems[3]); }},
    {"drop 7", {u"drop 7"}, [](Scene &g) { g.removeItem(kItems[7]); }},
    {"rename", {u"rename"}, [](Scene &g) { g.renameItem(u"twin", u"renamed"); }},
    {"holds", {u"holds"}, [](Scene &g) {
         g.reply(g.holdsItem(u"twin") ? u"yes" : u"no");
         if (g.holdsItem(u"twi"))
             g.reply(u"a part of a name");
     }},
    {"award", {u"award 50"}, award<50>}, {"award", {u"award 100"}, award<100>},
    {"award", {u"award 150"}, award<150>}, {"award", {u"award 200"}, award<200>},
    {"award", {u"award 7"}, award<7>}, {"award", {u"award 8"}, award<8>},
    {"award", {u"award -8"}, award<-8>}, {"award", {u"award 2"}, award<2>},
    {"award", {u"award 3"}, award<3>}, {"award", {u"award -3"}, award<-3>},
};
const RuleTable kSecondLocation = {
    {"answer here", {u"a", u"go"}, [](Scene &g) { g.reply(u"second location"); }},
};
const RuleTable kEverywhere = {
    {"everywhere", {u"x", u"go"}, [](Scene &g) { g.set(kRang); }},
};

const RuleTable &firstLocation() { return kFirstLocation; }
const RuleTable &secondLocation() { return kSecondLocation; }
const LocationScript kLocations[] = {{firstLocation}, {secondLocation}};

void checkPassword(Scene &game, std::u16string_view attempt)
{
    if (attempt == u"pw") {
        game.reply(u"welcome");
        game.showCommandBox();
    } else {
        game.reply(u"wrong");
    }
}

constexpr std::string_view kFlagNames[] = {"lit", "rang", "f2", "f3", "f4", "f5", "f6",
                                           "f7", "f8", "f9", "f10", "f11", "f12"};

// The real story's words, dictionary and windows: the machine says what it always says.
const Story kTestStory{kLocations, &kEverywhere, checkPassword, tarnvaleStory().captions, story::kWords,
                       story::kDictionary, kFlagNames, &windows::kDescription};

// What the game window shows, to compare one with another.
struct Shown {
    std::vector<std::u16string> texts;
    std::vector<std::array<int, 4>> boxes;   // start, length, visible, enabled
    int listIndex;
    bool operator==(const Shown &) const = default;
};

// A program with the made-up story whose game was started from the
// keyboard, with the settings given, as the dialog starts it.
struct TestGame {
    explicit TestGame(bool easy = false, bool music = false)
    {
        program.start(0);
        choose(easy, music);
    }
    void choose(bool easy, bool music)
    {
        program.press(Window::Dialog, easy ? Control::Easy : Control::Hard, 0);
        program.press(Window::Dialog, music ? Control::MusicOn : Control::MusicOff, 0);
        program.press(Window::Dialog, Control::Start, 0);
    }
    // "новая", then the same choices again.
    void newGame()
    {
        const bool easy = settings.easyMode != kFalse, music = settings.musicOn != kFalse;
        program.press(Window::Game, Control::New, 0);
        choose(easy, music);
    }

    const View &view() { return program.view(); }
    std::u16string text(std::string_view name) { return std::u16string(view().find(Window::Game, name)->text); }
    const WidgetView &box(std::string_view name = "txtCon") { return *view().find(Window::Game, name); }
    std::u16string con() { return text("txtCon"); }
    int caret() { return box().start; }
    std::u16string inv(int slot) { return text(windows::kInventoryNames[std::size_t(slot)]); }
    const GameState &state() { return *program.state(); }
    bool is(FlagIndex f) { return state().flags[f] != kFalse; }
    Shown shown()
    {
        Shown s{{}, {}, view().listIndex};
        for (const WidgetView &w : view().find(Window::Game)->widgets) {
            s.texts.emplace_back(w.text);
            s.boxes.push_back({w.start, w.length, w.visible, w.enabled});
        }
        return s;
    }

    // The command typed in one go (as a paste of it would be), then Enter.
    void enter(std::u16string_view command)
    {
        program.type(command);
        program.key(Key::Enter);
    }
    // Typed a character at a time.
    void typeEach(std::u16string_view typed)
    {
        for (std::size_t i = 0; i < typed.size(); ++i)
            program.type(typed.substr(i, 1));
    }

    GameSettings settings;
    int launches = 0;
    Program program{settings, kTestStory, [this] { ++launches; }};
};

} // namespace

class EngineTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newGameShowsTheStart();
    void labelsHaveNoAgreement();
    void newGameResetsAUsedGame();
    void easyAwardsAreFifthsRoundedHalfToEven_data();
    void easyAwardsAreFifthsRoundedHalfToEven();
    void inventorySlots();
    void rulesRunInOrderAndIndependently();
    void aMoveTakesEffectNextTurn();
    void everyEnterIsAMove();
    void escAndUp();
    void backspaceAndDeleteWithSelections();
    void gameOverKeepsEverythingButTheBox();
    void overflowUndoesTheWholeTurn();
    void movesCounterStopsAtItsLimit();
    void passwordBox();
    void dictionaryOrder();
    void foldFollowsCodePage1251();
    void submitLeavesNoPhraseSelected();
    void musicOncePerStart();
    void inputGoesToTheVisibleBox();
    void pasteKeepsTheFirstLine();
    void caretStopsBetweenCharacters();
    void programFlow();
    void pressesJustAfterAWindowAppeared();
    void placeBesideTheGame();
    void composedWordIsTypedKeyByKey();
    void everyAnswerCountsWithItsNews();
    void keptGameComesBack();
    void keptGameThatDoesNotReplay();
    void keptRecordsOfNoGameAreRefused();
    void noMemoryLeftChangesNothing();
    void oneLineBoxesHoldNoLineBreak();
    void caretNeverSplitsACharacter();
    void pressesOnlyThroughTheirWindow();
};

void EngineTest::newGameShowsTheStart()
{
    for (bool easy : {false, true}) {
        TestGame t(easy);
        QCOMPARE(t.text("lblMoney"), u"60 руб."s);
        QCOMPARE(t.text("lblPoints"), u"0 очков"s);
        QCOMPARE(t.text("lblSteps"), u"0 ходов"s);
        QCOMPARE(t.text("lblAction"), std::u16string());
        QCOMPARE(t.text("lblDiff"), easy ? u"простая игра"s : u"сложная игра"s);
        for (int slot = 0; slot < 10; ++slot)
            QVERIFY(t.inv(slot).empty());
        QVERIFY(t.box().visible && t.box().enabled);
        QVERIFY(!t.box("txtPwd").visible);
        QCOMPARE(t.text("txtGame"), kTestStory.captions.txtGame);
        QVERIFY(t.text("txtGame").ends_with(u"урна.\r\n"s));
        QCOMPARE(t.state().money, std::int16_t(60));
        QCOMPARE(t.state().location, std::int16_t(0));
        // the dictionary: a letter completes in an easy game only
        t.program.type(u"о");
        QCOMPARE(t.con(), easy ? u"осм"s : u"о"s);
    }
}

void EngineTest::labelsHaveNoAgreement()
{
    TestGame t;
    t.enter(u"point");
    QCOMPARE(t.text("lblPoints"), u"1 очков"s);
    for (int i = 0; i < 7; ++i)
        t.enter(u"spend");
    QCOMPARE(t.text("lblMoney"), u"-10 руб."s);
    for (int i = 0; i < 13; ++i)
        t.enter(u"?"s);
    QCOMPARE(t.text("lblSteps"), u"21 ходов"s);
}

void EngineTest::newGameResetsAUsedGame()
{
    TestGame fresh;
    TestGame used;
    for (std::u16string_view c : {u"a"s, u"take"s, u"rich"s, u"pay"s, u"go"s, u"x"s, u"lose"s})
        used.enter(c);
    QVERIFY(used.state() != fresh.state());
    // A new game is the first game again, window and all.
    used.newGame();
    QCOMPARE(used.state(), fresh.state());
    QVERIFY(used.shown() == fresh.shown());
    QVERIFY(used.box().enabled);
}

void EngineTest::easyAwardsAreFifthsRoundedHalfToEven_data()
{
    QTest::addColumn<int>("award");
    QTest::addColumn<int>("hard");
    QTest::addColumn<int>("easy");
    QTest::newRow("50") << 50 << 50 << 10;
    QTest::newRow("100") << 100 << 100 << 20;
    QTest::newRow("150") << 150 << 150 << 30;
    QTest::newRow("200") << 200 << 200 << 40;
    QTest::newRow("7") << 7 << 7 << 1;
    QTest::newRow("8") << 8 << 8 << 2;
    QTest::newRow("-8") << -8 << -8 << -2;
    QTest::newRow("2") << 2 << 2 << 0;
    QTest::newRow("3") << 3 << 3 << 1;
    QTest::newRow("-3") << -3 << -3 << -1;
}

void EngineTest::easyAwardsAreFifthsRoundedHalfToEven()
{
    QFETCH(int, award);
    QFETCH(int, hard);
    QFETCH(int, easy);
    TestGame h(false), e(true);
    const std::u16string command = u"award " + QString::number(award).toStdU16String();
    h.program.submit(command);
    e.program.submit(command);
    QCOMPARE(int(h.state().points), hard);
    QCOMPARE(int(e.state().points), easy);
    QCOMPARE(e.text("lblPoints"), QString::number(easy).append(QStringView(u" очков")));
    // Money is never scaled.
    e.program.submit(u"spend");
    QCOMPARE(int(e.state().money), 50);
}

void EngineTest::inventorySlots()
{
    TestGame t;
    for (int i = 0; i < 10; ++i)
        t.program.submit(kItems[i]);
    t.program.submit(u"more");
    for (int slot = 0; slot < 10; ++slot)
        QCOMPARE(t.inv(slot), kItems[slot]);   // a full inventory takes nothing more

    t.program.submit(u"drop 3");
    t.program.submit(u"drop 7");
    t.program.submit(u"unknown");
    t.program.submit(u"twin");
    t.program.submit(u"twin");
    QCOMPARE(t.inv(3), u"twin"s);
    QCOMPARE(t.inv(7), u"twin"s);
    t.program.submit(u"holds");
    QCOMPARE(t.text("txtGame"), u"yes"s);

    t.program.submit(u"untwin");
    QCOMPARE(t.inv(3), std::u16string());
    QCOMPARE(t.inv(7), u"twin"s);
    t.program.submit(u"rename");
    QCOMPARE(t.inv(7), u"renamed"s);
    t.program.submit(u"holds");
    QCOMPARE(t.text("txtGame"), u"no"s);
}

void EngineTest::rulesRunInOrderAndIndependently()
{
    TestGame t;
    // "a" fires both rules; the second sees the flag the first set and its
    // reply replaces the first one.
    t.enter(u"a"s);
    QCOMPARE(t.text("txtGame"), u"second"s);
    QVERIFY(t.is(kLit));

    TestGame u;
    u.enter(u"b"s); // the second rule alone, its guard not met
    QCOMPARE(u.text("txtGame"), story::kWords.defaultReply);

    u.enter(u"A"s); // exact comparison: case matters
    QCOMPARE(u.text("txtGame"), story::kWords.defaultReply);
    u.enter(u"a "s); // and so do blanks
    QCOMPARE(u.text("txtGame"), story::kWords.defaultReply);
}

void EngineTest::aMoveTakesEffectNextTurn()
{
    TestGame t;
    t.enter(u"go"s);
    // The first location's reply stands, the everywhere rule still ran.
    QCOMPARE(t.text("txtGame"), u"moved"s);
    QCOMPARE(t.state().location, std::int16_t(1));
    QVERIFY(t.is(kRang));
    t.enter(u"a"s);
    QCOMPARE(t.text("txtGame"), u"second location"s);
}

void EngineTest::everyEnterIsAMove()
{
    TestGame t;
    t.program.key(Key::Enter);
    QCOMPARE(t.text("txtGame"), story::kWords.defaultReply);
    QCOMPARE(t.text("lblSteps"), u"1 ходов"s);
    QCOMPARE(t.text("lblAction"), std::u16string());
    t.enter(u"no such thing"s);
    QCOMPARE(t.state().moveCount, std::int16_t(2));
    QCOMPARE(t.text("lblAction"), u"no such thing"s);
    QCOMPARE(t.con(), std::u16string());
}

void EngineTest::escAndUp()
{
    TestGame t;
    t.enter(u"take"s);
    t.program.type(u"something"s);
    t.program.key(Key::Escape);
    QCOMPARE(t.con(), std::u16string());
    t.program.key(Key::Up);
    QCOMPARE(t.con(), u"take"s);
    QCOMPARE(t.caret(), 0); // a change by the program
    t.program.key(Key::Enter);
    QCOMPARE(t.state().moveCount, std::int16_t(2));
    QCOMPARE(t.inv(1), u"thing"s);
}

void EngineTest::backspaceAndDeleteWithSelections()
{
    TestGame t;
    const auto select = [&t](std::u16string_view text, int start, int length) {
        t.program.key(Key::Escape);
        t.program.type(text);
        t.program.select(start, length);
    };

    // Six letters, the third and fourth selected: only the first one stays.
    select(u"abcdef"s, 2, 2);
    t.program.key(Key::Backspace);
    QCOMPARE(t.con(), u"a"s);

    // A selection from position 0: Backspace does nothing at all...
    select(u"abcdef"s, 0, 3);
    t.program.key(Key::Backspace);
    QCOMPARE(t.con(), u"abcdef"s);
    // ...while Delete deletes it.
    t.program.key(Key::Delete);
    QCOMPARE(t.con(), u"def"s);

    // A selection after position 0: Delete does nothing.
    select(u"abcdef"s, 2, 2);
    t.program.key(Key::Delete);
    QCOMPARE(t.con(), u"abcdef"s);

    // Nothing selected: the ordinary editing.
    select(u"abcdef"s, 3, 0);
    t.program.key(Key::Backspace);
    QCOMPARE(t.con(), u"abdef"s);
    QCOMPARE(t.caret(), 2);
    t.program.key(Key::Delete);
    QCOMPARE(t.con(), u"abef"s);
    select(u"ab"s, 0, 0);
    t.program.key(Key::Backspace);
    QCOMPARE(t.con(), u"ab"s);
}

void EngineTest::gameOverKeepsEverythingButTheBox()
{
    TestGame t;
    t.enter(u"take"s);
    t.enter(u"rich"s);
    const GameState before = t.state();
    t.enter(u"lose"s);
    QCOMPARE(t.text("txtGame"), u"the scene\r\n\r\nХа! Ты завершил игру раньше времени.\r\nИгра Окончена."s);
    QVERIFY(!t.box().enabled);
    QCOMPARE(t.state().moveCount, std::int16_t(before.moveCount + 1));
    QCOMPARE(t.state().points, before.points);
    QCOMPARE(t.inv(0), u"thing"s);
    QCOMPARE(t.text("lblAction"), u"lose"s);
    QCOMPARE(t.con(), std::u16string());
    // The prompt goes grey with the dead box.
    QCOMPARE(t.view().find(Window::Game, "Label1")->colour, windows::kGrey);

    // No key reaches a disabled box, and nothing can be submitted.
    const Shown over = t.shown();
    t.program.type(u"a"s);
    t.program.key(Key::Enter);
    QVERIFY(!t.program.submit(u"a"s));
    QVERIFY(t.shown() == over);

    t.newGame();
    QVERIFY(t.box().enabled);
    QCOMPARE(t.view().find(Window::Game, "Label1")->colour, windows::kWhite);
}

void EngineTest::overflowUndoesTheWholeTurn()
{
    TestGame t;
    t.enter(u"rich"s);
    QCOMPARE(t.state().points, std::int16_t(20000));
    t.program.type(u"rich"s);
    GameState state = t.state();
    Shown shown = t.shown();
    t.program.key(Key::Enter);
    QCOMPARE(t.state(), state);
    QCOMPARE(t.text("txtGame"), story::kWords.overflow);
    const Shown after = t.shown();
    shown.texts[std::size_t(std::distance(
        t.view().find(Window::Game)->widgets.begin(),
        std::find_if(t.view().find(Window::Game)->widgets.begin(), t.view().find(Window::Game)->widgets.end(),
                     [](const WidgetView &w) { return w.widget->name == "txtGame"; })))] = story::kWords.overflow;
    QVERIFY(after == shown); // labels, box and last command as before

    // A payment that overflows takes nothing and hands over nothing.
    t.program.key(Key::Escape);
    t.enter(u"pay"s);
    QCOMPARE(t.state().money, std::int16_t(-19940));
    t.program.type(u"pay"s);
    state = t.state();
    t.program.key(Key::Enter);
    QCOMPARE(t.state(), state);
    QCOMPARE(t.inv(1), std::u16string());
    QCOMPARE(t.text("lblMoney"), u"-19940 руб."s);
    QCOMPARE(t.con(), u"pay"s);

    // The game goes on.
    t.program.key(Key::Escape);
    t.enter(u"take"s);
    QCOMPARE(t.inv(1), u"thing"s);
}

void EngineTest::movesCounterStopsAtItsLimit()
{
    TestGame t;
    for (int i = 0; i < 32767; ++i)
        t.program.key(Key::Enter);
    QCOMPARE(t.text("lblSteps"), u"32767 ходов"s);
    t.program.type(u"take"s);
    t.program.key(Key::Enter);
    QCOMPARE(t.state().moveCount, std::int16_t(32767));
    QCOMPARE(t.text("txtGame"), story::kWords.overflow);
    QCOMPARE(t.inv(0), std::u16string());
    QCOMPARE(t.con(), u"take"s);
}

void EngineTest::passwordBox()
{
    TestGame t;
    t.enter(u"lock"s);
    QVERIFY(t.box("txtPwd").visible);
    QVERIFY(!t.box().visible);
    QVERIFY(t.view().passwordShown);
    QCOMPARE(t.state().moveCount, std::int16_t(1));

    // Up before any attempt brings back the command that locked the box.
    t.program.key(Key::Up);
    QCOMPARE(t.text("txtPwd"), u"lock"s);
    t.program.key(Key::Escape);
    QCOMPARE(t.text("txtPwd"), std::u16string());

    t.program.type(u"PW"s);
    QCOMPARE(t.con(), std::u16string());   // input goes to the box on screen
    t.program.key(Key::Enter);
    QCOMPARE(t.text("txtGame"), u"wrong"s);
    QCOMPARE(t.text("lblAction"), u"PW"s);
    QCOMPARE(t.text("txtPwd"), std::u16string());
    QCOMPARE(t.state().moveCount, std::int16_t(1)); // an attempt is not a move
    t.program.key(Key::Up);
    QCOMPARE(t.text("txtPwd"), u"PW"s);
    t.program.key(Key::Escape);

    t.program.key(Key::Enter); // an empty attempt
    QCOMPARE(t.text("lblAction"), std::u16string());
    QCOMPARE(t.text("txtGame"), u"wrong"s);

    QVERIFY(t.program.submit(u"pw"s));
    QCOMPARE(t.text("txtGame"), u"welcome"s);
    QVERIFY(t.box().visible);
    QVERIFY(!t.box("txtPwd").visible);
    QCOMPARE(t.text("lblSteps"), u"1 ходов"s);
    // The command box's Up recalls the attempt, which is the last text.
    t.program.key(Key::Up);
    QCOMPARE(t.con(), u"pw"s);
}

void EngineTest::dictionaryOrder()
{
    QCOMPARE(story::kDictionary.size(), std::size_t(223));
    QCOMPARE(story::kDictionary.front(), u"осм");
    QCOMPARE(story::kDictionary.back(), u"пересыпать дешёвые сигареты");
    for (std::size_t i = 0; i < story::kDictionary.size(); ++i) {
        QVERIFY(story::kDictionary[i].size() >= 3 && story::kDictionary[i].size() <= 27);
        for (std::size_t j = 0; j < story::kDictionary.size(); ++j) {
            if (i == j)
                continue;
            const QString phrase = toQString(story::kDictionary[i]);
            QVERIFY2(story::kDictionary[i].size() != story::kDictionary[j].size()
                         || !startsWithFolded(story::kDictionary[j], story::kDictionary[i]),
                     qPrintable(phrase));
            // When one phrase begins another, the shorter stands first.
            if (startsWithFolded(story::kDictionary[j], story::kDictionary[i]))
                QVERIFY2(i < j, qPrintable(phrase));
        }
    }
}

// The upper half of the Windows code page 1251, byte 0x80 on (0 where the
// code page has no character).
constexpr char16_t kCodePage1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

void EngineTest::foldFollowsCodePage1251()
{
    const auto inCodePage = [](char16_t c) {
        return c < 0x80 || std::find(std::begin(kCodePage1251), std::end(kCodePage1251), c)
                               != std::end(kCodePage1251);
    };
    // Every UTF-16 unit folds onto its small letter exactly when the code
    // page holds both letters of the pair; everything else stays itself.
    int pairs = 0;
    for (int unit = 1; unit <= 0xFFFF; ++unit) {
        const char16_t c = char16_t(unit);
        const char16_t lower = QChar(c).toLower().unicode();
        const bool pair = lower != c && inCodePage(c) && inCodePage(lower);
        pairs += pair;
        QVERIFY2(foldCase(c) == (pair ? lower : c), qPrintable(QString::number(unit, 16)));
    }
    QCOMPARE(pairs, 26 + 32 + 15);   // Latin, Russian, and the other Cyrillic letters

    // Letters the code page cannot hold compare only as themselves, even where
    // Unicode calls them a form of a Russian letter.
    QVERIFY(!startsWithFolded(u"в", u"\u1C80"));
    QVERIFY(!startsWithFolded(u"т", u"\u1C85"));
    QVERIFY(startsWithFolded(u"ёлка", u"ЁЛ"));
    QVERIFY(startsWithFolded(u"ђ", u"Ђ") && startsWithFolded(u"ґ", u"Ґ"));
    QVERIFY(!startsWithFolded(u"ѐ", u"Ѐ"));   // U+0400 is not in the code page

    // Through the console: a capital typed completes to the dictionary's case.
    TestGame t(true);
    t.typeEach(u"ЗВОНИТЬ Е");
    QCOMPARE(t.con(), u"звонить Евграфу"s);
    QCOMPARE(t.caret(), 9);
    t.program.key(Key::Escape);
    t.typeEach(u"\u1C80");   // looks like в, matches nothing
    QCOMPARE(t.con(), u"\u1C80"s);
}

void EngineTest::submitLeavesNoPhraseSelected()
{
    // The box holds a completed phrase, selected in the dictionary; a line
    // submitted as it is (an empty one too, which changes nothing the
    // completion would see) leaves no phrase selected with the box empty.
    for (const std::u16string &line : {u""s, u"где я?"s, u"осм урну"s}) {
        TestGame t(true);
        t.program.type(u"о");
        QCOMPARE(t.view().listIndex, 0);
        QVERIFY(t.program.submit(line));
        QCOMPARE(t.text("lblAction"), line);
        QCOMPARE(t.con(), std::u16string());
        QCOMPARE(t.view().listIndex, -1);
    }
}

void EngineTest::musicOncePerStart()
{
    TestGame t(false, true);
    QCOMPARE(t.launches, 1);
    t.enter(u"a"s);
    QCOMPARE(t.launches, 1);
    t.newGame();
    QCOMPARE(t.launches, 2);
    t.program.press(Window::Game, Control::New, 0);
    t.choose(false, false);
    QCOMPARE(t.launches, 2);
}

void EngineTest::inputGoesToTheVisibleBox()
{
    TestGame t;
    t.program.type(u"lock");
    t.program.key(Key::Enter);
    QVERIFY(t.view().passwordShown);
    t.program.type(u"pw");
    QCOMPARE(t.text("txtPwd"), u"pw");
    QCOMPARE(t.con(), u"");
    t.program.key(Key::Enter);
    QVERIFY(!t.view().passwordShown);
    QCOMPARE(t.text("txtGame"), u"welcome");
    // a finished game takes nothing
    t.program.type(u"lose");
    t.program.key(Key::Enter);
    t.program.type(u"x");
    t.program.paste(u"y");
    t.program.key(Key::Up);
    QCOMPARE(t.con(), u"");
    // nor does a game whose window is closed
    t.program.press(Window::Game, Control::New, 0);
    t.program.type(u"x");
    QVERIFY(!t.program.submit(u"x"));
    QVERIFY(t.program.view().visibleBox() == nullptr);
}

void EngineTest::pasteKeepsTheFirstLine()
{
    for (const std::u16string_view pasted : {u"go\rx", u"go\nx", u"go\vx", u"go\fx", u"go\u0085x", u"go\u2028x", u"go\u2029x"}) {
        TestGame t;
        t.program.paste(pasted);
        QCOMPARE(t.con(), u"go");
        QCOMPARE(t.state().moveCount, 0);   // a paste never submits
    }
    // An edit a widget made with a pasted line break in it keeps the text before the break.
    TestGame t;
    t.program.type(u"ab");
    t.program.edit(u"ab12\n34", 7);
    QCOMPARE(t.con(), u"ab12");
    QCOMPARE(t.caret(), 4);
    t.program.edit(u"x\ny", 3);
    QCOMPARE(t.con(), u"x");
    QCOMPARE(t.caret(), 1);
}

void EngineTest::caretStopsBetweenCharacters()
{
    // и + combining breve, an emoji (a surrogate pair), е + combining acute
    TestGame t;
    const std::u16string text = u"и\u0306\U0001F600е\u0301";
    t.program.type(text);
    QCOMPARE(t.caret(), 6);
    const int stops[] = {4, 2, 0, 0};
    for (const int stop : stops) {
        t.program.key(Key::Left);
        QCOMPARE(t.caret(), stop);
    }
    t.program.key(Key::Right);
    QCOMPARE(t.caret(), 2);
    t.program.key(Key::End);
    QCOMPARE(t.caret(), 6);
    t.program.key(Key::Home);
    QCOMPARE(t.caret(), 0);
    // a selection asked for inside a pair or before a mark takes the whole character
    t.program.select(3, 2);
    QCOMPARE(t.box().start, 2);
    QCOMPARE(t.box().length, 4);
    t.program.select(1, 0);
    QCOMPARE(t.caret(), 0);
    t.program.key(Key::Backspace);   // at 0: nothing
    QCOMPARE(t.con(), text);
}

namespace {

bool isOpen(Program &p, Window w)
{
    return p.view().find(w) != nullptr;
}

bool chosen(Program &p, std::string_view choice)
{
    const WidgetView *w = p.view().find(Window::Dialog, choice);
    return w && w->chosen && w->colour == windows::kWhite;
}

unsigned raises(Program &p, Window w)
{
    return p.view().find(w)->raises;
}

bool keyboard(Program &p, Window w)
{
    return p.view().find(w)->keyboard;
}

} // namespace

void EngineTest::programFlow()
{
    GameSettings settings;
    int launches = 0;
    Program p(settings, kTestStory, [&launches] { ++launches; });
    QVERIFY(p.view().windows.empty() && !p.view().inGame);
    p.start(0);
    QVERIFY(isOpen(p, Window::Dialog));
    QVERIFY(chosen(p, "lblHard") && chosen(p, "lblMusOn"));
    QVERIFY(!chosen(p, "lblEasy") && !chosen(p, "lblMusOff"));
    QCOMPARE(p.view().find(Window::Dialog, "lblEasy")->colour, windows::kUnchosen);
    QVERIFY(p.press(Window::Dialog, Control::Easy, 0));
    QVERIFY(p.press(Window::Dialog, Control::MusicOff, 0));
    QVERIFY(chosen(p, "lblEasy") && !chosen(p, "lblHard") && chosen(p, "lblMusOff"));
    QVERIFY(p.press(Window::Dialog, Control::Note, 0));   // the note does nothing
    QVERIFY(chosen(p, "lblEasy"));
    QVERIFY(p.press(Window::Dialog, Control::Start, 0));
    QVERIFY(!isOpen(p, Window::Dialog) && isOpen(p, Window::Game));
    QCOMPARE(p.view().find(Window::Game, "lblDiff")->text, u"простая игра");
    QCOMPARE(launches, 0);
    // a window that is not open takes no press
    QVERIFY(!p.press(Window::Dialog, Control::Start, 0));

    const std::uint64_t generation = p.view().generation;
    p.press(Window::Game, Control::Help, 0);
    p.press(Window::Game, Control::Author, 0);
    QVERIFY(p.view().generation > generation);
    const unsigned helpRaises = raises(p, Window::Help);
    p.press(Window::Game, Control::Help, 0);   // only brought up again
    QCOMPARE(raises(p, Window::Help), helpRaises + 1);
    // the open windows in the order they came up, the one brought up last at the end
    QCOMPARE(p.view().windows.size(), std::size_t(3));
    QCOMPARE(p.view().windows.back().window(), Window::Help);
    // opened from the keyboard, help takes the keyboard; clicked, it leaves it
    QVERIFY(keyboard(p, Window::Help) && keyboard(p, Window::Game));
    p.press(Window::Game, Control::Author, 1000, Program::By::Mouse);
    QVERIFY(!keyboard(p, Window::Author));

    // "новая": the dialog again, hard with music, the game discarded; help
    // and author stay
    p.press(Window::Game, Control::New, 0);
    QVERIFY(isOpen(p, Window::Dialog) && !isOpen(p, Window::Game) && !p.view().inGame);
    QVERIFY(chosen(p, "lblHard") && chosen(p, "lblMusOn"));
    QVERIFY(isOpen(p, Window::Help) && isOpen(p, Window::Author));
    p.press(Window::Help, Control::Close, 0);
    QVERIFY(!isOpen(p, Window::Help));
    p.press(Window::Dialog, Control::Start, 0);
    QCOMPARE(p.view().find(Window::Game, "lblDiff")->text, u"сложная игра");
    QCOMPARE(launches, 1);
    QCOMPARE(p.state()->moveCount, 0);

    // every "выход" ends the program, help and author open or not
    QVERIFY(p.press(Window::Game, Control::Exit, 0));
    QVERIFY(p.finished() && p.view().finished);
    QVERIFY(p.view().windows.empty());
}

void EngineTest::pressesJustAfterAWindowAppeared()
{
    GameSettings settings;
    Program p(settings, kTestStory);
    p.setDoubleClickInterval(400);
    p.start(1000);
    // the second click of the double click that opened the program's dialog
    QVERIFY(!p.press(Window::Dialog, Control::Start, 1200, Program::By::Mouse));
    QVERIFY(!isOpen(p, Window::Game));
    QVERIFY(p.press(Window::Dialog, Control::Start, 1400, Program::By::Mouse));
    // the game appeared at 1400; its "новая" waits too, the keyboard does not
    QVERIFY(!p.press(Window::Game, Control::New, 1500, Program::By::Mouse));
    QVERIFY(p.press(Window::Game, Control::Help, 1500, Program::By::Keyboard));
    // the front-end saw the window come up later than the press that opened it
    p.shown(Window::Game, 2000);
    QVERIFY(!p.takesPresses(Window::Game, 2399));
    QVERIFY(p.takesPresses(Window::Game, 2400));
}

void EngineTest::placeBesideTheGame()
{
    const Box game{100, 100, 500, 400};
    const Box screen{0, 0, 1600, 900};
    // to the right, at the game's top
    Box at = Program::placeBeside(game, 300, 200, screen, {}, 8);
    QCOMPARE(at.x, 608);
    QCOMPARE(at.y, 100);
    // the second one below the first
    const Box taken[] = {at};
    at = Program::placeBeside(game, 300, 200, screen, taken, 8);
    QCOMPARE(at.x, 608);
    QCOMPARE(at.y, 308);
    // no room on the right: to the left, inside the screen
    at = Program::placeBeside(Box{1200, 100, 390, 400}, 300, 200, screen, {}, 8);
    QCOMPARE(at.x, 892);
}

QTEST_APPLESS_MAIN(EngineTest)

void EngineTest::keptGameComesBack()
{
    // A hard game at the password box, with help open and a guess half typed,
    // and two turns that overflowed the points.
    TestGame hard(false);
    for (const std::u16string_view line : {u"a", u"take", u"rich", u"rich", u"a\\b", u"lock", u"no"})
        hard.program.submit(line);
    hard.program.type(u"p\\w");
    hard.program.select(1, 2);
    hard.program.press(Window::Game, Control::Help, 0);
    // An easy game with a completion selected in the command box.
    TestGame easy(true);
    easy.enter(u"go");
    easy.typeEach(u"ос");
    QVERIFY(easy.view().listIndex >= 0);

    for (TestGame *before : {&hard, &easy}) {
        const std::u16string record = before->program.record();
        QVERIFY(!record.empty());
        QVERIFY(record.size() < 512);
        GameSettings settings;
        Program after(settings, kTestStory);
        QVERIFY(after.resume(record, 5));
        QVERIFY(after.view().inGame);
        QCOMPARE(*after.state(), before->state());
        QCOMPARE(settings.easyMode, before->settings.easyMode);
        QCOMPARE(after.record(), record);
        // every window and widget as they were, in the same order
        const View &was = before->view();
        const View &is = after.view();
        QCOMPARE(is.windows.size(), was.windows.size());
        for (std::size_t i = 0; i < is.windows.size(); ++i) {
            QCOMPARE(is.windows[i].window(), was.windows[i].window());
            for (std::size_t k = 0; k < is.windows[i].widgets.size(); ++k) {
                const WidgetView &a = is.windows[i].widgets[k], &b = was.windows[i].widgets[k];
                QCOMPARE(a.text, b.text);
                QVERIFY(a.start == b.start && a.length == b.length && a.visible == b.visible && a.enabled == b.enabled);
            }
        }
        QCOMPARE(is.listIndex, was.listIndex);
        // and the game goes on as it would have
        after.key(Key::Enter);
        before->program.key(Key::Enter);
        QCOMPARE(after.view().find(Window::Game, "txtGame")->text, before->text("txtGame"));
        QCOMPARE(after.record(), before->program.record());
    }
    QVERIFY(hard.view().passwordShown);

    // Nothing is kept once the game is left: "новая", "выход".
    hard.program.press(Window::Game, Control::New, 0);
    QVERIFY(hard.program.record().empty());
    easy.program.press(Window::Game, Control::Exit, 0);
    QVERIFY(easy.program.record().empty());
}

void EngineTest::keptGameThatDoesNotReplay()
{
    TestGame played(false);
    for (const std::u16string_view line : {u"a", u"take", u"go"})
        played.program.submit(line);
    const std::u16string record = played.program.record();
    const auto replaced = [&](std::u16string_view from, std::u16string_view to) {
        std::u16string r = record;
        const std::size_t at = r.find(from);
        return at == std::u16string::npos ? std::u16string{} : r.replace(at, from.size(), to);
    };
    // A changed line leads elsewhere; a changed digest stands for a story
    // that has changed since; the rest cannot be read.
    const std::u16string broken[] = {
        replaced(u"> take", u"> drop"),
        replaced(u"digest ", u"digest 1"),
        replaced(u"tarnvale 2", u"tarnvale 1"),
        replaced(u"settings 0 1", u"settings 2 1"),
        replaced(u"> go", u"> g\\o"),
        record.substr(0, record.find(u"digest")),
        u"",
        u"garbage",
    };
    for (const std::u16string &r : broken) {
        GameSettings settings;
        Program p(settings, kTestStory);
        p.start(0);
        p.press(Window::Dialog, Control::Easy, 0);
        p.press(Window::Dialog, Control::Start, 0);
        p.press(Window::Game, Control::Help, 0);
        QVERIFY2(!p.resume(r, 0), QString::fromStdU16String(r).toUtf8());
        // a fresh start, nothing of either game half brought back
        QVERIFY(isOpen(p, Window::Dialog));
        QVERIFY(!isOpen(p, Window::Game) && !isOpen(p, Window::Help) && !p.view().inGame);
        QVERIFY(chosen(p, "lblHard"));
        QVERIFY(p.record().empty());
    }
}

void EngineTest::composedWordIsTypedKeyByKey()
{
    // An input method commits "смо" after "о", with the completed tail of
    // "о" selected: the same box as the three letters typed one by one.
    TestGame byKeys(true), composed(true);
    byKeys.typeEach(u"осмо");
    composed.typeEach(u"о");
    const std::u16string before = composed.con();
    QCOMPARE(composed.program.completion(u"осмо"), byKeys.con());
    composed.program.edit(u"осмо" + before.substr(std::size_t(1 + composed.box().length)), 4);
    QCOMPARE(composed.con(), byKeys.con());
    QCOMPARE(composed.box().start, byKeys.box().start);
    QCOMPARE(composed.box().length, byKeys.box().length);
    QCOMPARE(composed.view().listIndex, byKeys.view().listIndex);
    // A hard game and an unknown beginning complete nothing.
    QCOMPARE(composed.program.completion(u"щщ"), u"");
    QCOMPARE(TestGame(false).program.completion(u"осмо"), u"");
}

void EngineTest::everyAnswerCountsWithItsNews()
{
    TestGame t;
    const unsigned start = t.view().turns;
    QVERIFY(t.view().news.empty());
    t.enter(u"take");
    QCOMPARE(t.view().news, u"Теперь у тебя: thing.");
    QCOMPARE(t.view().answer(), std::u16string(story::kWords.defaultReply) + u"\r\nТеперь у тебя: thing."s);
    // The same reply twice is two answers; a turn that changes nothing has no news.
    t.enter(u"nothing known");
    t.enter(u"nothing known");
    QCOMPARE(t.view().turns, start + 3);
    QVERIFY(t.view().news.empty());
    t.enter(u"drop");
    QCOMPARE(t.view().news, u"Больше нет: thing.");
    t.enter(u"pay");
    QCOMPARE(t.view().news, u"-19940 руб. Теперь у тебя: thing.");
    // A password attempt is an answer too; a key that is not Enter is not.
    t.enter(u"lock");
    t.program.type(u"no");
    t.program.key(Key::Escape);
    QCOMPARE(t.view().turns, start + 6);
    t.program.type(u"no");
    t.program.key(Key::Enter);
    QCOMPARE(t.view().turns, start + 7);
    t.newGame();
    QVERIFY(t.view().news.empty());
}

namespace {

// A record changed by hand in `from` with its check made to hold again, as
// anyone who can write the tab's storage can.
std::u16string edited(const std::u16string &record, std::u16string_view from, std::u16string_view to)
{
    std::u16string r = record;
    r.replace(r.find(from), from.size(), to);
    const std::size_t body = r.find(u'\n', r.find(u"check ")) + 1;
    Digest d;
    d.add(std::u16string_view(r).substr(body));
    const std::size_t check = r.find(u"check ") + 6;
    std::u16string hex;
    for (char c : QString::number(d.value(), 16).toStdString())
        hex += char16_t(c);
    return r.replace(check, body - 1 - check, hex);
}

} // namespace

void EngineTest::keptRecordsOfNoGameAreRefused()
{
    TestGame easy(true);
    easy.program.submit(u"take");
    easy.program.type(u"о");
    const std::u16string record = easy.program.record();
    QVERIFY(record.find(u"\nbox 1 2 0 осм\n") != std::u16string::npos);
    // Boxes no game comes to: a selection past any text (and past the sum
    // of two numbers), a phrase selected that the box does not hold, a text
    // that begins a phrase left uncompleted, a line break in the box.
    for (const std::u16string_view box : {u"box 1073741824 1073741824 -1 abc", u"box 0 0 5 xyz", u"box 1 0 -1 ос",
                                         u"box 0 0 -1 a\\nb", u"box 1 0 -1 \U0001F600"}) {
        int launches = 0;
        GameSettings settings;
        Program p(settings, kTestStory, [&launches] { ++launches; });
        p.start(0);
        QVERIFY2(!p.resume(edited(record, u"box 1 2 0 осм", box), 0), QString::fromStdU16String(std::u16string(box)).toUtf8());
        QVERIFY(p.view().find(Window::Dialog) && !p.view().inGame);
        QCOMPARE(launches, 0);   // a failed resume starts no music
    }
    // The record whole comes back; with music, the music comes back with it, once.
    int launches = 0;
    GameSettings settings;
    Program p(settings, kTestStory, [&launches] { ++launches; });
    QVERIFY(p.resume(record, 0));
    QCOMPARE(launches, 0);
    QVERIFY(p.resume(edited(record, u"settings 1 0", u"settings 1 1"), 0));
    QCOMPARE(launches, 1);
    // A choice is written one way only.
    QVERIFY(!p.resume(edited(record, u"settings 1 0", u"settings 1 01"), 0));
    QCOMPARE(launches, 1);
    // Past the limits a record is refused before anything is played.
    std::u16string huge = record;
    huge.append(Program::kMaxRecordUnits, u'x');
    QVERIFY(!p.resume(huge, 0));
    std::u16string many = record;
    for (std::size_t i = 0; i <= Program::kMaxRecordLines; ++i)
        many += u"\n> a";
    QVERIFY(!p.resume(many, 0));
}

void EngineTest::noMemoryLeftChangesNothing()
{
    // Every allocation of a turn, and of a resume, fails in turn: each time
    // the failure reaches the caller and the program is exactly as it was,
    // its record and its view alike; then the turn goes through.
    // Enter on what was typed, or a whole line as the line mode submits it
    // (which must leave the box as it was too).
    for (const auto &[easy, whole] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
        TestGame t(easy);
        t.program.submit(u"take");
        t.program.type(whole ? u"pa" : u"pay");
        int failures = 0;
        for (int n = 0;; ++n) {
            const std::u16string record = t.program.record();
            const Shown shown = t.shown();
            g_allocationsLeft = n;
            bool failed = false;
            try {
                if (whole)
                    t.program.submit(u"pay");
                else
                    t.program.key(Key::Enter);
            } catch (const std::bad_alloc &) {
                failed = true;
            }
            g_allocationsLeft = -1;
            if (!failed)
                break;
            ++failures;
            QCOMPARE(t.program.record(), record);
            QVERIFY2(t.shown() == shown, qPrintable(QString::number(n)));
        }
        QVERIFY2(failures > 1, qPrintable(QString::number(failures)));
        QCOMPARE(t.state().moveCount, std::int16_t(2));
        QCOMPARE(t.text("lblAction"), u"pay"s);

        const std::u16string kept = t.program.record();
        GameSettings settings;
        Program p(settings, kTestStory);
        p.start(0);
        p.press(Window::Dialog, Control::Start, 0);
        p.submit(u"a");
        const std::u16string before = p.record();
        for (int n = 0;; ++n) {
            g_allocationsLeft = n;
            bool failed = false;
            try {
                p.resume(kept, 0);
            } catch (const std::bad_alloc &) {
                failed = true;
            }
            g_allocationsLeft = -1;
            if (!failed)
                break;
            QCOMPARE(p.record(), before);
            QVERIFY(p.view().inGame);
        }
        QCOMPARE(p.record(), kept);
    }
}

void EngineTest::oneLineBoxesHoldNoLineBreak()
{
    TestGame t;
    t.program.type(u"ab\u2028cd");
    QCOMPARE(t.con(), u"ab");
    t.program.key(Key::Escape);
    t.program.type(u"x\u2029");
    t.program.type(u"\ry");
    QCOMPARE(t.con(), u"x");
    // A line submitted whole is the command as given; Up brings back its first line.
    t.program.key(Key::Escape);
    QVERIFY(t.program.submit(u"take\u2028more"));
    QCOMPARE(t.text("lblAction"), u"take\u2028more");
    t.program.key(Key::Up);
    QCOMPARE(t.con(), u"take");
    // A turn that overflows (past the moves' limit) leaves the box its first line.
    for (int i = 0; i < 32767; ++i)
        t.program.key(Key::Enter);
    QVERIFY(t.program.submit(u"take\u2028more"));
    QCOMPARE(t.text("txtGame"), story::kWords.overflow);
    QCOMPARE(t.con(), u"take");
}

void EngineTest::caretNeverSplitsACharacter()
{
    TestGame t;
    // Delete after x takes the accented letter whole.
    t.program.type(u"xa\u0301");
    t.program.key(Key::Home);
    t.program.key(Key::Right);
    t.program.key(Key::Delete);
    QCOMPARE(t.con(), u"x");
    // Typed before a lone mark, the caret goes past it.
    t.program.key(Key::Escape);
    t.program.type(u"\u0301");
    t.program.key(Key::Home);
    t.program.type(u"y");
    QCOMPARE(t.con(), u"y\u0301");
    QCOMPARE(t.caret(), 2);
    // An edit's caret inside a pair stands before it.
    t.program.edit(u"\U0001F600", 1);
    QCOMPARE(t.caret(), 0);
    // Backspace over a selection after a pair drops the pair whole.
    t.program.key(Key::Escape);
    t.program.type(u"\U0001F600ab");
    t.program.select(2, 1);
    t.program.key(Key::Backspace);
    QCOMPARE(t.con(), u"");
}

void EngineTest::pressesOnlyThroughTheirWindow()
{
    TestGame t;
    t.program.press(Window::Game, Control::Help, 0);
    t.enter(u"take");
    // Help has no "начать": the game stays.
    QVERIFY(!t.program.press(Window::Help, Control::Start, 0));
    QVERIFY(!t.program.press(Window::Game, Control::Close, 0));
    QVERIFY(!t.program.press(Window::Game, Control::None, 0));
    QCOMPARE(t.inv(0), u"thing");
    // The game window closed from outside ends the program, help and all.
    t.program.close(Window::Game);
    QVERIFY(t.program.finished());
    QVERIFY(t.view().windows.empty());
}

#include "engine_test.moc"
