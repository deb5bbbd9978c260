// A player's way through the windows, with the timing of a person: the
// windows keep the platform's double-click interval. Double clicks and quick
// second clicks, where the help and author windows open and who has the
// keyboard, and how the game looks when it is over. Run on a wide offscreen
// screen (wide-screen.json), where the game leaves room on both sides.
#include "uitest.h"

#include "story/story.h"
#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"
#include "ui/look.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

namespace {

int doubleClickInterval()
{
    return QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

// Waits as long as a person does before clicking into a window that has
// just appeared.
void lookAtTheNewWindow()
{
    QTest::qWait(doubleClickInterval() + 50);
}

QLabel *button(QWidget *window, const char *name)
{
    return window ? child<QLabel>(window, name) : nullptr;
}

// The second click of a double click as the platform delivers it: a
// double-click event and the release after it.
void secondClickOfADoubleClick(QWidget *widget)
{
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

// The first click of a double click: a press and a release.
void firstClick(QWidget *widget)
{
    QTest::mousePress(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

// Typed into whatever window has the keyboard, as a keyboard does.
void typeIntoTheActiveWindow(const QString &latinText)
{
    for (const QChar ch : latinText) {
        QWindow *window = QGuiApplication::focusWindow();
        QVERIFY(window);
        QTest::keyClick(window, ch.toLatin1());
    }
}

struct Windows {
    Windows() : desktop(settings, tarnvaleStory(), {}) { desktop.start(); }

    GameSettings settings;
    Desktop desktop;
};

// Starts a game from the dialog as a person does, and returns its window.
frmTargame *openTheGame(Windows &program)
{
    lookAtTheNewWindow();
    firstClick(button(program.desktop.newGameDialog(), "lblStart"));
    return program.desktop.gameWindow();
}

// The X server's own pointer and keyboard (XTest), as a person's hand
// moves them: the window manager and the platform see them as such.
void xdotool(const QStringList &args)
{
    QCOMPARE(QProcess::execute(u"xdotool"_s, args), 0);
}

QStringList at(QWidget *widget, QPoint offset = {})
{
    const QPoint p = widget->mapToGlobal(widget->rect().center() + offset);
    return {u"mousemove"_s, QString::number(p.x()), QString::number(p.y())};
}

bool activeAndShown(QWidget *window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace

class PlayerFlowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void aDoubleClickNeverPressesTheWindowItOpened();
    void aQuickSecondClickIsIgnoredAndALaterOneCounts();
    void helpAndAuthorLeaveTheKeyboardWithTheGame();
    void clicksAndDragsOnHelpAndAuthorLeaveTheKeyboard();
    void helpAndAuthorOpenBesideTheGame();
    void placeBesideKeepsClearOfTheGame_data();
    void placeBesideKeepsClearOfTheGame();
    void aLostGameShowsItsClosingLines();
    void wholeFlow();
};

void PlayerFlowTest::initTestCase()
{
    quietAboutRaise();
    // the platform's own interval, as a player meets it
    QVERIFY(doubleClickInterval() > 0);
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1600, 900));
}

void PlayerFlowTest::aDoubleClickNeverPressesTheWindowItOpened()
{
    Windows program;
    lookAtTheNewWindow();

    // dialog → game: "начать" double-clicked; the second click lands on the
    // game's "новая"
    firstClick(button(program.desktop.newGameDialog(), "lblStart"));
    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(game);
    secondClickOfADoubleClick(button(game, "lblNew"));
    QCOMPARE(program.desktop.gameWindow(), game);
    QVERIFY(!program.desktop.newGameDialog());

    // game → help and author
    lookAtTheNewWindow();
    firstClick(button(game, "lblHelp"));
    QPointer<frmHelp> help = program.desktop.helpWindow();
    QVERIFY(help);
    secondClickOfADoubleClick(button(help, "lblExit"));
    QVERIFY(program.desktop.helpWindow());
    firstClick(button(game, "lblAuthor"));
    QVERIFY(program.desktop.authorWindow());
    secondClickOfADoubleClick(button(program.desktop.authorWindow(), "lblExit"));
    QVERIFY(program.desktop.authorWindow());

    // game → dialog: "новая" double-clicked; the dialog's "выход" is under
    // the pointer, and the program goes on
    firstClick(button(game, "lblNew"));
    frmNew *dialog = program.desktop.newGameDialog();
    QVERIFY(dialog);
    secondClickOfADoubleClick(button(dialog, "lblExit"));
    QCOMPARE(program.desktop.newGameDialog(), dialog);
    QVERIFY(!dialog->isHidden());
    secondClickOfADoubleClick(button(dialog, "lblEasy"));
    QCOMPARE(program.settings.easyMode, kFalse);

    // a double click within one window still counts as a click there
    lookAtTheNewWindow();
    firstClick(button(dialog, "lblEasy"));
    secondClickOfADoubleClick(button(dialog, "lblEasy"));
    QCOMPARE(program.settings.easyMode, kTrue);
}

void PlayerFlowTest::aQuickSecondClickIsIgnoredAndALaterOneCounts()
{
    Windows program;
    frmTargame *game = openTheGame(program);
    lookAtTheNewWindow();
    firstClick(button(game, "lblNew"));
    frmNew *dialog = program.desktop.newGameDialog();
    QVERIFY(dialog);

    // a second click too soon for the player to have seen the dialog
    QTest::mouseClick(button(dialog, "lblExit"), Qt::LeftButton);
    QVERIFY(!dialog->isHidden());

    // once the dialog has been on screen for the interval, "выход" ends the
    // program
    lookAtTheNewWindow();
    QPointer<frmNew> watched = dialog;
    QLabel *exit = button(dialog, "lblExit");
    QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!watched || watched->isHidden());
}

void PlayerFlowTest::helpAndAuthorLeaveTheKeyboardWithTheGame()
{
    if (QGuiApplication::platformName() == u"offscreen"_s)
        QSKIP("the offscreen platform makes every window it shows the active one; ui.playerflow.x11 runs this");
    Windows program;
    frmTargame *game = openTheGame(program);
    QVERIFY(activeAndShown(game));
    auto *command = child<QLineEdit>(game, "txtCon");
    QCOMPARE(QApplication::focusWidget(), command);

    lookAtTheNewWindow();
    firstClick(button(game, "lblHelp"));
    firstClick(button(game, "lblAuthor"));
    QVERIFY(program.desktop.helpWindow() && program.desktop.authorWindow());
    QVERIFY(QTest::qWaitForWindowExposed(program.desktop.authorWindow()));
    QCOMPARE(QApplication::activeWindow(), game);
    // the next letters and a Space go on into the command box; "закрыть"
    // is not pressed
    typeIntoTheActiveWindow(u"abc d"_s);
    QCOMPARE(command->text(), u"abc d"_s);
    QVERIFY(program.desktop.helpWindow());
    QVERIFY(program.desktop.authorWindow());
    QCOMPARE(QApplication::activeWindow(), game);

    // closed with the mouse, they leave the keyboard where it is
    lookAtTheNewWindow();
    QTest::mouseClick(button(program.desktop.helpWindow(), "lblExit"), Qt::LeftButton);
    QVERIFY(!program.desktop.helpWindow());
    typeIntoTheActiveWindow(u"e"_s);
    QCOMPARE(command->text(), u"abc de"_s);

    // opened from the keyboard, the author window takes the keyboard (a
    // screen reader reads it), and closed from it, gives it back to the game
    program.desktop.showAuthor();
    frmAuthor *author = program.desktop.authorWindow();
    QTRY_COMPARE(QApplication::activeWindow(), author);
    QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Space);
    QVERIFY(!program.desktop.authorWindow());
    QTRY_COMPARE(QApplication::activeWindow(), game);
    typeIntoTheActiveWindow(u"f"_s);
    QCOMPARE(command->text(), u"abc def"_s);

    // a click on the output box, even after Tab took the keyboard there,
    // leaves it with the command box
    auto *output = child<QTextEdit>(game, "txtGame");
    QTest::mouseClick(output->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
    QCOMPARE(QApplication::focusWidget(), command);
    output->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), output);
    QTest::mouseClick(output->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 10));
    QCOMPARE(QApplication::focusWidget(), command);
    typeIntoTheActiveWindow(u"g"_s);
    QCOMPARE(command->text(), u"abc defg"_s);
}

