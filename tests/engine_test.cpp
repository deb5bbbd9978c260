// The engine on its own: counters, labels, the console keys,
// the order in which rules run and the all-or-nothing turn. A small story made
// up for the purpose stands in for the real one.
#include "engine/completion.h"
#include "engine/game.h"
#include "engine/program.h"
#include "story/dictionary.h"
#include "story/story.h"

#include "qtcompare.h"

#include <algorithm>
#include <iterator>

using namespace tarnvale;
using namespace std::string_literals;

namespace {

// The made-up story's two flags.
enum : FlagIndex { kLit, kRang };

const RuleTable kFirstLocation = {
    {"set a flag", {u"a"}, [](Game &g) { g.reply(u"first"); g.set(kLit); }},
    {"sees the earlier rule", {u"a", u"b"}, [](Game &g) {
         if (g.is(kLit))
             g.reply(u"second");
     }},
    {"move on", {u"go"}, [](Game &g) { g.moveTo(1); g.reply(u"moved"); }},
    {"award", {u"rich"}, [](Game &g) { g.addPoints(20000); }},
    {"pay", {u"pay"}, [](Game &g) { g.putItem(u"thing"); g.reply(u"paid"); g.addMoney(-20000); }},
    {"take", {u"take"}, [](Game &g) { g.putItem(u"thing"); }},
    {"drop", {u"drop"}, [](Game &g) { g.removeItem(u"thing"); }},
    {"lose", {u"lose"}, [](Game &g) { g.reply(u"the scene"); g.GameOver(); }},
    {"lock", {u"lock"}, [](Game &g) { g.showPasswordBox(); g.reply(u"password?"); }},
};
const RuleTable kSecondLocation = {
    {"answer here", {u"a", u"go"}, [](Game &g) { g.reply(u"second location"); }},
};
const RuleTable kEverywhere = {
    {"everywhere", {u"x", u"go"}, [](Game &g) { g.set(kRang); }},
};

const RuleTable &firstLocation() { return kFirstLocation; }
const RuleTable &secondLocation() { return kSecondLocation; }
const LocationScript kLocations[] = {{firstLocation}, {secondLocation}};

void checkPassword(Game &game, std::u16string_view attempt)
{
    if (attempt == u"pw") {
        game.reply(u"welcome");
        game.showCommandBox();
    } else {
        game.reply(u"wrong");
    }
}

// The real story's words and dictionary: the machine says what it always says.
const Story kTestStory{kLocations, &kEverywhere, checkPassword, tarnvaleStory().captions, story::kWords,
                       story::kDictionary};

struct TestGame {
    explicit TestGame(bool easy = false)
        : settings{easy ? kTrue : kFalse, kFalse}, game(settings, kTestStory) {}
    GameSettings settings;
    Game game;
};

void enter(Game &g, std::u16string_view command)
{
    g.typeCon(command);
    g.pressConKey(kKeyEnter);
}

void typeEach(Game &g, std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        g.typeCon(text.substr(i, 1));
}

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
};

void EngineTest::newGameShowsTheStart()
{
    for (bool easy : {false, true}) {
        TestGame t(easy);
        const GameWindow &w = t.game.window();
        QCOMPARE(w.lblMoney, u"60 руб."s);
        QCOMPARE(w.lblPoints, u"0 очков"s);
        QCOMPARE(w.lblSteps, u"0 ходов"s);
        QCOMPARE(w.lblAction, std::u16string());
        QCOMPARE(w.lblDiff, easy ? u"простая игра"s : u"сложная игра"s);
        QCOMPARE(w.lstItems.size(), easy ? 223 : 0);
        for (const std::u16string &slot : w.lblInv)
            QVERIFY(slot.empty());
        QVERIFY(w.txtCon.visible && w.txtCon.enabled);
        QVERIFY(!w.txtPwd.visible);
        QCOMPARE(w.txtGame, kTestStory.captions.txtGame);
        QVERIFY(w.txtGame.ends_with(u"урна.\r\n"s));
        QCOMPARE(t.game.state().money, std::int16_t(60));
        QCOMPARE(t.game.state().location, std::int16_t(0));
    }
}

