// The windows together: the new-game dialog and the games it starts, the
// help and author windows, dragging every window and ending the program.
#include "uitest.h"

#include "story/story.h"
#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"

#include <QApplication>
#include <QIcon>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

namespace {

const QColor kChosen(255, 255, 255);
const QColor kOther(170, 170, 170);

struct Windows {
    Windows() : desktop(settings, tarnvaleStory(), [this] { ++musicLaunches; })
    {
        // the settings as the program starts them, before any dialog
        desktop.start();
    }

    void click(QWidget *window, const char *name)
    {
        QVERIFY2(window, name);
        auto *label = child<QLabel>(window, name);
        QVERIFY2(label, name);
        QTest::mouseClick(label, Qt::LeftButton);
    }
    void clickInDialog(const char *name) { click(desktop.newGameDialog(), name); }
    void clickInGame(const char *name) { click(desktop.gameWindow(), name); }
    QString gameLabel(const char *name) const { return child<QLabel>(desktop.gameWindow(), name)->text(); }
    QLineEdit *commandBox() const { return child<QLineEdit>(desktop.gameWindow(), "txtCon"); }
    QColor colour(const char *name) const
    {
        return child<QLabel>(desktop.newGameDialog(), name)->palette().color(QPalette::WindowText);
    }

    GameSettings settings;
    int musicLaunches = 0;
    Desktop desktop;
};

void destroyClosedWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void play(QLineEdit *box, const QString &command)
{
    typeText(box, command);
    pressKey(box, Qt::Key_Return);
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dialogLayout_data();
    void dialogLayout();
    void dialogOpensFirstWithHardGameAndMusic();
    void easyGameFromTheDialog();
    void hardGameFromTheDialog();
    void lastChoiceWins();
    void musicLaunchesOncePerStartWhenWanted();
    void wholeStoryTheEasyWay();
    void newGameReturnsToAFreshDialog();
    void newGameTwiceGivesFreshGames();
    void helpAndAuthorWindows_data();
    void helpAndAuthorWindows();
    void helpAndAuthorLiveBesideTheGame();
    void everyWindowIsDraggedByItsStrip_data();
    void everyWindowIsDraggedByItsStrip();
    void exitFromTheDialog();
    void exitFromTheGameClosesEverything();
    void manyGamesLeaveNoWindowsBehind();
    void iconWithoutAnIconTheme();
};

void DesktopTest::initTestCase()
{
    quietAboutRaise();
    clickFasterThanAPerson();
}

// ---------------------------------------------------------------------------
// The new-game dialog

void DesktopTest::dialogLayout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("clickable");
    const auto row = [](const char *name, QRect twips, const QString &caption, bool clickable) {
        QTest::newRow(name) << QString::fromLatin1(name) << twips << caption << clickable;
    };
    row("lblSubtitle", {120, 360, 4455, 255}, u"консольный текстовый квест"_s, false);
    row("lblTitle", {120, 600, 4455, 255}, u"велтарный"_s, false);
    row("lblDiffHeading", {120, 1080, 4455, 255}, u"выбирите сложность"_s, false);
    row("lblHard", {120, 1320, 4455, 255}, u"сложная (лучше сначала играть так)"_s, true);
    row("lblEasy", {120, 1560, 4455, 255}, u"простая (играть не интересно)"_s, true);
    row("lblMusHeading", {120, 2040, 4455, 255}, u"музыка в игре"_s, false);
    row("lblMusOn", {120, 2280, 4455, 255}, u"включить"_s, true);
    row("lblNote", {3360, 2280, 1215, 255}, u"Win98 only"_s, true);
    row("lblMusOff", {120, 2520, 4455, 255}, u"отключить"_s, true);
    row("lblStart", {120, 2880, 1575, 255}, u"начать"_s, true);
    row("lblExit", {3000, 2880, 1575, 255}, u"выход"_s, true);
}

