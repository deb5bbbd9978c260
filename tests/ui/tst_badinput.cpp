// Rough handling of the real windows: a megabyte pasted into the command box,
// control characters and right-to-left marks, Enter held down, and buttons
// clicked faster than windows can come and go.
#include "uitest.h"

#include "story/story.h"
#include "ui/desktop.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

namespace {

struct Windows {
    Windows() : desktop(settings, tarnvaleStory(), {})
    {
        desktop.start();
        click(desktop.newGameDialog(), "lblStart");
        settle();
    }
    static void click(QWidget *window, const char *name)
    {
        QTest::mouseClick(child<QLabel>(window, name), Qt::LeftButton);
    }
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    QLineEdit *commandBox() const { return child<QLineEdit>(desktop.gameWindow(), "txtCon"); }
    QString label(const char *name) const { return child<QLabel>(desktop.gameWindow(), name)->text(); }
    std::u16string engine(std::string_view name) { return ViewedBox(desktop.program(), name).text(); }

    GameSettings settings;
    Desktop desktop;
};

} // namespace

class BadInputTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        quietAboutRaise();
        clickFasterThanAPerson();
    }
    void megabytePaste();
    void controlCharactersAndDirectionMarks();
    void enterHeldDown();
    void buttonsClickedInQuickSuccession();
};

void BadInputTest::megabytePaste()
{
    Windows p;
    QString big(1 << 20, u'ы');
    big[10] = u'\u202E';
    big[20] = QChar(7);
    QApplication::clipboard()->setText(big);
    pressKey(p.commandBox(), Qt::Key_V, Qt::ControlModifier);
    // The box keeps what the platform's line edit keeps, and the game has
    // exactly that.
    const QString shown = p.commandBox()->text();
    QVERIFY(!shown.isEmpty());
    QVERIFY(big.startsWith(shown));
    QCOMPARE(p.engine("txtCon"), shown);
    pressKey(p.commandBox(), Qt::Key_Return);
    QCOMPARE(p.label("lblSteps"), u"1 ходов"_s);
    QCOMPARE(p.engine("lblAction"), shown);
    QCOMPARE(p.engine("txtGame"), u"Это выражение не подходит."_s);
    QCOMPARE(p.commandBox()->text(), QString());
}

void BadInputTest::controlCharactersAndDirectionMarks()
{
    // Pasted, so that they reach the box whole; the game takes exactly what
    // the box shows, and a mark or a control character makes a phrase no
    // longer match.
    Windows p;
    int moves = 0;
    for (const QString &odd : {u"\u200Fосмотреться"_s, u"осмотреться\u202C"_s, u"осм\u0007"_s,
                               u"\u0000"_s, u"\uFEFFосм"_s, u"\t"_s}) {
        QApplication::clipboard()->setText(odd);
        pressKey(p.commandBox(), Qt::Key_V, Qt::ControlModifier);
        const QString shown = p.commandBox()->text();
        QCOMPARE(p.engine("txtCon"), shown);
        pressKey(p.commandBox(), Qt::Key_Return);
        QCOMPARE(p.label("lblSteps"), u"%1 ходов"_s.arg(++moves));
        QCOMPARE(p.engine("lblAction"), shown);
        if (shown != u"осмотреться"_s && shown != u"осм"_s)
            QCOMPARE(p.engine("txtGame"), u"Это выражение не подходит."_s);
    }
    typeText(p.commandBox(), u"осмотреться"_s);
    pressKey(p.commandBox(), Qt::Key_Return);
    QVERIFY(p.engine("txtGame").starts_with(u"Ты стоишь на улице."));
}

void BadInputTest::enterHeldDown()
{
    Windows p;
    typeText(p.commandBox(), u"осм урну"_s);
    for (int i = 0; i < 500; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), i > 0);
        QApplication::sendEvent(p.commandBox(), &repeat);
    }
    QCOMPARE(p.label("lblSteps"), u"500 ходов"_s);
    QCOMPARE(p.label("lblPoints"), u"100 очков"_s);
    QCOMPARE(p.engine("lblAction"), QString());
}

void BadInputTest::buttonsClickedInQuickSuccession()
{
    Windows p;
    for (int round = 0; round < 20; ++round) {
        // "новая" twice before the game window has gone...
        frmTargame *game = p.desktop.gameWindow();
        QVERIFY(game);
        Windows::click(game, "lblNew");
        Windows::click(game, "lblNew");
        // ...then "начать" twice before the dialog has gone.
        frmNew *dialog = p.desktop.newGameDialog();
        QVERIFY(dialog);
        Windows::click(dialog, "lblStart");
        Windows::click(dialog, "lblStart");
        Windows::settle();
        int games = 0, dialogs = 0;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            games += qobject_cast<frmTargame *>(w) != nullptr;
            dialogs += qobject_cast<frmNew *>(w) != nullptr;
        }
        QCOMPARE(games, 1);
        QCOMPARE(dialogs, 0);
        QCOMPARE(p.label("lblSteps"), u"0 ходов"_s);
    }
}

QTEST_MAIN(BadInputTest)
#include "tst_badinput.moc"
