// The engine on its own: counters, labels, the console keys, the completion,
// the order in which rules run and the all-or-nothing turn. A small story made
// up for the purpose stands in for the real one.
#include "engine/dictionary.h"
#include "engine/game.h"

#include <QTest>

using namespace tarnvale;
using namespace Qt::Literals::StringLiterals;

namespace {

const RuleTable kFirstLocation = {
    {"set a flag", {u"a"}, [](Game &g) { g.reply(u"first"); g.set(Flag::hasBrick); }},
    {"sees the earlier rule", {u"a", u"b"}, [](Game &g) {
         if (g.is(Flag::hasBrick))
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
    {"everywhere", {u"x", u"go"}, [](Game &g) { g.set(Flag::fileRead); }},
};

void runLocation(Game &game, qint16 location, QStringView command)
{
    if (location == 0)
        runRules(kFirstLocation, game, command);
    else if (location == 1)
        runRules(kSecondLocation, game, command);
}

void checkPassword(Game &game, const QString &attempt)
{
    if (attempt == u"pw"_s) {
        game.reply(u"welcome");
        game.showCommandBox();
    } else {
        game.reply(u"wrong");
    }
}

const Story kTestStory{runLocation, &kEverywhere, checkPassword};

struct TestGame {
    explicit TestGame(bool easy = false)
        : settings{easy ? kTrue : kFalse, kFalse}, game(settings, kTestStory) {}
    GameSettings settings;
    Game game;
};

void enter(Game &g, const QString &command)
{
    g.typeCon(command);
    g.pressConKey(kKeyEnter);
}

void typeEach(Game &g, const QString &text)
{
    for (QChar c : text)
        g.typeCon(QStringView(&c, 1));
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
    void completionWhileTyping();
    void completionWithBackspace();
    void completionAfterUpAndEsc();
    void musicOncePerStart();
};

void EngineTest::newGameShowsTheStart()
{
    for (bool easy : {false, true}) {
        TestGame t(easy);
        const GameWindow &w = t.game.window();
        QCOMPARE(w.lblMoney, u"60 руб."_s);
        QCOMPARE(w.lblPoints, u"0 очков"_s);
        QCOMPARE(w.lblSteps, u"0 ходов"_s);
        QCOMPARE(w.lblAction, QString());
        QCOMPARE(w.lblDiff, easy ? u"простая игра"_s : u"сложная игра"_s);
        QCOMPARE(w.lstItems.size(), easy ? 223 : 0);
        for (const QString &slot : w.lblInv)
            QVERIFY(slot.isEmpty());
        QVERIFY(w.txtCon.visible && w.txtCon.enabled);
        QVERIFY(!w.txtPwd.visible);
        QCOMPARE(w.txtGame, Game::kOpeningText);
        QVERIFY(w.txtGame.endsWith(u"урна.\r\n"_s));
        QCOMPARE(t.game.state().money, qint16(60));
        QCOMPARE(t.game.state().location, qint16(0));
    }
}

void EngineTest::labelsHaveNoAgreement()
{
    TestGame t;
    t.game.PointsCounter(1);
    QCOMPARE(t.game.window().lblPoints, u"1 очков"_s);
    for (int i = 0; i < 7; ++i)
        t.game.MoneyCounter(-10);
    QCOMPARE(t.game.window().lblMoney, u"-10 руб."_s);
    for (int i = 0; i < 21; ++i)
        enter(t.game, u"?"_s);
    QCOMPARE(t.game.window().lblSteps, u"21 ходов"_s);
}

void EngineTest::newGameResetsAUsedGame()
{
    TestGame fresh;
    TestGame used;
    for (const QString &c : {u"a"_s, u"take"_s, u"rich"_s, u"pay"_s, u"go"_s, u"x"_s})
        enter(used.game, c);
    used.game.typeCon(u"half-typed"_s);
    QVERIFY(used.game.state() != fresh.game.state());

    // The load alone resets the record, the counters and their labels...
    used.game.Form_Load();
    QCOMPARE(used.game.state(), fresh.game.state());
    QCOMPARE(used.game.window().lblMoney, u"60 руб."_s);
    QCOMPARE(used.game.window().lblAction, QString());
    for (const QString &slot : used.game.window().lblInv)
        QVERIFY(slot.isEmpty());

    // ...and a new game is the first game again, window and all.
    enter(used.game, u"lose"_s);
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
    h.game.PointsCounter(qint16(award));
    e.game.PointsCounter(qint16(award));
    QCOMPARE(int(h.game.state().points), hard);
    QCOMPARE(int(e.game.state().points), easy);
    QCOMPARE(e.game.window().lblPoints, QString::number(easy) + u" очков"_s);
    // Money is never scaled.
    e.game.MoneyCounter(qint16(award));
    QCOMPARE(int(e.game.state().money), 60 + award);
}

void EngineTest::inventorySlots()
{
    TestGame t;
    Game &g = t.game;
    for (int i = 0; i < kInventorySlots; ++i)
        g.putItem(u"item %1"_s.arg(i));
    const GameWindow full = g.window();
    g.putItem(u"one too many");
    QCOMPARE(g.window(), full);

    g.removeItem(u"item 3");
    g.removeItem(u"item 7");
    g.removeItem(u"nothing of the kind");
    g.putItem(u"twin");
    g.putItem(u"twin");
    QCOMPARE(g.window().lblInv[3], u"twin"_s);
    QCOMPARE(g.window().lblInv[7], u"twin"_s);
    QVERIFY(g.holdsItem(u"twin"));
    QVERIFY(!g.holdsItem(u"twi"));

    g.removeItem(u"twin");
    QCOMPARE(g.window().lblInv[3], QString());
    QCOMPARE(g.window().lblInv[7], u"twin"_s);
    g.renameItem(u"twin", u"renamed");
    QCOMPARE(g.window().lblInv[7], u"renamed"_s);
}

void EngineTest::rulesRunInOrderAndIndependently()
{
    TestGame t;
    // "a" fires both rules; the second sees the flag the first set and its
    // reply replaces the first one.
    enter(t.game, u"a"_s);
    QCOMPARE(t.game.window().txtGame, u"second"_s);
    QVERIFY(t.game.is(Flag::hasBrick));

    TestGame u;
    enter(u.game, u"b"_s); // the second rule alone, its guard not met
    QCOMPARE(u.game.window().txtGame, Game::kDefaultReply);

    enter(u.game, u"A"_s); // exact comparison: case matters
    QCOMPARE(u.game.window().txtGame, Game::kDefaultReply);
    enter(u.game, u"a "_s); // and so do blanks
    QCOMPARE(u.game.window().txtGame, Game::kDefaultReply);
}

void EngineTest::aMoveTakesEffectNextTurn()
{
    TestGame t;
    enter(t.game, u"go"_s);
    // The first location's reply stands, the everywhere rule still ran.
    QCOMPARE(t.game.window().txtGame, u"moved"_s);
    QCOMPARE(t.game.location(), qint16(1));
    QVERIFY(t.game.is(Flag::fileRead));
    enter(t.game, u"a"_s);
    QCOMPARE(t.game.window().txtGame, u"second location"_s);
}

void EngineTest::everyEnterIsAMove()
{
    TestGame t;
    Game &g = t.game;
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.window().txtGame, Game::kDefaultReply);
    QCOMPARE(g.window().lblSteps, u"1 ходов"_s);
    QCOMPARE(g.window().lblAction, QString());
    enter(g, u"no such thing"_s);
    QCOMPARE(g.state().moveCount, qint16(2));
    QCOMPARE(g.window().lblAction, u"no such thing"_s);
    QCOMPARE(g.window().txtCon.text(), QString());
}

void EngineTest::escAndUp()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"take"_s);
    g.typeCon(u"something"_s);
    g.pressConKey(kKeyEscape);
    QCOMPARE(g.window().txtCon.text(), QString());
    g.pressConKey(kKeyUp);
    QCOMPARE(g.window().txtCon.text(), u"take"_s);
    QCOMPARE(g.window().txtCon.selStart(), 0); // a change by the program
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state().moveCount, qint16(2));
    QCOMPARE(g.window().lblInv[1], u"thing"_s);
}