void DesktopTest::dialogLayout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(bool, clickable);

    Windows program;
    frmNew *dialog = program.desktop.newGameDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->size(), QSize(317, 213));
    QVERIFY(dialog->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(child<QWidget>(dialog, "Shape1")->geometry(), QRect(2, 2, 313, 209));
    QCOMPARE(child<QWidget>(dialog, "picTitlebar")->geometry(), QRect(2, 2, 313, 17));

    auto *label = dialog->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->cursor().shape(), clickable ? Qt::BitmapCursor : Qt::ArrowCursor);
    QVERIFY(label->font().bold());
    if (name == u"lblNote"_s) {
        QCOMPARE(label->font().families().first(), u"Tahoma"_s);
        QCOMPARE(label->font().pixelSize(), 12);
    } else {
        QCOMPARE(label->font().pixelSize(), 13);
    }
}

void DesktopTest::dialogOpensFirstWithHardGameAndMusic()
{
    GameSettings settings{kTrue, kFalse};
    Desktop desktop(settings, tarnvaleStory(), {});
    QVERIFY(!desktop.newGameDialog());
    desktop.start();
    QVERIFY(desktop.newGameDialog());
    QVERIFY(!desktop.newGameDialog()->isHidden());
    QVERIFY(!desktop.gameWindow());
    QCOMPARE(settings.easyMode, kFalse);
    QCOMPARE(settings.musicOn, kTrue);

    const auto colour = [&](const char *name) {
        return child<QLabel>(desktop.newGameDialog(), name)->palette().color(QPalette::WindowText);
    };
    QCOMPARE(colour("lblHard"), kChosen);
    QCOMPARE(colour("lblEasy"), kOther);
    QCOMPARE(colour("lblMusOn"), kChosen);
    QCOMPARE(colour("lblMusOff"), kOther);
    QCOMPARE(colour("lblNote"), kOther);
}

void DesktopTest::easyGameFromTheDialog()
{
    Windows program;
    program.clickInDialog("lblEasy");
    QCOMPARE(program.settings.easyMode, kTrue);
    QCOMPARE(program.colour("lblEasy"), kChosen);
    QCOMPARE(program.colour("lblHard"), kOther);
    program.clickInDialog("lblNote");   // only a note
    QCOMPARE(program.colour("lblNote"), kOther);
    QCOMPARE(program.settings.musicOn, kTrue);

    QPointer<frmNew> dialog = program.desktop.newGameDialog();
    program.clickInDialog("lblStart");
    QVERIFY(program.desktop.gameWindow());
    QVERIFY(!program.desktop.gameWindow()->isHidden());
    QVERIFY(!program.desktop.newGameDialog());
    destroyClosedWindows();
    QVERIFY(dialog.isNull());

    QCOMPARE(program.gameLabel("lblDiff"), u"простая игра"_s);
    const QStringList phrases = child<QObject>(program.desktop.gameWindow(), "lstItems")->property("phrases").toStringList();
    QCOMPARE(phrases.size(), 223);
    QCOMPARE(phrases.first(), u"осм"_s);
    QCOMPARE(phrases.last(), u"пересыпать дешёвые сигареты"_s);

    // completion through the real box, and awards of one fifth
    typeText(program.commandBox(), u"осмотреть у"_s);
    QCOMPARE(program.commandBox()->text(), u"осмотреть урну"_s);
    QCOMPARE(program.commandBox()->selectedText(), u"рну"_s);
    pressKey(program.commandBox(), Qt::Key_Return);
    QCOMPARE(program.gameLabel("lblPoints"), u"20 очков"_s);
    QCOMPARE(program.gameLabel("lblInv0"), u"пустая пачка сигарет"_s);
}