void EngineTest::labelsHaveNoAgreement()
{
    TestGame t;
    t.game.PointsCounter(1);
    QCOMPARE(t.game.window().lblPoints, u"1 очков"s);
    for (int i = 0; i < 7; ++i)
        t.game.MoneyCounter(-10);
    QCOMPARE(t.game.window().lblMoney, u"-10 руб."s);
    for (int i = 0; i < 21; ++i)
        enter(t.game, u"?"s);
    QCOMPARE(t.game.window().lblSteps, u"21 ходов"s);
}

void EngineTest::newGameResetsAUsedGame()
{
    TestGame fresh;
    TestGame used;
    for (std::u16string_view c : {u"a"s, u"take"s, u"rich"s, u"pay"s, u"go"s, u"x"s})
        enter(used.game, c);
    used.game.typeCon(u"half-typed"s);
    QVERIFY(used.game.state() != fresh.game.state());

    // The load alone resets the record, the counters and their labels...
    used.game.Form_Load();
    QCOMPARE(used.game.state(), fresh.game.state());
    QCOMPARE(used.game.window().lblMoney, u"60 руб."s);
    QCOMPARE(used.game.window().lblAction, std::u16string());
    for (const std::u16string &slot : used.game.window().lblInv)
        QVERIFY(slot.empty());

    // ...and a new game is the first game again, window and all.
    enter(used.game, u"lose"s);
    used.game.newGame();
    QCOMPARE(used.game.state(), fresh.game.state());
    QCOMPARE(used.game.window(), fresh.game.window());
    QVERIFY(used.game.window().txtCon.enabled);
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
    h.game.PointsCounter(std::int16_t(award));
    e.game.PointsCounter(std::int16_t(award));
    QCOMPARE(int(h.game.state().points), hard);
    QCOMPARE(int(e.game.state().points), easy);
    QCOMPARE(e.game.window().lblPoints, QString::number(easy).append(QStringView(u" очков")));
    // Money is never scaled.
    e.game.MoneyCounter(std::int16_t(award));
    QCOMPARE(int(e.game.state().money), 60 + award);
}

void EngineTest::inventorySlots()
{
    TestGame t;
    Game &g = t.game;
    for (int i = 0; i < kInventorySlots; ++i)
        g.putItem(u"item "s + char16_t(u'0' + i));
    const GameWindow full = g.window();
    g.putItem(u"one too many");
    QCOMPARE(g.window(), full);

    g.removeItem(u"item 3");
    g.removeItem(u"item 7");
    g.removeItem(u"nothing of the kind");
    g.putItem(u"twin");
    g.putItem(u"twin");
    QCOMPARE(g.window().lblInv[3], u"twin"s);
    QCOMPARE(g.window().lblInv[7], u"twin"s);
    QVERIFY(g.holdsItem(u"twin"));
    QVERIFY(!g.holdsItem(u"twi"));

    g.removeItem(u"twin");
    QCOMPARE(g.window().lblInv[3], std::u16string());
    QCOMPARE(g.window().lblInv[7], u"twin"s);
    g.renameItem(u"twin", u"renamed");
    QCOMPARE(g.window().lblInv[7], u"renamed"s);
}

void EngineTest::rulesRunInOrderAndIndependently()
{
    TestGame t;
    // "a" fires both rules; the second sees the flag the first set and its
    // reply replaces the first one.
    enter(t.game, u"a"s);
    QCOMPARE(t.game.window().txtGame, u"second"s);
    QVERIFY(t.game.is(kLit));

    TestGame u;
    enter(u.game, u"b"s); // the second rule alone, its guard not met
    QCOMPARE(u.game.window().txtGame, story::kWords.defaultReply);

    enter(u.game, u"A"s); // exact comparison: case matters
    QCOMPARE(u.game.window().txtGame, story::kWords.defaultReply);
    enter(u.game, u"a "s); // and so do blanks
    QCOMPARE(u.game.window().txtGame, story::kWords.defaultReply);
}

void EngineTest::aMoveTakesEffectNextTurn()
{
    TestGame t;
    enter(t.game, u"go"s);
    // The first location's reply stands, the everywhere rule still ran.
    QCOMPARE(t.game.window().txtGame, u"moved"s);
    QCOMPARE(t.game.location(), std::int16_t(1));
    QVERIFY(t.game.is(kRang));
    enter(t.game, u"a"s);
    QCOMPARE(t.game.window().txtGame, u"second location"s);
}