void EngineTest::backspaceAndDeleteWithSelections()
{
    TestGame t;
    Game &g = t.game;
    const auto select = [&g](const QString &text, int start, int length) {
        g.editCon(text, start);
        g.selectCon(start, length);
    };

    // Six letters, the third and fourth selected: only the first one stays.
    select(u"abcdef"_s, 2, 2);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"a"_s);

    // A selection from position 0: Backspace does nothing at all...
    select(u"abcdef"_s, 0, 3);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"abcdef"_s);
    // ...while Delete deletes it.
    g.pressConKey(kKeyDelete);
    QCOMPARE(g.window().txtCon.text(), u"def"_s);

    // A selection after position 0: Delete does nothing.
    select(u"abcdef"_s, 2, 2);
    g.pressConKey(kKeyDelete);
    QCOMPARE(g.window().txtCon.text(), u"abcdef"_s);

    // Nothing selected: the ordinary editing.
    select(u"abcdef"_s, 3, 0);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"abdef"_s);
    QCOMPARE(g.window().txtCon.selStart(), 2);
    g.pressConKey(kKeyDelete);
    QCOMPARE(g.window().txtCon.text(), u"abef"_s);
    select(u"ab"_s, 0, 0);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(g.window().txtCon.text(), u"ab"_s);
}