void PlayerFlowTest::clicksAndDragsOnHelpAndAuthorLeaveTheKeyboard()
{
    if (QGuiApplication::platformName() != u"xcb"_s)
        QSKIP("real clicks need an X display; ui.playerflow.x11 and ui.playerflow.x11.wm run this");
    if (QStandardPaths::findExecutable(u"xdotool"_s).isEmpty())
        QSKIP("xdotool is not installed (scripts/install-deps --test)");
    Windows program;
    frmTargame *game = openTheGame(program);
    QVERIFY(activeAndShown(game));
    auto *command = child<QLineEdit>(game, "txtCon");
    lookAtTheNewWindow();
    firstClick(button(game, "lblHelp"));
    firstClick(button(game, "lblAuthor"));
    QWidget *help = program.desktop.helpWindow();
    QWidget *author = program.desktop.authorWindow();
    QVERIFY(help && author);
    QVERIFY(QTest::qWaitForWindowExposed(help));
    QVERIFY(QTest::qWaitForWindowExposed(author));
    lookAtTheNewWindow();

    // A click on help's text, then letters: they go on into the command box.
    xdotool(at(child<QLabel>(help, "lblTip")) << u"click"_s << u"1"_s);
    xdotool({u"type"_s, u"--delay"_s, u"50"_s, u"ab"_s});
    QTRY_COMPARE(command->text(), u"ab"_s);
    // A drag of author by its title strip moves it and leaves the keyboard too.
    const QPoint before = author->pos();
    QWidget *strip = child<QWidget>(author, "picTitlebar");
    // (At a hand's pace: the window manager's move begins once the program
    // has seen the press and the first move.)
    xdotool(at(strip) << u"mousedown"_s << u"1"_s);
    for (int step = 1; step <= 6; ++step) {
        QTest::qWait(60);
        xdotool(at(strip, QPoint(-10 * step, 10 * step)));
    }
    QTest::qWait(60);
    xdotool({u"mouseup"_s, u"1"_s});
    QTRY_VERIFY(author->pos() != before);
    xdotool({u"type"_s, u"--delay"_s, u"50"_s, u"c"_s});
    QTRY_COMPARE(command->text(), u"abc"_s);
    // A click on help's "закрыть" closes it, and typing goes on.
    xdotool(at(child<QLabel>(help, "lblExit")) << u"click"_s << u"1"_s);
    QTRY_VERIFY(!program.desktop.helpWindow());
    xdotool({u"type"_s, u"--delay"_s, u"50"_s, u"d"_s});
    QTRY_COMPARE(command->text(), u"abcd"_s);
    QCOMPARE(QApplication::activeWindow(), game);
}