void EngineTest::everyEnterIsAMove()
{
    TestGame t;
    Game &g = t.game;
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.window().txtGame, story::kWords.defaultReply);
    QCOMPARE(g.window().lblSteps, u"1 ходов"s);
    QCOMPARE(g.window().lblAction, std::u16string());
    enter(g, u"no such thing"s);
    QCOMPARE(g.state().moveCount, std::int16_t(2));
    QCOMPARE(g.window().lblAction, u"no such thing"s);
    QCOMPARE(g.window().txtCon.text(), std::u16string());
}

void EngineTest::escAndUp()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"take"s);
    g.typeCon(u"something"s);
    g.pressConKey(kKeyEscape);
    QCOMPARE(g.window().txtCon.text(), std::u16string());
    g.pressConKey(kKeyUp);
    QCOMPARE(g.window().txtCon.text(), u"take"s);
    QCOMPARE(g.window().txtCon.selStart(), 0); // a change by the program
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state().moveCount, std::int16_t(2));
    QCOMPARE(g.window().lblInv[1], u"thing"s);
}

void EngineTest::backspaceAndDeleteWithSelections()
{
    TestGame t;
    Game &g = t.game;
    const auto select = [&g](std::u16string_view text, int start, int length) {
        g.editCon(text, start);
        g.selectCon(start, length);
    };

    // Six letters, the third and fourth selected: only the first one stays.
    select(u"abcdef"s, 2, 2);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"a"s);

    // A selection from position 0: Backspace does nothing at all...
    select(u"abcdef"s, 0, 3);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"abcdef"s);
    // ...while Delete deletes it.
    g.pressConKey(kKeyDelete);
    QCOMPARE(g.window().txtCon.text(), u"def"s);

    // A selection after position 0: Delete does nothing.
    select(u"abcdef"s, 2, 2);
    g.pressConKey(kKeyDelete);
    QCOMPARE(g.window().txtCon.text(), u"abcdef"s);

    // Nothing selected: the ordinary editing.
    select(u"abcdef"s, 3, 0);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"abdef"s);
    QCOMPARE(g.window().txtCon.selStart(), 2);
    g.pressConKey(kKeyDelete);
    QCOMPARE(g.window().txtCon.text(), u"abef"s);
    select(u"ab"s, 0, 0);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"ab"s);
}

void EngineTest::gameOverKeepsEverythingButTheBox()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"take"s);
    enter(g, u"rich"s);
    const GameState before = g.state();
    enter(g, u"lose"s);
    QCOMPARE(g.window().txtGame,
             u"the scene\r\n\r\nХа! Ты завершил игру раньше времени.\r\nИгра Окончена."s);
    QVERIFY(!g.window().txtCon.enabled);
    QCOMPARE(g.state().moveCount, std::int16_t(before.moveCount + 1));
    QCOMPARE(g.state().points, before.points);
    QCOMPARE(g.window().lblInv[0], u"thing"s);
    QCOMPARE(g.window().lblAction, u"lose"s);
    QCOMPARE(g.window().txtCon.text(), std::u16string());

    // No key reaches a disabled box, and nothing can be submitted.
    const GameWindow over = g.window();
    g.typeCon(u"a"s);
    g.pressConKey(kKeyEnter);
    QVERIFY(!g.submit(u"a"s));
    QCOMPARE(g.window(), over);

    g.newGame();
    QVERIFY(g.window().txtCon.enabled);
}

void EngineTest::overflowUndoesTheWholeTurn()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"rich"s);
    QCOMPARE(g.state().points, std::int16_t(20000));
    g.typeCon(u"rich"s);
    GameState state = g.state();
    GameWindow window = g.window();
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state(), state);
    QCOMPARE(g.window().txtGame, story::kWords.overflow);
    window.txtGame = story::kWords.overflow;
    QCOMPARE(g.window(), window); // labels, box and last command as before

    // A payment that overflows takes nothing and hands over nothing.
    g.pressConKey(kKeyEscape);
    enter(g, u"pay"s);
    QCOMPARE(g.state().money, std::int16_t(-19940));
    g.typeCon(u"pay"s);
    state = g.state();
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state(), state);
    QCOMPARE(g.window().lblInv[1], std::u16string());
    QCOMPARE(g.window().lblMoney, u"-19940 руб."s);
    QCOMPARE(g.window().txtCon.text(), u"pay"s);

    // The game goes on.
    g.pressConKey(kKeyEscape);
    enter(g, u"take"s);
    QCOMPARE(g.window().lblInv[1], u"thing"s);
}