void EngineTest::gameOverKeepsEverythingButTheBox()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"take"_s);
    enter(g, u"rich"_s);
    const GameState before = g.state();
    enter(g, u"lose"_s);
    QCOMPARE(g.window().txtGame,
             u"the scene\r\n\r\nХа! Ты завершил игру раньше времени.\r\nИгра Окончена."_s);
    QVERIFY(!g.window().txtCon.enabled);
    QCOMPARE(g.state().moveCount, qint16(before.moveCount + 1));
    QCOMPARE(g.state().points, before.points);
    QCOMPARE(g.window().lblInv[0], u"thing"_s);
    QCOMPARE(g.window().lblAction, u"lose"_s);
    QCOMPARE(g.window().txtCon.text(), QString());

    // No key reaches a disabled box, and nothing can be submitted.
    const GameWindow over = g.window();
    g.typeCon(u"a"_s);
    g.pressConKey(kKeyEnter);
    QVERIFY(!g.submit(u"a"_s));
    QCOMPARE(g.window(), over);

    g.newGame();
    QVERIFY(g.window().txtCon.enabled);
}

void EngineTest::overflowUndoesTheWholeTurn()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"rich"_s);
    QCOMPARE(g.state().points, qint16(20000));
    g.typeCon(u"rich"_s);
    GameState state = g.state();
    GameWindow window = g.window();
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state(), state);
    QCOMPARE(g.window().txtGame, Game::kOverflowNotice);
    window.txtGame = Game::kOverflowNotice;
    QCOMPARE(g.window(), window); // labels, box and last command as before

    // A payment that overflows takes nothing and hands over nothing.
    g.pressConKey(kKeyEscape);
    enter(g, u"pay"_s);
    QCOMPARE(g.state().money, qint16(-19940));
    g.typeCon(u"pay"_s);
    state = g.state();
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state(), state);
    QCOMPARE(g.window().lblInv[1], QString());
    QCOMPARE(g.window().lblMoney, u"-19940 руб."_s);
    QCOMPARE(g.window().txtCon.text(), u"pay"_s);

    // The game goes on.
    g.pressConKey(kKeyEscape);
    enter(g, u"take"_s);
    QCOMPARE(g.window().lblInv[1], u"thing"_s);
}

void EngineTest::movesCounterStopsAtItsLimit()
{
    TestGame t;
    Game &g = t.game;
    for (int i = 0; i < 32767; ++i)
        g.pressConKey(kKeyEnter);
    QCOMPARE(g.window().lblSteps, u"32767 ходов"_s);
    g.typeCon(u"take"_s);
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.state().moveCount, qint16(32767));
    QCOMPARE(g.window().txtGame, Game::kOverflowNotice);
    QCOMPARE(g.window().lblInv[0], QString());
    QCOMPARE(g.window().txtCon.text(), u"take"_s);
}