void DesktopTest::hardGameFromTheDialog()
{
    Windows program;
    program.clickInDialog("lblStart");
    QCOMPARE(program.gameLabel("lblDiff"), u"сложная игра"_s);
    QVERIFY(child<QObject>(program.desktop.gameWindow(), "lstItems")->property("phrases").toStringList().isEmpty());
    typeText(program.commandBox(), u"осмотреть у"_s);
    QCOMPARE(program.commandBox()->text(), u"осмотреть у"_s);
    typeText(program.commandBox(), u"рну"_s);
    pressKey(program.commandBox(), Qt::Key_Return);
    QCOMPARE(program.gameLabel("lblPoints"), u"100 очков"_s);
}

void DesktopTest::lastChoiceWins()
{
    Windows program;
    program.clickInDialog("lblEasy");
    program.clickInDialog("lblHard");
    QCOMPARE(program.colour("lblHard"), kChosen);
    QCOMPARE(program.colour("lblEasy"), kOther);
    program.clickInDialog("lblMusOff");
    QCOMPARE(program.colour("lblMusOff"), kChosen);
    QCOMPARE(program.colour("lblMusOn"), kOther);
    program.clickInDialog("lblMusOn");
    QCOMPARE(program.colour("lblMusOn"), kChosen);
    QCOMPARE(program.colour("lblMusOff"), kOther);
    program.clickInDialog("lblStart");
    QCOMPARE(program.settings.easyMode, kFalse);
    QCOMPARE(program.gameLabel("lblDiff"), u"сложная игра"_s);
    QCOMPARE(program.musicLaunches, 1);
}

void DesktopTest::musicLaunchesOncePerStartWhenWanted()
{
    Windows program;
    QCOMPARE(program.musicLaunches, 0);   // the dialog alone plays nothing
    program.clickInDialog("lblStart");
    QCOMPARE(program.musicLaunches, 1);
    play(program.commandBox(), u"осмотреться"_s);
    QCOMPARE(program.musicLaunches, 1);

    program.clickInGame("lblNew");
    QCOMPARE(program.musicLaunches, 1);
    program.clickInDialog("lblStart");
    QCOMPARE(program.musicLaunches, 2);

    program.clickInGame("lblNew");
    program.clickInDialog("lblMusOff");
    program.clickInDialog("lblStart");
    QCOMPARE(program.musicLaunches, 2);
    QCOMPARE(program.settings.musicOn, kFalse);
}

void DesktopTest::wholeStoryTheEasyWay()
{
    // A few letters of each command, the completion does the rest; the
    // password goes into the password box in the command box's place.
    const QStringList typed = {
        u"осм у"_s, u"в "_s, u"купить сигареты"_s, u"выйти и"_s, u"перел"_s, u"нап"_s, u"осм лысо"_s,
        u"н"_s, u"н"_s, u"взять ки"_s, u"выйти из п"_s, u"бросить к"_s, u"нап"_s, u"о"_s, u"вз"_s,
        u"н"_s, u"н"_s, u"откры"_s, u"о"_s, u"открыть т"_s, u"вк"_s, u"lyra"_s, u"вставить диске"_s,
        u"дискета"_s, u"вык"_s, u"звонить Е"_s,
    };
    Windows program;
    program.clickInDialog("lblEasy");
    program.clickInDialog("lblStart");
    frmTargame *game = program.desktop.gameWindow();
    game->show();
    QVERIFY(QTest::qWaitForWindowExposed(game));
    auto *password = child<QLineEdit>(game, "txtPwd");
    for (const QString &letters : typed) {
        QLineEdit *box = password->isHidden() ? program.commandBox() : password;
        QVERIFY2(!box->isHidden() && box->isEnabled(), qPrintable(letters));
        play(box, letters);
    }

    auto *output = child<QTextEdit>(game, "txtGame");
    QVERIFY(output->toPlainText().startsWith(u"- Алло, Евграф?\n"_s));
    QCOMPARE(program.gameLabel("lblAction"), u"звонить Евграфу"_s);
    QCOMPARE(program.gameLabel("lblPoints"), u"200 очков"_s);
    QCOMPARE(program.gameLabel("lblSteps"), u"25 ходов"_s);
    QVERIFY(password->isHidden());
    QVERIFY(!program.commandBox()->isHidden());
    QVERIFY(program.commandBox()->isEnabled());
    // the longest reply of the story is read whole, without scrolling
    QCoreApplication::processEvents();
    QCOMPARE(output->verticalScrollBar()->maximum(), 0);
}