void EngineTest::movesCounterStopsAtItsLimit()
{
    TestGame t;
    Game &g = t.game;
    for (int i = 0; i < 32767; ++i)
        g.pressConKey(kKeyEnter);
    QCOMPARE(g.window().lblSteps, u"32767 ходов"s);
    g.typeCon(u"take"s);
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state().moveCount, std::int16_t(32767));
    QCOMPARE(g.window().txtGame, story::kWords.overflow);
    QCOMPARE(g.window().lblInv[0], std::u16string());
    QCOMPARE(g.window().txtCon.text(), u"take"s);
}

void EngineTest::passwordBox()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"lock"s);
    QVERIFY(g.window().txtPwd.visible);
    QVERIFY(!g.window().txtCon.visible);
    QCOMPARE(g.state().moveCount, std::int16_t(1));

    // Up before any attempt brings back the command that locked the box.
    g.pressPwdKey(kKeyUp);
    QCOMPARE(g.window().txtPwd.text(), u"lock"s);
    g.pressPwdKey(kKeyEscape);
    QCOMPARE(g.window().txtPwd.text(), std::u16string());

    // Commands cannot reach the hidden command box.
    g.typeCon(u"take"s);
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.window().lblInv[0], std::u16string());

    g.typePwd(u"PW"s);
    g.pressPwdKey(kKeyEnter);
    QCOMPARE(g.window().txtGame, u"wrong"s);
    QCOMPARE(g.window().lblAction, u"PW"s);
    QCOMPARE(g.window().txtPwd.text(), std::u16string());
    QCOMPARE(g.state().moveCount, std::int16_t(1)); // an attempt is not a move
    g.pressPwdKey(kKeyUp);
    QCOMPARE(g.window().txtPwd.text(), u"PW"s);
    g.pressPwdKey(kKeyEscape);

    g.pressPwdKey(kKeyEnter); // an empty attempt
    QCOMPARE(g.window().lblAction, std::u16string());
    QCOMPARE(g.window().txtGame, u"wrong"s);

    QVERIFY(g.submit(u"pw"s));
    QCOMPARE(g.window().txtGame, u"welcome"s);
    QVERIFY(g.window().txtCon.visible);
    QVERIFY(!g.window().txtPwd.visible);
    QCOMPARE(g.window().lblSteps, u"1 ходов"s);
    // The command box's Up recalls the attempt, which is the last text.
    g.pressConKey(kKeyUp);
    QCOMPARE(g.window().txtCon.text(), u"pw"s);
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
    typeEach(t.game, u"ЗВОНИТЬ Е");
    QCOMPARE(t.game.window().txtCon.text(), u"звонить Евграфу"s);
    QCOMPARE(t.game.window().txtCon.selStart(), 9);
    t.game.pressConKey(kKeyEscape);
    typeEach(t.game, u"\u1C80");   // looks like в, matches nothing
    QCOMPARE(t.game.window().txtCon.text(), u"\u1C80"s);
}

void EngineTest::submitLeavesNoPhraseSelected()
{
    // The box holds a completed phrase, selected in the dictionary; a line
    // submitted as it is (an empty one too, which changes nothing the
    // completion would see) leaves no phrase selected with the box empty.
    for (const std::u16string &line : {u""s, u"где я?"s, u"осм урну"s}) {
        TestGame t(true);
        Game &g = t.game;
        g.typeCon(u"о");
        QCOMPARE(g.window().lstItemsIndex, 0);
        QVERIFY(g.submit(line));
        QCOMPARE(g.window().lblAction, line);
        QCOMPARE(g.window().txtCon.text(), std::u16string());
        QCOMPARE(g.window().lstItemsIndex, -1);
    }
}

