// Long sessions: a thousand games started from the new-game dialog, the help
// and author windows opened and closed a thousand times, one game of 40,000
// commands run past the moves counter's limit, and heavy input into the
// command box. Nothing may crash, memory must stay flat once the program has
// warmed up, and every game must start like the first.
#include "story/dictionary.h"
#include "story/story.h"
#include "qtcompare.h"
#include "support.h"
#include "ui/desktop.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"

#include <QApplication>
#include <QStyleHints>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>

#include <limits>

using namespace tarnvale;
using namespace Qt::Literals::StringLiterals;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Resident memory of this process, in kilobytes.
long residentKb()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// How much memory a long session may gain after its warm-up.
constexpr long kAllowedGrowthKb = 4 * 1024;

void checkGrowth(long warmKb, const char *what)
{
    const long nowKb = residentKb();
    qInfo("%s: %ld kB resident after warm-up, %ld kB at the end", what, warmKb, nowKb);
    // The address sanitizer holds freed memory back on purpose, so resident
    // memory says nothing there; its leak check covers that build instead.
    if (kAddressSanitizer || warmKb < 0)
        return;
    QVERIFY2(nowKb - warmKb <= kAllowedGrowthKb,
             qPrintable(u"grew by %1 kB"_s.arg(nowKb - warmKb)));
}

// The commands of the hard walkthrough, from its transcript.
QStringList walkthrough()
{
    QFile file(QStringLiteral(TARNVALE_TRANSCRIPTS) + u"/walkthrough_hard.txt"_s);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList commands;
    for (QString line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u"> "_s))
            commands << line.mid(2);
    }
    return commands;
}

// Every phrase the story accepts anywhere, and lines it accepts nowhere.
QStringList everyPhrase()
{
    QStringList out;
    for (const RuleTable *table :
         {&story::streetRules(), &story::shopRules(), &story::alleyRules(), &story::cornerRules(),
          &story::roomRules(), &story::computerRules(), &story::everywhereRules()}) {
        for (const Rule &rule : *table)
            for (QStringView p : rule.phrases)
                out << p.toString();
    }
    out << QString() << u"Осмотреться"_s << u"осмотреться "_s << u"\u202eосмотреться"_s
        << u"осм\u200fурну"_s << u"\t\r\n\u0000\u0007"_s << u"\xd800"_s << u"x"_s.repeated(5000);
    return out;
}

// --- the windows ----------------------------------------------------------------

void click(QWidget *window, const char *name)
{
    QVERIFY2(window, name);
    auto *label = window->findChild<QLabel *>(QString::fromLatin1(name));
    QVERIFY2(label, name);
    QTest::mouseClick(label, Qt::LeftButton);
}

// Typed as a keyboard types: one key press per character, carrying it.
void typeLine(QWidget *box, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &release);
    }
    QTest::keyClick(box, Qt::Key_Return);
}

// Closed windows are destroyed later, by the event loop; and shown windows
// are painted by it.
void letTheEventLoopRun()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// What a game window shows: every label, the boxes and the output.
QStringList shown(const QWidget *window)
{
    QStringList out;
    for (const QLabel *label : window->findChildren<QLabel *>())
        out << label->objectName() + u'=' + label->text();
    for (const QLineEdit *box : window->findChildren<QLineEdit *>())
        out << box->objectName() + u'=' + box->text() + (box->isVisibleTo(window) ? u" shown"_s : u" hidden"_s)
                + (box->isEnabled() ? u" enabled"_s : u" disabled"_s);
    for (const QTextEdit *text : window->findChildren<QTextEdit *>())
        out << text->objectName() + u'=' + text->toPlainText();
    out.sort();
    return out;
}

QtMessageHandler defaultMessages = nullptr;

// The offscreen platform cannot bring a window to the front and says so
// every time a window is brought up again.
void quietAboutRaise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message != u"This plugin does not support raise()"_s)
        defaultMessages(type, context, message);
}

struct Windows {
    Windows() : desktop(settings, tarnvaleStory(), [this] { ++musicLaunches; }) { desktop.start(); }
    GameSettings settings;
    int musicLaunches = 0;
    ui::Desktop desktop;
};

} // namespace

class SoakTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void thousandGamesThroughTheDialog();
    void helpAndAuthorAThousandTimes();
    void fortyThousandCommandsInOneGame();
    void heavyInputInTheCommandBox();
};

void SoakTest::initTestCase()
{
    defaultMessages = qInstallMessageHandler(quietAboutRaise);
    // Clicks come faster than a person's: the windows' guard against the
    // second press of a double click (Form::takesPresses) is left out.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
}