void DesktopTest::newGameReturnsToAFreshDialog()
{
    Windows program;
    program.clickInDialog("lblEasy");
    program.clickInDialog("lblMusOff");
    program.clickInDialog("lblStart");
    QPointer<frmTargame> game = program.desktop.gameWindow();

    program.clickInGame("lblNew");
    QVERIFY(program.desktop.newGameDialog());
    QVERIFY(!program.desktop.newGameDialog()->isHidden());
    QVERIFY(!program.desktop.gameWindow());
    destroyClosedWindows();
    QVERIFY(game.isNull());

    QCOMPARE(program.settings.easyMode, kFalse);
    QCOMPARE(program.settings.musicOn, kTrue);
    QCOMPARE(program.colour("lblHard"), kChosen);
    QCOMPARE(program.colour("lblEasy"), kOther);
    QCOMPARE(program.colour("lblMusOn"), kChosen);
    QCOMPARE(program.colour("lblMusOff"), kOther);
}

void DesktopTest::newGameTwiceGivesFreshGames()
{
    Windows program;
    program.clickInDialog("lblStart");
    for (int round = 0; round < 2; ++round) {
        QPointer<frmTargame> before = program.desktop.gameWindow();
        play(program.commandBox(), u"осмотреть урну"_s);
        play(program.commandBox(), u"в магазин"_s);
        QCOMPARE(program.gameLabel("lblInv0"), u"пустая пачка сигарет"_s);
        QVERIFY(stateOf(before->program()).location != story::kStreet);

        program.clickInGame("lblNew");
        program.clickInDialog("lblStart");
        destroyClosedWindows();
        QVERIFY(before.isNull());

        frmTargame *game = program.desktop.gameWindow();
        QVERIFY(game);
        QCOMPARE(stateOf(game->program()), (GameState{.moveCount = 0, .points = 0, .money = 60}));
        QCOMPARE(program.gameLabel("lblMoney"), u"60 руб."_s);
        QCOMPARE(program.gameLabel("lblPoints"), u"0 очков"_s);
        QCOMPARE(program.gameLabel("lblSteps"), u"0 ходов"_s);
        QCOMPARE(program.gameLabel("lblAction"), QString());
        for (int i = 0; i < int(std::size(windows::kInventoryNames)); ++i)
            QCOMPARE(child<QLabel>(game, qPrintable(u"lblInv"_s + QString::number(i)))->text(), QString());
        QCOMPARE(shownOutput(game), tarnvaleStory().captions.txtGame);
        QVERIFY(program.commandBox()->isEnabled());
    }
}

// ---------------------------------------------------------------------------
// Help and author

void DesktopTest::helpAndAuthorWindows_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("help") << u"lblHelp"_s << u"frmHelp"_s
                          << QStringList{u"консольный текстовый квест"_s, u"велтарный"_s,
                                         u"Осматривайся в новой локации, а также осматривай все предметы. "
                                         u"Экспериментируй с предметами!"_s,
                                         u"закрыть"_s};
    QTest::newRow("author") << u"lblAuthor"_s << u"frmAuthor"_s
                            << QStringList{u"консольный текстовый квест"_s, u"велтарный"_s,
                                           u"(12-13).01.2007"_s, u"закрыть"_s};
}