void EngineTest::musicOncePerStart()
{
    GameSettings settings{kFalse, kTrue};
    int launches = 0;
    Game g(settings, kTestStory, [&launches] { ++launches; });
    QCOMPARE(launches, 1);
    enter(g, u"a"s);
    QCOMPARE(launches, 1);
    g.newGame();
    QCOMPARE(launches, 2);
    settings.musicOn = kFalse;
    g.newGame();
    QCOMPARE(launches, 2);
}

void EngineTest::inputGoesToTheVisibleBox()
{
    TestGame t;
    Game &g = t.game;
    g.type(u"lock");
    g.key(Key::Enter);
    QVERIFY(g.passwordShown());
    g.type(u"pw");
    QCOMPARE(g.window().txtPwd.text(), u"pw");
    QCOMPARE(g.window().txtCon.text(), u"");
    g.key(Key::Enter);
    QVERIFY(!g.passwordShown());
    QCOMPARE(g.window().txtGame, u"welcome");
    // a finished game takes nothing
    g.type(u"lose");
    g.key(Key::Enter);
    g.type(u"x");
    g.paste(u"y");
    g.key(Key::Up);
    QCOMPARE(g.window().txtCon.text(), u"");
}

void EngineTest::pasteKeepsTheFirstLine()
{
    for (const std::u16string_view pasted : {u"go\rx", u"go\nx", u"go\vx", u"go\fx", u"go\u0085x", u"go\u2028x", u"go\u2029x"}) {
        TestGame t;
        t.game.paste(pasted);
        QCOMPARE(t.game.window().txtCon.text(), u"go");
        QCOMPARE(t.game.state().moveCount, 0);   // a paste never submits
    }
    // An edit a widget made with a pasted line break in it keeps the text before the break.
    TestGame t;
    t.game.type(u"ab");
    t.game.edit(u"ab12\n34", 7);
    QCOMPARE(t.game.window().txtCon.text(), u"ab12");
    QCOMPARE(t.game.window().txtCon.selStart(), 4);
    t.game.edit(u"x\ny", 3);
    QCOMPARE(t.game.window().txtCon.text(), u"x");
    QCOMPARE(t.game.window().txtCon.selStart(), 1);
}

void EngineTest::caretStopsBetweenCharacters()
{
    // и + combining breve, an emoji (a surrogate pair), е + combining acute
    TestGame t;
    const std::u16string text = u"и\u0306\U0001F600е\u0301";
    t.game.type(text);
    const auto caret = [&] { return t.game.window().txtCon.selStart(); };
    QCOMPARE(caret(), 6);
    const int stops[] = {4, 2, 0, 0};
    for (const int stop : stops) {
        t.game.key(Key::Left);
        QCOMPARE(caret(), stop);
    }
    t.game.key(Key::Right);
    QCOMPARE(caret(), 2);
    t.game.key(Key::End);
    QCOMPARE(caret(), 6);
    t.game.key(Key::Home);
    QCOMPARE(caret(), 0);
    // a selection asked for inside a pair or before a mark takes the whole character
    t.game.select(3, 2);
    QCOMPARE(t.game.window().txtCon.selStart(), 2);
    QCOMPARE(t.game.window().txtCon.selLength(), 4);
    t.game.select(1, 0);
    QCOMPARE(caret(), 0);
    t.game.key(Key::Backspace);   // at 0: nothing
    QCOMPARE(t.game.window().txtCon.text(), text);
}