void EngineTest::passwordBox()
{
    TestGame t;
    Game &g = t.game;
    enter(g, u"lock"_s);
    QVERIFY(g.window().txtPwd.visible);
    QVERIFY(!g.window().txtCon.visible);
    QCOMPARE(g.state().moveCount, qint16(1));

    // Up before any attempt brings back the command that locked the box.
    g.pressPwdKey(kKeyUp);
    QCOMPARE(g.window().txtPwd.text(), u"lock"_s);
    g.pressPwdKey(kKeyEscape);
    QCOMPARE(g.window().txtPwd.text(), QString());

    // Commands cannot reach the hidden command box.
    g.typeCon(u"take"_s);
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.window().lblInv[0], QString());

    g.typePwd(u"PW"_s);
    g.pressPwdKey(kKeyEnter);
    QCOMPARE(g.window().txtGame, u"wrong"_s);
    QCOMPARE(g.window().lblAction, u"PW"_s);
    QCOMPARE(g.window().txtPwd.text(), QString());
    QCOMPARE(g.state().moveCount, qint16(1)); // an attempt is not a move
    g.pressPwdKey(kKeyUp);
    QCOMPARE(g.window().txtPwd.text(), u"PW"_s);
    g.pressPwdKey(kKeyEscape);

    g.pressPwdKey(kKeyEnter); // an empty attempt
    QCOMPARE(g.window().lblAction, QString());
    QCOMPARE(g.window().txtGame, u"wrong"_s);

    QVERIFY(g.submit(u"pw"_s));
    QCOMPARE(g.window().txtGame, u"welcome"_s);
    QVERIFY(g.window().txtCon.visible);
    QVERIFY(!g.window().txtPwd.visible);
    QCOMPARE(g.window().lblSteps, u"1 ходов"_s);
    // The command box's Up recalls the attempt, which is the last text.
    g.pressConKey(kKeyUp);
    QCOMPARE(g.window().txtCon.text(), u"pw"_s);
}

void EngineTest::dictionaryOrder()
{
    QCOMPARE(kDictionary.size(), std::size_t(223));
    QCOMPARE(kDictionary.front(), u"осм");
    QCOMPARE(kDictionary.back(), u"пересыпать дешёвые сигареты");
    for (std::size_t i = 0; i < kDictionary.size(); ++i) {
        QVERIFY(kDictionary[i].size() >= 3 && kDictionary[i].size() <= 27);
        for (std::size_t j = 0; j < kDictionary.size(); ++j) {
            if (i == j)
                continue;
            QVERIFY2(kDictionary[i].compare(kDictionary[j], Qt::CaseInsensitive) != 0,
                     qPrintable(kDictionary[i].toString()));
            // When one phrase begins another, the shorter stands first.
            if (kDictionary[j].startsWith(kDictionary[i], Qt::CaseInsensitive))
                QVERIFY2(i < j, qPrintable(kDictionary[i].toString()));
        }
    }
}