void DesktopTest::helpAndAuthorWindows()
{
    QFETCH(QString, button);
    QFETCH(QString, window);
    QFETCH(QStringList, captions);

    Windows program;
    program.clickInDialog("lblStart");
    const auto open = [&]() -> Form * {
        return window == u"frmHelp"_s ? static_cast<Form *>(program.desktop.helpWindow())
                                      : static_cast<Form *>(program.desktop.authorWindow());
    };
    QVERIFY(!open());
    program.clickInGame(qPrintable(button));
    QPointer<Form> first = open();
    QVERIFY(first);
    QCOMPARE(first->objectName(), window);
    QVERIFY(!first->isHidden());
    QCOMPARE(first->size(), QSize(317, 213));
    QVERIFY(first->windowFlags() & Qt::FramelessWindowHint);
    QStringList shown;
    for (const QLabel *label : first->findChildren<QLabel *>())
        shown << label->text();
    for (const QString &caption : captions)
        QVERIFY2(shown.contains(caption), qPrintable(caption));
    auto *close = child<QLabel>(first, "lblExit");
    QCOMPARE(close->geometry(), QRect(208, 192, 97, 17));
    QCOMPARE(close->cursor().shape(), Qt::BitmapCursor);
    // every line fits its label
    for (const QLabel *label : first->findChildren<QLabel *>()) {
        if (!label->wordWrap())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        else
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(label->text()));
    }

    // a second click only brings the same window up
    first->hide();
    first->show();
    program.clickInGame(qPrintable(button));
    QCOMPARE(open(), first.data());

    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!open());
    destroyClosedWindows();
    QVERIFY(first.isNull());

    // and the next click makes it anew
    program.clickInGame(qPrintable(button));
    QVERIFY(open());
}

void DesktopTest::helpAndAuthorLiveBesideTheGame()
{
    Windows program;
    program.clickInDialog("lblStart");
    program.clickInGame("lblHelp");
    program.clickInGame("lblAuthor");
    QPointer<frmHelp> help = program.desktop.helpWindow();
    QPointer<frmAuthor> author = program.desktop.authorWindow();
    QVERIFY(help && author);

    // the game goes on while they are open
    play(program.commandBox(), u"осмотреть урну"_s);
    QCOMPARE(program.gameLabel("lblSteps"), u"1 ходов"_s);

    // "новая" closes the game only
    program.clickInGame("lblNew");
    destroyClosedWindows();
    QVERIFY(help && !help->isHidden());
    QVERIFY(author && !author->isHidden());
    QCOMPARE(program.desktop.helpWindow(), help.data());
    program.clickInDialog("lblStart");
    destroyClosedWindows();
    QVERIFY(help && author);

    // clicking "помощь" in the new game finds the window still open
    program.clickInGame("lblHelp");
    QCOMPARE(program.desktop.helpWindow(), help.data());
    QTest::mouseClick(child<QLabel>(author, "lblExit"), Qt::LeftButton);
    destroyClosedWindows();
    QVERIFY(author.isNull());
    QVERIFY(help);
    QVERIFY(program.desktop.gameWindow());
}

// ---------------------------------------------------------------------------
// Dragging and ending the program

void DesktopTest::everyWindowIsDraggedByItsStrip_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("dialog") << u"frmNew"_s;
    QTest::newRow("game") << u"frmTargame"_s;
    QTest::newRow("help") << u"frmHelp"_s;
    QTest::newRow("author") << u"frmAuthor"_s;
}

void DesktopTest::everyWindowIsDraggedByItsStrip()
{
    QFETCH(QString, window);
    Windows program;
    QWidget *form = program.desktop.newGameDialog();
    if (window != u"frmNew"_s) {
        program.clickInDialog("lblStart");
        form = program.desktop.gameWindow();
        if (window == u"frmHelp"_s) {
            program.clickInGame("lblHelp");
            form = program.desktop.helpWindow();
        } else if (window == u"frmAuthor"_s) {
            program.clickInGame("lblAuthor");
            form = program.desktop.authorWindow();
        }
    }
    QCOMPARE(form->objectName(), window);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->move(200, 150);
    const QPoint start = form->pos();
    auto *strip = child<TitleBar>(form, "picTitlebar");

    QTest::mousePress(strip, Qt::RightButton, Qt::NoModifier, QPoint(40, 8));
    moveMouse(strip, QPoint(90, 8), Qt::RightButton);
    QTest::mouseRelease(strip, Qt::RightButton, Qt::NoModifier, QPoint(90, 8));
    QCOMPARE(form->pos(), start);

    QTest::mousePress(strip, Qt::LeftButton, Qt::NoModifier, QPoint(40, 8));
    moveMouse(strip, QPoint(25, 38), Qt::LeftButton);
    QTest::mouseRelease(strip, Qt::LeftButton, Qt::NoModifier, QPoint(40, 8));
    QCOMPARE(form->pos(), start + QPoint(-15, 30));
}