void EngineTest::programFlow()
{
    GameSettings settings;
    int launches = 0;
    Program p(settings, kTestStory, [&launches] { ++launches; });
    QVERIFY(!p.isOpen(Window::Dialog) && !p.game());
    p.start(0);
    QVERIFY(p.isOpen(Window::Dialog));
    QVERIFY(p.chosen(Control::Hard) && p.chosen(Control::MusicOn));
    QVERIFY(p.press(Window::Dialog, Control::Easy, 0));
    QVERIFY(p.press(Window::Dialog, Control::MusicOff, 0));
    QVERIFY(p.chosen(Control::Easy) && !p.chosen(Control::Hard) && p.chosen(Control::MusicOff));
    QVERIFY(p.press(Window::Dialog, Control::Note, 0));   // the note does nothing
    QVERIFY(p.chosen(Control::Easy));
    QVERIFY(p.press(Window::Dialog, Control::Start, 0));
    QVERIFY(!p.isOpen(Window::Dialog) && p.isOpen(Window::Game));
    QCOMPARE(p.game()->window().lblDiff, u"простая игра");
    QCOMPARE(launches, 0);
    // a window that is not open takes no press
    QVERIFY(!p.press(Window::Dialog, Control::Start, 0));

    p.press(Window::Game, Control::Help, 0);
    p.press(Window::Game, Control::Author, 0);
    const unsigned helpRaises = p.raises(Window::Help);
    p.press(Window::Game, Control::Help, 0);   // only brought up again
    QCOMPARE(p.raises(Window::Help), helpRaises + 1);
    QVERIFY(p.isOpen(Window::Help) && p.isOpen(Window::Author));
    // opened from the keyboard, help takes the keyboard; clicked, it leaves it
    QVERIFY(p.keyboardGoesTo(Window::Help) && p.keyboardGoesTo(Window::Game));
    p.press(Window::Game, Control::Author, 1000, Program::By::Mouse);
    QVERIFY(!p.keyboardGoesTo(Window::Author));

    // "новая": the dialog again, hard with music, the game discarded; help
    // and author stay
    p.press(Window::Game, Control::New, 0);
    QVERIFY(p.isOpen(Window::Dialog) && !p.isOpen(Window::Game) && !p.game());
    QVERIFY(p.chosen(Control::Hard) && p.chosen(Control::MusicOn));
    QVERIFY(p.isOpen(Window::Help) && p.isOpen(Window::Author));
    p.press(Window::Help, Control::Close, 0);
    QVERIFY(!p.isOpen(Window::Help));
    p.press(Window::Dialog, Control::Start, 0);
    QCOMPARE(p.game()->window().lblDiff, u"сложная игра");
    QCOMPARE(launches, 1);
    QCOMPARE(p.game()->state().moveCount, 0);

    // every "выход" ends the program, help and author open or not
    QVERIFY(p.press(Window::Author, Control::Exit, 0) || p.press(Window::Game, Control::Exit, 0));
    QVERIFY(p.finished());
    for (const Window w : {Window::Dialog, Window::Game, Window::Help, Window::Author})
        QVERIFY(!p.isOpen(w));
}