void PlayerFlowTest::helpAndAuthorOpenBesideTheGame()
{
    Windows program;
    frmTargame *game = openTheGame(program);
    const QRect screen = game->screen()->availableGeometry();
    lookAtTheNewWindow();
    firstClick(button(game, "lblHelp"));
    firstClick(button(game, "lblAuthor"));
    const QRect gameRect = game->frameGeometry();
    const QRect help = program.desktop.helpWindow()->frameGeometry();
    const QRect author = program.desktop.authorWindow()->frameGeometry();

    // to the game's right, the first at its top, the second below it; each
    // on the screen, covering nothing of the game or of the other
    QVERIFY(help.left() > gameRect.right());
    QCOMPARE(help.top(), gameRect.top());
    QVERIFY(author.left() > gameRect.right());
    QVERIFY(author.top() > help.bottom());
    for (const QRect &beside : {help, author}) {
        QVERIFY(screen.contains(beside));
        QVERIFY(!beside.intersects(gameRect));
    }
    QVERIFY(!help.intersects(author));

    if (QGuiApplication::platformName().startsWith(u"wayland"_s)) {
        // The compositor places every window but a panel: help and author
        // are panels of the game, placed beside it in its own coordinates
        // (above), that leave the keyboard with it; after "новая" they stay,
        // panels of the dialog.
        for (QWidget *panel : std::initializer_list<QWidget *>{program.desktop.helpWindow(), program.desktop.authorWindow()}) {
            QCOMPARE(panel->windowHandle()->transientParent(), game->windowHandle());
            QCOMPARE(panel->windowHandle()->type(), Qt::ToolTip);
        }
        lookAtTheNewWindow();
        firstClick(button(game, "lblNew"));
        frmNew *dialog = program.desktop.newGameDialog();
        QVERIFY(dialog);
        for (QWidget *panel : std::initializer_list<QWidget *>{program.desktop.helpWindow(), program.desktop.authorWindow()}) {
            QVERIFY(panel && panel->isVisible());
            QCOMPARE(panel->windowHandle()->transientParent(), dialog->windowHandle());
            QVERIFY(!panel->geometry().intersects(dialog->geometry()));
        }
        QVERIFY(!program.desktop.helpWindow()->geometry().intersects(program.desktop.authorWindow()->geometry()));
        return;
    }

    // with the game at the screen's right edge they open on its left
    lookAtTheNewWindow();
    QTest::mouseClick(button(program.desktop.helpWindow(), "lblExit"), Qt::LeftButton);
    QTest::mouseClick(button(program.desktop.authorWindow(), "lblExit"), Qt::LeftButton);
    game->move(screen.right() + 1 - game->width(), 100);
    firstClick(button(game, "lblHelp"));
    const QRect left = program.desktop.helpWindow()->frameGeometry();
    QVERIFY(left.right() < game->frameGeometry().left());
    QCOMPARE(left.top(), 100);
    QVERIFY(screen.contains(left));
}