// "начать", a few commands, "новая", a thousand times, every other game an
// easy one: each game shows at its start exactly what the first game of its
// difficulty showed, and the dialog and the game window never pile up.
void SoakTest::thousandGamesThroughTheDialog()
{
    Windows program;
    ui::Desktop &desktop = program.desktop;
    letTheEventLoopRun();
    const qsizetype windowsAtStart = QApplication::topLevelWidgets().size();
    constexpr int kGames = 1000;
    constexpr int kWarmUp = 100;
    QStringList firstStart[2];
    long warmKb = -1;
    for (int round = 0; round < kGames; ++round) {
        const bool easy = round % 2;
        if (easy)
            click(desktop.newGameDialog(), "lblEasy");
        click(desktop.newGameDialog(), "lblStart");
        letTheEventLoopRun();
        QVERIFY(!desktop.newGameDialog());
        ui::frmTargame *window = desktop.gameWindow();
        QVERIFY(window);
        QCOMPARE(window->program().settings().easyMode, easy ? kTrue : kFalse);

        const QStringList start = shown(window);
        if (firstStart[easy].isEmpty())
            firstStart[easy] = start;
        else
            QCOMPARE(start, firstStart[easy]);
        test::StoryGame fresh(easy);
        QVERIFY(test::shownGame(window->program()) == test::shownGame(*fresh.program));
        QCOMPARE(*window->program().state(), fresh.state());

        auto *box = window->findChild<QLineEdit *>(u"txtCon"_s);
        QVERIFY(box);
        typeLine(box, u"осмотреть урну"_s);
        typeLine(box, u"в магазин"_s);
        typeLine(box, u"купить сигареты"_s);
        QCOMPARE(window->findChild<QLabel *>(u"lblMoney"_s)->text(), u"50 руб."_s);
        QCOMPARE(window->program().state()->moveCount, std::int16_t(3));
        letTheEventLoopRun();

        click(window, "lblNew");
        letTheEventLoopRun();
        QVERIFY(!desktop.gameWindow());
        QVERIFY(desktop.newGameDialog());
        if (round == kWarmUp)
            warmKb = residentKb();
    }
    QCOMPARE(program.musicLaunches, kGames);   // the dialog wants music by default
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsAtStart);
    checkGrowth(warmKb, "1,000 games");
}

// "помощь" and "автор" opened beside a game and closed with "закрыть", a
// thousand times each; the game goes on unharmed.
void SoakTest::helpAndAuthorAThousandTimes()
{
    Windows program;
    ui::Desktop &desktop = program.desktop;
    click(desktop.newGameDialog(), "lblStart");
    letTheEventLoopRun();
    ui::frmTargame *window = desktop.gameWindow();
    QVERIFY(window);
    const qsizetype windowsAtStart = QApplication::topLevelWidgets().size();
    constexpr int kRounds = 1000;
    constexpr int kWarmUp = 100;
    long warmKb = -1;
    for (int round = 0; round < kRounds; ++round) {
        click(window, "lblHelp");
        click(window, "lblAuthor");
        letTheEventLoopRun();
        QVERIFY(desktop.helpWindow());
        QVERIFY(desktop.authorWindow());
        click(desktop.helpWindow(), "lblExit");
        click(desktop.authorWindow(), "lblExit");
        letTheEventLoopRun();
        QVERIFY(!desktop.helpWindow());
        QVERIFY(!desktop.authorWindow());
        if (round == kWarmUp)
            warmKb = residentKb();
    }
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsAtStart);
    QCOMPARE(desktop.gameWindow(), window);
    typeLine(window->findChild<QLineEdit *>(u"txtCon"_s), u"осмотреть урну"_s);
    QVERIFY(window->program().state()->flags[story::Flag::urnSearched] != kFalse);
    checkGrowth(warmKb, "1,000 help and author windows");
}