void EngineTest::completionWhileTyping()
{
    TestGame t(true);
    Game &g = t.game;
    const TextBox &box = g.window().txtCon;

    g.typeCon(u"о");
    QCOMPARE(box.text(), u"осм"_s);
    QCOMPARE(box.selStart(), 1);
    QCOMPARE(box.selLength(), 2);
    QCOMPARE(g.window().lstItemsIndex, 0);

    g.pressConKey(kKeyEscape);
    g.typeCon(u"О"); // a capital letter takes the dictionary's case
    QCOMPARE(box.text(), u"осм"_s);
    QCOMPARE(box.selStart(), 1);

    // Typing replaces the selected tail; "осм" typed out stays "осм".
    typeEach(g, u"см"_s);
    QCOMPARE(box.text(), u"осм"_s);
    QCOMPARE(box.selLength(), 0);

    // The first phrase in list order wins.
    g.pressConKey(kKeyEscape);
    typeEach(g, u"вз"_s);
    QCOMPARE(box.text(), u"взять ключ"_s);
    g.pressConKey(kKeyEscape);
    g.typeCon(u"п");
    QCOMPARE(box.text(), u"переулок"_s);

    // Text that begins no phrase stays as typed.
    g.pressConKey(kKeyEscape);
    typeEach(g, u"xyz"_s);
    QCOMPARE(box.text(), u"xyz"_s);
    QCOMPARE(g.window().lstItemsIndex, -1);

    // Ё and ё are the same letter to the search.
    g.pressConKey(kKeyEscape);
    typeEach(g, u"переложить деШЁ"_s);
    QCOMPARE(box.text(), u"переложить дешёвые сигареты"_s);

    // Enter submits the whole completed phrase.
    g.pressConKey(kKeyEscape);
    typeEach(g, u"изуч у"_s);
    QCOMPARE(box.text(), u"изуч урну"_s);
    g.pressConKey(kKeyEnter);
    QCOMPARE(g.window().lblAction, u"изуч урну"_s);
    QCOMPARE(box.text(), QString());
}

void EngineTest::completionWithBackspace()
{
    TestGame t(true);
    Game &g = t.game;
    const TextBox &box = g.window().txtCon;

    g.typeCon(u"о");
    g.pressConKey(kKeyBackspace);
    QCOMPARE(box.text(), QString());

    typeEach(g, u"осм у"_s);
    QCOMPARE(box.text(), u"осм урну"_s);
    QCOMPARE(box.selStart(), 5);
    QCOMPARE(box.selLength(), 3);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(box.text(), u"осм ключ"_s);
    QCOMPARE(box.selStart(), 0);
    QCOMPARE(box.selLength(), 8);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(box.text(), u"осм ключ"_s);
    // Delete takes a selection that starts at 0.
    g.pressConKey(kKeyDelete);
    QCOMPARE(box.text(), QString());

    // A whole phrase: Backspace seems to select its last letter.
    typeEach(g, u"осмотреть урну"_s);
    QCOMPARE(box.selLength(), 0);
    g.pressConKey(kKeyBackspace);
    QCOMPARE(box.text(), u"осмотреть урну"_s);
    QCOMPARE(box.selStart(), 13);
    QCOMPARE(box.selLength(), 1);
    // Delete cannot remove a completed tail.
    g.pressConKey(kKeyDelete);
    QCOMPARE(box.text(), u"осмотреть урну"_s);
}

void EngineTest::completionAfterUpAndEsc()
{
    TestGame t(true);
    Game &g = t.game;
    const TextBox &box = g.window().txtCon;

    // A dictionary phrase comes back wholly selected.
    g.submit(u"осм урну"_s);
    g.pressConKey(kKeyUp);
    QCOMPARE(box.text(), u"осм урну"_s);
    QCOMPARE(box.selStart(), 0);
    QCOMPARE(box.selLength(), 8);

    // A beginning of a phrase is completed to the first such phrase.
    g.pressConKey(kKeyEscape);
    QCOMPARE(box.text(), QString());
    g.submit(u"осм у"_s);
    g.pressConKey(kKeyUp);
    QCOMPARE(box.text(), u"осм урну"_s);
    QCOMPARE(box.selLength(), 8);

    // Anything else stays as recalled, the caret at 0.
    g.pressConKey(kKeyEscape);
    g.submit(u"где я?"_s);
    g.pressConKey(kKeyUp);
    QCOMPARE(box.text(), u"где я?"_s);
    QCOMPARE(box.selStart(), 0);
    QCOMPARE(box.selLength(), 0);
}

void EngineTest::musicOncePerStart()
{
    GameSettings settings{kFalse, kTrue};
    int launches = 0;
    Game g(settings, kTestStory, [&launches] { ++launches; });
    QCOMPARE(launches, 1);
    enter(g, u"a"_s);
    QCOMPARE(launches, 1);
    g.newGame();
    QCOMPARE(launches, 2);
    settings.musicOn = kFalse;
    g.newGame();
    QCOMPARE(launches, 2);
}

QTEST_APPLESS_MAIN(EngineTest)
#include "engine_test.moc"