void PlayerFlowTest::placeBesideKeepsClearOfTheGame_data()
{
    QTest::addColumn<QRect>("game");
    QTest::addColumn<QList<QRect>>("taken");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("expected");
    const QSize info(317, 213);
    QTest::newRow("right") << QRect(100, 100, 521, 377) << QList<QRect>{} << QRect(0, 0, 1280, 800)
                           << QPoint(629, 100);
    QTest::newRow("below the first") << QRect(100, 100, 521, 377) << QList<QRect>{QRect(QPoint(629, 100), info)}
                                     << QRect(0, 0, 1280, 800) << QPoint(629, 321);
    QTest::newRow("left") << QRect(700, 50, 521, 377) << QList<QRect>{} << QRect(0, 0, 1280, 800)
                          << QPoint(375, 50);
    // a small screen: the game centred leaves no room at its sides, but
    // below it there is
    QTest::newRow("below") << QRect(139, 20, 521, 377) << QList<QRect>{} << QRect(0, 0, 800, 640)
                           << QPoint(139, 405);
    // no room anywhere: on the screen, over as little of the game as can be
    QTest::newRow("cramped") << QRect(139, 111, 521, 377) << QList<QRect>{} << QRect(0, 0, 800, 600)
                             << QPoint(139, 387);
}

void PlayerFlowTest::placeBesideKeepsClearOfTheGame()
{
    QFETCH(QRect, game);
    QFETCH(QList<QRect>, taken);
    QFETCH(QRect, screen);
    QFETCH(QPoint, expected);
    const QPoint place = placeBeside(game, QSize(317, 213), screen, taken);
    QCOMPARE(place, expected);
    QVERIFY(screen.contains(QRect(place, QSize(317, 213))));
}

void PlayerFlowTest::aLostGameShowsItsClosingLines()
{
    Windows program;
    frmTargame *game = openTheGame(program);
    QVERIFY(activeAndShown(game));
    auto *command = child<QLineEdit>(game, "txtCon");
    for (const QString &line : {u"в переулок"_s, u"взять кирпич"_s, u"на улицу"_s, u"бросить кирпич в витрину"_s}) {
        typeText(command, line);
        pressKey(command, Qt::Key_Return);
    }
    QVERIFY(!command->isEnabled());

    auto *output = child<QTextEdit>(game, "txtGame");
    QVERIFY(output->toPlainText().endsWith(u"Ха! Ты завершил игру раньше времени.\nИгра Окончена."_s));
    QCoreApplication::processEvents();
    // the reply is longer than the box, and the box shows its end
    QScrollBar *scroll = output->verticalScrollBar();
    QVERIFY(scroll->maximum() > 0);
    QCOMPARE(scroll->value(), scroll->maximum());
    const QRect seen = output->viewport()->rect();
    for (const QString &closing : {u"Ха! Ты завершил игру раньше времени."_s, u"Игра Окончена."_s}) {
        const QTextBlock block = output->document()->find(closing).block();
        QVERIFY2(block.isValid(), qPrintable(closing));
        QTextCursor at(block);
        at.movePosition(QTextCursor::EndOfBlock);
        QVERIFY2(seen.contains(output->cursorRect(at)), qPrintable(closing));
        at.movePosition(QTextCursor::StartOfBlock);
        QVERIFY2(seen.contains(output->cursorRect(at)), qPrintable(closing));
    }

    // the box that takes nothing more, and its prompt, are grey
    auto *prompt = child<QLabel>(game, "Label1");
    QCOMPARE(prompt->palette().color(QPalette::WindowText), kGrey);
    const QImage painted = prompt->grab().toImage();
    int grey = 0;
    for (int y = 0; y < painted.height(); ++y) {
        for (int x = 0; x < painted.width(); ++x) {
            const QColor colour = painted.pixelColor(x, y);
            QVERIFY2(colour.red() <= 128, "no white in the prompt");
            grey += colour == kGrey;
        }
    }
    QVERIFY(grey > 0);
    QCOMPARE(command->palette().color(QPalette::Disabled, QPalette::Text), kGrey);

    // a new game: white prompt, enabled box, the reply from its top again
    lookAtTheNewWindow();
    firstClick(button(game, "lblNew"));
    lookAtTheNewWindow();
    firstClick(button(program.desktop.newGameDialog(), "lblStart"));
    frmTargame *next = program.desktop.gameWindow();
    QCOMPARE(child<QLabel>(next, "Label1")->palette().color(QPalette::WindowText), kWhite);
    QVERIFY(child<QLineEdit>(next, "txtCon")->isEnabled());
}