// The walkthrough, then every phrase of every place over and over, 40,000
// lines in all: the moves stop at 32767, and from there every turn is undone
// and says so, leaving the game exactly as it was.
void SoakTest::fortyThousandCommandsInOneGame()
{
    const QStringList story = walkthrough();
    QVERIFY2(story.size() > 20, "the walkthrough transcript is missing");
    const QStringList phrases = everyPhrase();

    test::StoryGame g;
    constexpr int kCommands = 40000;
    constexpr int kWarmUp = 2000;
    constexpr std::int16_t kMaxMoves = std::numeric_limits<std::int16_t>::max();
    long warmKb = -1;
    int undone = 0;
    for (int i = 0; i < kCommands; ++i) {
        const QString &line = i < story.size() ? story.at(i) : phrases.at((i - story.size()) % phrases.size());
        const GameState before = g.state();
        const bool toPassword = g.box("txtPwd").visible;
        QVERIFY(g.program->submit(u16View(line)));

        const GameState &after = g.state();
        if (toPassword) {
            QCOMPARE(after.moveCount, before.moveCount);
        } else if (before.moveCount < kMaxMoves) {
            QCOMPARE(after.moveCount, std::int16_t(before.moveCount + 1));
            QCOMPARE(g.text("lblAction"), line);
        } else {
            // The move past the limit: nothing of the game changes.
            QCOMPARE(after, before);
            QCOMPARE(g.text("txtGame"), story::kWords.overflow);
            QCOMPARE(g.text("lblSteps"), u"32767 ходов"_s);
            ++undone;
        }
        QVERIFY(g.box().visible != g.box("txtPwd").visible);
        QVERIFY(g.box().enabled);
        QVERIFY(!g.text("txtGame").empty());
        if (i == story.size() - 1)
            QVERIFY2(g.is(story::Flag::fileRead), "the walkthrough did not reach the file");
        if (i == kWarmUp)
            warmKb = residentKb();
    }
    // Every line from the 32768th turn on was refused, bar the password
    // attempts, which are no turns.
    QVERIFY(undone > kCommands - kMaxMoves - 100);
    QCOMPARE(g.state().moveCount, kMaxMoves);
    checkGrowth(warmKb, "40,000 commands");

    // A new game in the same window starts like any other.
    g.newGame();
    test::StoryGame fresh;
    QVERIFY(test::shownGame(*g.program) == test::shownGame(*fresh.program));
    QCOMPARE(g.state(), fresh.state());
}

// A megabyte pasted, control characters, right-to-left marks and lone
// surrogates typed, Enter held down: in an easy game, so that the completion
// runs on every change.
void SoakTest::heavyInputInTheCommandBox()
{
    test::StoryGame g(true);

    const QString megabyte = u"осмотреть урну "_s.repeated(1024 * 1024 / 15 / 2 + 1);
    QVERIFY(megabyte.size() * 2 > 1024 * 1024);
    g.program->paste(u16View(megabyte));
    QCOMPARE(g.text("txtCon"), megabyte);   // begins no phrase: left as pasted
    QCOMPARE(g.program->view().listIndex, -1);
    g.program->key(Key::Enter);
    QCOMPARE(g.text("txtGame"), story::kWords.defaultReply);
    QCOMPARE(g.text("lblAction"), megabyte);
    QCOMPARE(g.state().moveCount, std::int16_t(1));
    QVERIFY(g.text("txtCon").empty());
    g.program->key(Key::Up);
    QCOMPARE(g.text("txtCon"), megabyte);
    g.program->key(Key::Delete);                      // caret at 0, nothing selected
    QCOMPARE(g.text("txtCon"), megabyte.mid(1));
    g.program->key(Key::Escape);
    QVERIFY(g.text("txtCon").empty());

    // Marks and controls begin no phrase; typed one at a time they stay as
    // typed (all but the line break, which the one-line box never holds), and
    // the whole line is no command.
    const QString odd = u"\u200f\u202eосм\u0000\u0007\t\xdc00урну"_s;
    for (QChar c : odd + u"\u2028"_s)
        g.program->type(u16View(QStringView(&c, 1)));
    QCOMPARE(g.text("txtCon"), odd);
    g.program->key(Key::Enter);
    QCOMPARE(g.text("txtGame"), story::kWords.defaultReply);
    QCOMPARE(g.text("lblAction"), odd);

    // The same phrase with a mark inside is not the phrase; without it, it is.
    QVERIFY(g.program->submit(u"осм\u200b урну"));
    QCOMPARE(g.text("txtGame"), story::kWords.defaultReply);
    QVERIFY(!g.is(story::Flag::urnSearched));
    QVERIFY(g.program->submit(u"осм урну"));
    QVERIFY(g.is(story::Flag::urnSearched));

    // Enter held down on an empty box: every press is a move and nothing else.
    const std::int16_t moves = g.state().moveCount;
    const std::vector<std::u16string> inventoryBefore = g.inventory();
    const std::u16string pointsBefore = g.text("lblPoints");
    for (int i = 0; i < 5000; ++i)
        g.program->key(Key::Enter);
    QCOMPARE(g.state().moveCount, std::int16_t(moves + 5000));
    QCOMPARE(g.text("txtGame"), story::kWords.defaultReply);
    QVERIFY(g.text("lblAction").empty());
    QVERIFY(g.inventory() == inventoryBefore);
    QCOMPARE(g.text("lblPoints"), pointsBefore);
}

QTEST_MAIN(SoakTest)
#include "soak_test.moc"