void DesktopTest::exitFromTheDialog()
{
    auto program = std::make_unique<Windows>();
    QPointer<frmNew> dialog = program->desktop.newGameDialog();
    auto *exit = child<QLabel>(dialog, "lblExit");
    QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
    QCOMPARE(QCoreApplication::exec(), 0);
    destroyClosedWindows();
    QVERIFY(dialog.isNull());
    QCOMPARE(program->musicLaunches, 0);
}

void DesktopTest::exitFromTheGameClosesEverything()
{
    Windows program;
    program.clickInDialog("lblStart");
    program.clickInGame("lblHelp");
    program.clickInGame("lblAuthor");
    const QList<QPointer<QWidget>> windows = {program.desktop.gameWindow(), program.desktop.helpWindow(),
                                              program.desktop.authorWindow()};
    auto *exit = child<QLabel>(program.desktop.gameWindow(), "lbExit");
    QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
    QCOMPARE(QCoreApplication::exec(), 0);
    destroyClosedWindows();
    for (const QPointer<QWidget> &window : windows)
        QVERIFY(window.isNull());
    QVERIFY(!program.desktop.gameWindow());
    QVERIFY(!program.desktop.helpWindow());
    QVERIFY(!program.desktop.authorWindow());
}

void DesktopTest::manyGamesLeaveNoWindowsBehind()
{
    Windows program;
    program.clickInDialog("lblStart");
    program.clickInGame("lblHelp");
    QTest::mouseClick(child<QLabel>(program.desktop.helpWindow(), "lblExit"), Qt::LeftButton);
    destroyClosedWindows();
    const qsizetype windowsAtStart = QApplication::topLevelWidgets().size();
    for (int round = 0; round < 25; ++round) {
        program.clickInGame("lblHelp");
        program.clickInGame("lblAuthor");
        program.clickInGame("lblNew");
        program.clickInDialog("lblStart");
        QTest::mouseClick(child<QLabel>(program.desktop.helpWindow(), "lblExit"), Qt::LeftButton);
        QTest::mouseClick(child<QLabel>(program.desktop.authorWindow(), "lblExit"), Qt::LeftButton);
        destroyClosedWindows();
    }
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsAtStart);
    QCOMPARE(program.musicLaunches, 26);
}

void DesktopTest::iconWithoutAnIconTheme()
{
    // A theme that does not know the program, as on a run from the build
    // tree: the windows still carry the program's icon, in every size.
    QTemporaryDir emptyThemes;
    QVERIFY(emptyThemes.isValid());
    QIcon::setThemeSearchPaths({emptyThemes.path()});
    QIcon::setFallbackSearchPaths({});
    QVERIFY(QIcon::fromTheme(u"org.example.tarnvale"_s).isNull());
    const QIcon icon = programIcon();
    QVERIFY(!icon.isNull());
    for (const int size : kBuiltInIconSizes)
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
    // the picture itself, not an empty one
    const QImage picture = icon.pixmap(QSize(48, 48), 1.0).toImage();
    QCOMPARE(picture.size(), QSize(48, 48));
    QCOMPARE(picture, QImage(u":/icons/48x48/apps/org.example.tarnvale.png"_s).convertToFormat(picture.format()));
    int opaque = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            opaque += qAlpha(picture.pixel(x, y)) == 255;
    QVERIFY(opaque > 48 * 48 / 4);
}

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