void PlayerFlowTest::wholeFlow()
{
    // Dialog, an easy game with the help open beside it, a loss, a new hard
    // game, and "выход", at a person's pace, every step a real event.
    Windows program;
    frmNew *dialog = program.desktop.newGameDialog();
    QVERIFY(activeAndShown(dialog));
    lookAtTheNewWindow();
    firstClick(button(dialog, "lblEasy"));
    firstClick(button(dialog, "lblMusOff"));
    secondClickOfADoubleClick(button(dialog, "lblMusOff"));
    firstClick(button(dialog, "lblStart"));
    secondClickOfADoubleClick(button(program.desktop.gameWindow(), "lbExit"));   // held back

    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(game);
    QVERIFY(activeAndShown(game));
    QCOMPARE(child<QLabel>(game, "lblDiff")->text(), u"простая игра"_s);
    lookAtTheNewWindow();
    firstClick(button(game, "lblHelp"));
    QVERIFY(program.desktop.helpWindow());
    auto *command = child<QLineEdit>(game, "txtCon");
    QCOMPARE(QApplication::focusWidget(), command);
    typeText(command, u"осм у"_s);
    QCOMPARE(command->text(), u"осм урну"_s);
    pressKey(command, Qt::Key_Return);
    QCOMPARE(child<QLabel>(game, "lblInv0")->text(), u"пустая пачка сигарет"_s);
    QCOMPARE(child<QLabel>(game, "lblPoints")->text(), u"20 очков"_s);
    for (const QString &line : {u"в пер"_s, u"взять ки"_s, u"на у"_s, u"бросить кирпич в витрину"_s}) {
        typeText(command, line);
        pressKey(command, Qt::Key_Return);
    }
    QVERIFY(!command->isEnabled());
    QCOMPARE(child<QLabel>(game, "lblSteps")->text(), u"5 ходов"_s);

    firstClick(button(game, "lblNew"));
    dialog = program.desktop.newGameDialog();
    QVERIFY(dialog);
    QVERIFY(program.desktop.helpWindow());   // the help stays open
    lookAtTheNewWindow();
    firstClick(button(dialog, "lblStart"));
    game = program.desktop.gameWindow();
    QVERIFY(activeAndShown(game));
    QCOMPARE(child<QLabel>(game, "lblDiff")->text(), u"сложная игра"_s);
    command = child<QLineEdit>(game, "txtCon");
    QVERIFY(command->isEnabled());
    typeText(command, u"осмотреть урну"_s);
    pressKey(command, Qt::Key_Return);
    QCOMPARE(child<QLabel>(game, "lblPoints")->text(), u"100 очков"_s);

    lookAtTheNewWindow();
    QLabel *exit = button(game, "lbExit");
    QPointer<QWidget> help = program.desktop.helpWindow();
    QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!program.desktop.gameWindow());
    QVERIFY(!help || help->isHidden());
}

QTEST_MAIN(PlayerFlowTest)
#include "tst_playerflow.moc"