void EngineTest::pressesJustAfterAWindowAppeared()
{
    GameSettings settings;
    Program p(settings, kTestStory);
    p.setDoubleClickInterval(400);
    p.start(1000);
    // the second click of the double click that opened the program's dialog
    QVERIFY(!p.press(Window::Dialog, Control::Start, 1200, Program::By::Mouse));
    QVERIFY(!p.isOpen(Window::Game));
    QVERIFY(p.press(Window::Dialog, Control::Start, 1400, Program::By::Mouse));
    // the game appeared at 1400; its "новая" waits too, the keyboard does not
    QVERIFY(!p.press(Window::Game, Control::New, 1500, Program::By::Mouse));
    QVERIFY(p.press(Window::Game, Control::Help, 1500, Program::By::Keyboard));
    // the front-end saw the window come up later than the press that opened it
    p.appeared(Window::Game, 2000);
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

namespace {

// A program whose game was started with the given settings, from the keyboard.
struct Played {
    explicit Played(bool easy)
    {
        program.start(0);
        program.press(Window::Dialog, easy ? Control::Easy : Control::Hard, 0);
        program.press(Window::Dialog, Control::Start, 0);
    }
    GameSettings settings;
    Program program{settings, kTestStory};
    Game &game() { return *program.game(); }
};

} // namespace

void EngineTest::keptGameComesBack()
{
    // A hard game at the password box, with help open and a guess half typed,
    // and two turns that overflowed the points.
    Played hard(false);
    for (const std::u16string_view line : {u"a", u"take", u"rich", u"rich", u"a\\b", u"lock", u"no"})
        hard.game().submit(line);
    hard.game().type(u"p\\w");
    hard.game().select(1, 2);
    hard.program.press(Window::Game, Control::Help, 0);
    // An easy game with a completion selected in the command box.
    Played easy(true);
    enter(easy.game(), u"go");
    typeEach(easy.game(), u"ос");
    QVERIFY(easy.game().window().lstItemsIndex >= 0);

    for (Played *before : {&hard, &easy}) {
        const std::u16string record = before->program.record();
        QVERIFY(!record.empty());
        QVERIFY(record.size() < 512);
        GameSettings settings;
        Program after(settings, kTestStory);
        QVERIFY(after.resume(record, 5));
        QVERIFY(after.game() != nullptr);
        QVERIFY(after.game()->window() == before->game().window());
        QVERIFY(after.game()->state() == before->game().state());
        QCOMPARE(after.game()->submitted(), before->game().submitted());
        QCOMPARE(settings.easyMode, before->settings.easyMode);
        for (const Window w : {Window::Dialog, Window::Game, Window::Help, Window::Author})
            QCOMPARE(after.isOpen(w), before->program.isOpen(w));
        // and the game goes on as it would have
        after.game()->key(Key::Enter);
        before->game().key(Key::Enter);
        QVERIFY(after.game()->window() == before->game().window());
    }
    QVERIFY(hard.game().passwordShown());

    // Nothing is kept once the game is left: "новая", "выход".
    hard.program.press(Window::Game, Control::New, 0);
    QVERIFY(hard.program.record().empty());
    easy.program.press(Window::Game, Control::Exit, 0);
    QVERIFY(easy.program.record().empty());
}

void EngineTest::keptGameThatDoesNotReplay()
{
    Played played(false);
    for (const std::u16string_view line : {u"a", u"take", u"go"})
        played.game().submit(line);
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
        replaced(u"tarnvale 1", u"tarnvale 2"),
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
        QVERIFY(p.isOpen(Window::Dialog));
        QVERIFY(!p.isOpen(Window::Game) && !p.isOpen(Window::Help) && !p.game());
        QVERIFY(p.chosen(Control::Hard));
        QVERIFY(p.record().empty());
    }
}

void EngineTest::composedWordIsTypedKeyByKey()
{
    // An input method commits "смо" after "о", with the completed tail of
    // "о" selected: the same box as the three letters typed one by one.
    TestGame byKeys(true), composed(true);
    typeEach(byKeys.game, u"осмо");
    typeEach(composed.game, u"о");
    const std::u16string_view before = composed.game.window().txtCon.text();
    QCOMPARE(composed.game.completion(u"осмо"), byKeys.game.window().txtCon.text());
    composed.game.edit(u"осмо" + std::u16string(before.substr(1 + composed.game.window().txtCon.selLength())), 4);
    QVERIFY(composed.game.window().txtCon == byKeys.game.window().txtCon);
    QCOMPARE(composed.game.window().lstItemsIndex, byKeys.game.window().lstItemsIndex);
    // A hard game and an unknown beginning complete nothing.
    QCOMPARE(composed.game.completion(u"щщ"), u"");
    QCOMPARE(TestGame(false).game.completion(u"осмо"), u"");
}

void EngineTest::everyAnswerCountsWithItsNews()
{
    TestGame t;
    Game &g = t.game;
    const unsigned start = g.turns();
    QVERIFY(g.news().empty());
    enter(g, u"take");
    QCOMPARE(g.news(), u"Теперь у тебя: thing.");
    // The same reply twice is two answers; a turn that changes nothing has no news.
    enter(g, u"nothing known");
    enter(g, u"nothing known");
    QCOMPARE(g.turns(), start + 3);
    QVERIFY(g.news().empty());
    enter(g, u"drop");
    QCOMPARE(g.news(), u"Больше нет: thing.");
    enter(g, u"pay");
    QCOMPARE(g.news(), u"-19940 руб. Теперь у тебя: thing.");
    // A password attempt is an answer too; a key that is not Enter is not.
    enter(g, u"lock");
    g.typePwd(u"no");
    g.pressPwdKey(kKeyEscape);
    QCOMPARE(g.turns(), start + 6);
    g.typePwd(u"no");
    g.pressPwdKey(kKeyEnter);
    QCOMPARE(g.turns(), start + 7);
    g.newGame();
    QVERIFY(g.news().empty());
}

#include "engine_test.moc"
