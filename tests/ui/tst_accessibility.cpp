// What screen readers and keyboard users get from the windows: Russian names
// and the right roles for every widget, the label buttons reached with Tab
// and pressed with Enter or Space, and the command box left as it was.
#include "uitest.h"

#include "story/story.h"
#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextEdit>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    QAccessibleInterface *found = QAccessible::queryAccessibleInterface(object);
    if (!found)
        qWarning("no accessible interface for %s", qPrintable(object->objectName()));
    return found;
}

QAccessibleInterface *accessible(const QWidget *window, const char *name)
{
    QWidget *widget = child<QWidget>(window, name);
    return widget ? accessible(widget) : nullptr;
}

QString nameOf(const QWidget *window, const char *name)
{
    QAccessibleInterface *found = accessible(window, name);
    return found ? found->text(QAccessible::Name) : QString();
}

// The caption of a label as a screen reader reads it through its text.
QString textOf(const QWidget *window, const char *name)
{
    QAccessibleInterface *found = accessible(window, name);
    if (!found || !found->textInterface())
        return u"<no text>"_s;
    QAccessibleTextInterface *text = found->textInterface();
    return text->text(0, text->characterCount());
}

bool hasCyrillic(const QString &text)
{
    static const QRegularExpression cyrillic(u"[а-яё]"_s, QRegularExpression::CaseInsensitiveOption);
    return text.contains(cyrillic);
}

// Every widget of the window itself (not the parts inside Qt's widgets) has a
// Russian name; windows too.
void checkEveryWidgetIsNamed(QWidget *window)
{
    QVERIFY(hasCyrillic(accessible(window)->text(QAccessible::Name)));
    QCOMPARE(accessible(window)->role(), QAccessible::Window);
    const QList<QWidget *> widgets = window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QVERIFY(widgets.size() > 5);
    for (QWidget *widget : widgets) {
        QAccessibleInterface *found = accessible(widget);
        QVERIFY(found);
        // A name is what the widget shows (the note's is Latin); a Russian
        // description explains it then.
        QVERIFY2(hasCyrillic(found->text(QAccessible::Name)) || hasCyrillic(found->text(QAccessible::Description)),
                 qPrintable(widget->objectName()));
    }
}

struct Windows {
    Windows() : desktop(settings, tarnvaleStory(), {}) { desktop.start(); }

    GameSettings settings;
    Desktop desktop;
};

// Shows the window and makes it the active one, so that it has the keyboard.
bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void pressTab(int times = 1)
{
    for (int i = 0; i < times; ++i)
        pressKey(QApplication::focusWidget(), Qt::Key_Tab);
}

QStringList tabRound(int presses)
{
    QStringList visited;
    for (int i = 0; i < presses; ++i) {
        pressTab();
        visited << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : u"-"_s);
    }
    return visited;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void everyWidgetHasARussianName();
    void gameWindowRoles();
    void inventorySlotsAreReadWithTheirContent();
    void countersAreReadWithTheirContent();
    void dialogRolesAndChoices();
    void infoWindowRoles();

    void gameWindowTabOrder();
    void labelButtonsPressFromTheKeyboard_data();
    void labelButtonsPressFromTheKeyboard();
    void otherKeysLeaveALabelButtonAlone();
    void commandBoxKeepsItsKeys();
    void clickLeavesTheFocusInTheCommandBox();
    void screenReaderPressesTheButtons();
    void focusIsMarked();

    void dialogFromTheKeyboard();
    void closingTheHelpFromTheKeyboard();
};

void AccessibilityTest::initTestCase()
{
    quietAboutRaise();
    clickFasterThanAPerson();
}

// ---------------------------------------------------------------------------
// Names and roles

void AccessibilityTest::everyWidgetHasARussianName()
{
    Windows program;
    checkEveryWidgetIsNamed(program.desktop.newGameDialog());
    program.desktop.startGame();
    checkEveryWidgetIsNamed(program.desktop.gameWindow());
    program.desktop.showHelp();
    checkEveryWidgetIsNamed(program.desktop.helpWindow());
    program.desktop.showAuthor();
    checkEveryWidgetIsNamed(program.desktop.authorWindow());
}

void AccessibilityTest::gameWindowRoles()
{
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();

    QCOMPARE(nameOf(game, "txtGame"), u"что происходит"_s);
    QAccessibleInterface *output = accessible(game, "txtGame");
    QCOMPARE(output->role(), QAccessible::EditableText);
    QVERIFY(output->state().readOnly);
    QVERIFY(!output->state().editable);
    QVERIFY(output->state().multiLine);
    QVERIFY(output->state().focusable);
    QVERIFY(output->textInterface());
    const QString read = output->textInterface()->text(0, output->textInterface()->characterCount());
    QCOMPARE(read, toQString(tarnvaleStory().captions.txtGame).replace(u"\r\n"_s, u"\n"_s));

    for (const char *name : {"txtCon", "txtPwd"}) {
        QAccessibleInterface *box = accessible(game, name);
        QCOMPARE(box->role(), QAccessible::EditableText);
        QVERIFY(box->state().editable);
        QVERIFY(!box->state().readOnly);
        QVERIFY(box->editableTextInterface());
    }
    QCOMPARE(nameOf(game, "txtCon"), u"командная строка"_s);
    QCOMPARE(nameOf(game, "txtPwd"), u"пароль"_s);
    QVERIFY(accessible(game, "txtPwd")->state().invisible);

    const QList<std::pair<const char *, QString>> buttons = {
        {"lblNew", u"новая игра"_s}, {"lblAuthor", u"автор"_s}, {"lblHelp", u"помощь"_s}, {"lbExit", u"выход"_s}};
    for (const auto &[name, accessibleName] : buttons) {
        QAccessibleInterface *button = accessible(game, name);
        QCOMPARE(button->role(), QAccessible::PushButton);
        QCOMPARE(button->text(QAccessible::Name), accessibleName);
        QVERIFY2(!button->text(QAccessible::Description).isEmpty(), name);
        QVERIFY(button->state().focusable);
        QVERIFY(!button->state().checkable);
        QVERIFY(button->actionInterface());
        QVERIFY(button->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }

    for (const char *name : {"Label1", "Label2", "lblAction", "lblDiff", "lblMoney", "lblSteps", "lblPoints"}) {
        QCOMPARE(accessible(game, name)->role(), QAccessible::StaticText);
        // the counters and the last command are Tab stops, the marks are not
        QCOMPARE(accessible(game, name)->state().focusable, !QByteArray(name).startsWith("Label"));
    }
    QCOMPARE(accessible(game, "picTitlebar")->role(), QAccessible::Graphic);
    QCOMPARE(accessible(game, "Line1")->role(), QAccessible::Separator);
    QCOMPARE(accessible(game, "Shape1")->role(), QAccessible::Whitespace);
    QCOMPARE(accessible(game)->text(QAccessible::Name), u"tarnvale: игра"_s);
}

void AccessibilityTest::inventorySlotsAreReadWithTheirContent()
{
    GameSettings settings;
    std::unique_ptr<frmTargame> game(new frmTargame(settings, windowTestStory()));
    for (int i = 0; i < int(std::size(windows::kInventoryNames)); ++i) {
        const QByteArray name = "lblInv" + QByteArray::number(i);
        QAccessibleInterface *slot = accessible(game.get(), name.constData());
        QCOMPARE(slot->role(), QAccessible::StaticText);
        QCOMPARE(slot->text(QAccessible::Name), u"инвентарь, ячейка "_s + QString::number(i + 1));
        QCOMPARE(textOf(game.get(), name.constData()), QString());
    }

    auto *box = child<QLineEdit>(game.get(), "txtCon");
    typeText(box, u"взять"_s);
    pressKey(box, Qt::Key_Return);
    // the name is the item and its slot, the text the item
    QCOMPARE(nameOf(game.get(), "lblInv0"), u"пустая пачка сигарет, инвентарь, ячейка 1"_s);
    QCOMPARE(textOf(game.get(), "lblInv0"), u"пустая пачка сигарет"_s);
    QCOMPARE(textOf(game.get(), "lblInv1"), QString());
    QAccessibleTextInterface *text = accessible(game.get(), "lblInv0")->textInterface();
    QCOMPARE(text->text(7, 12), u"пачка"_s);
    QCOMPARE(text->text(12, 7), QString());
    QCOMPARE(text->text(-1, 3), QString());
    QCOMPARE(text->selectionCount(), 0);
    // the letters are where the label shows them
    auto *slot = child<QLabel>(game.get(), "lblInv0");
    const QRect first = text->characterRect(0);
    QCOMPARE(first.topLeft(), slot->mapToGlobal(QPoint(0, 0)));
    QVERIFY(first.width() > 0);
    QCOMPARE(text->offsetAtPoint(first.center()), 0);
    QCOMPARE(text->offsetAtPoint(text->characterRect(8).center()), 8);
    QVERIFY(!text->characterRect(20).isValid());
    QCOMPARE(text->offsetAtPoint(slot->mapToGlobal(QPoint(140, 5))), -1);
}

void AccessibilityTest::countersAreReadWithTheirContent()
{
    GameSettings settings;
    std::unique_ptr<frmTargame> game(new frmTargame(settings, windowTestStory()));
    auto *box = child<QLineEdit>(game.get(), "txtCon");
    typeText(box, u"что-нибудь"_s);
    pressKey(box, Qt::Key_Return);

    const QList<std::tuple<const char *, QString, QString>> counters = {
        {"lblAction", u"последняя команда: что-нибудь"_s, u"что-нибудь"_s},
        {"lblDiff", u"сложность: сложная игра"_s, u"сложная игра"_s},
        {"lblMoney", u"деньги: 60 руб."_s, u"60 руб."_s},
        {"lblSteps", u"ходы: 1 ходов"_s, u"1 ходов"_s},
        {"lblPoints", u"очки: 0 очков"_s, u"0 очков"_s},
    };
    for (const auto &[name, accessibleName, shown] : counters) {
        QCOMPARE(nameOf(game.get(), name), accessibleName);
        QCOMPARE(textOf(game.get(), name), shown);
    }
    // Labels without a name of their own are named by their caption.
    QCOMPARE(textOf(game.get(), "Label1"), u">>"_s);
}

void AccessibilityTest::dialogRolesAndChoices()
{
    Windows program;
    frmNew *dialog = program.desktop.newGameDialog();
    QCOMPARE(accessible(dialog)->text(QAccessible::Name), u"tarnvale: новая игра"_s);

    for (const char *name : {"lblSubtitle", "lblTitle", "lblDiffHeading", "lblMusHeading"}) {
        QCOMPARE(accessible(dialog, name)->role(), QAccessible::StaticText);
        QCOMPARE(nameOf(dialog, name), child<QLabel>(dialog, name)->text());
    }
    // the note explains and is no button
    QAccessibleInterface *note = accessible(dialog, "lblNote");
    QCOMPARE(note->role(), QAccessible::StaticText);
    QVERIFY(!note->state().focusable);
    QVERIFY(!note->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    QCOMPARE(note->text(QAccessible::Name), u"Win98 only"_s);   // its name begins with what it shows
    QVERIFY(hasCyrillic(note->text(QAccessible::Description)));

    for (const char *name : {"lblStart", "lblExit"})
        QCOMPARE(accessible(dialog, name)->role(), QAccessible::PushButton);
    QCOMPARE(nameOf(dialog, "lblStart"), u"начать игру"_s);

    const auto checked = [&](const char *name) {
        QAccessibleInterface *choice = accessible(dialog, name);
        if (choice->role() != QAccessible::RadioButton || !choice->state().checkable)
            qWarning("%s is not a radio button", name);
        return bool(choice->state().checked);
    };
    QVERIFY(checked("lblHard"));
    QVERIFY(!checked("lblEasy"));
    QVERIFY(checked("lblMusOn"));
    QVERIFY(!checked("lblMusOff"));
    QCOMPARE(nameOf(dialog, "lblEasy"), u"простая (играть не интересно)"_s);

    // the checked state follows the choices, whichever way they are made
    QTest::mouseClick(child<QLabel>(dialog, "lblEasy"), Qt::LeftButton);
    QVERIFY(!checked("lblHard"));
    QVERIFY(checked("lblEasy"));
    accessible(dialog, "lblMusOff")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!checked("lblMusOn"));
    QVERIFY(checked("lblMusOff"));
    QCOMPARE(program.settings.musicOn, kFalse);
    QCOMPARE(program.settings.easyMode, kTrue);
    QCOMPARE(child<QLabel>(dialog, "lblMusOff")->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    QCOMPARE(child<QLabel>(dialog, "lblMusOn")->palette().color(QPalette::WindowText), QColor(170, 170, 170));
}

void AccessibilityTest::infoWindowRoles()
{
    Windows program;
    program.desktop.startGame();
    program.desktop.showHelp();
    program.desktop.showAuthor();
    frmHelp *help = program.desktop.helpWindow();
    frmAuthor *author = program.desktop.authorWindow();
    QCOMPARE(accessible(help)->text(QAccessible::Name), u"tarnvale: помощь"_s);
    QCOMPARE(accessible(author)->text(QAccessible::Name), u"tarnvale: автор"_s);
    for (QWidget *window : {static_cast<QWidget *>(help), static_cast<QWidget *>(author)}) {
        QCOMPARE(accessible(window, "lblExit")->role(), QAccessible::PushButton);
        QCOMPARE(nameOf(window, "lblExit"), u"закрыть окно"_s);
        QCOMPARE(accessible(window, "lblTitle")->role(), QAccessible::StaticText);
    }
    // the wrapped advice is read whole
    QVERIFY(textOf(help, "lblTip").startsWith(u"Осматривайся в новой локации"_s));
    QVERIFY(textOf(help, "lblAdvice").endsWith(u"выражения из словаря."_s));
    QCOMPARE(textOf(author, "lblDate"), u"(12-13).01.2007"_s);
    QCOMPARE(nameOf(author, "lblMail"), u"электронная почта"_s);
    QCOMPARE(textOf(author, "lblMail"), child<QLabel>(author, "lblMail")->text());
}

// ---------------------------------------------------------------------------
// The keyboard

void AccessibilityTest::gameWindowTabOrder()
{
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(activate(game));
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(game, "txtCon"));

    // the command box first, then the output, what is carried (nothing yet),
    // the counters, the buttons, the last command and round again
    QCOMPARE(tabRound(11), QStringList({u"txtGame"_s, u"lblDiff"_s, u"lblMoney"_s, u"lblSteps"_s, u"lblPoints"_s,
                                        u"lblNew"_s, u"lblAuthor"_s, u"lblHelp"_s, u"lbExit"_s, u"lblAction"_s,
                                        u"txtCon"_s}));
    // and back with Shift+Tab
    pressKey(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"lblAction"_s);
    // an item carried is a stop too
    pressKey(QApplication::focusWidget(), Qt::Key_Tab);
    typeText(QApplication::focusWidget(), u"осмотреть урну"_s);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(tabRound(2), QStringList({u"txtGame"_s, u"lblInv0"_s}));
}

void AccessibilityTest::labelButtonsPressFromTheKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void AccessibilityTest::labelButtonsPressFromTheKeyboard()
{
    QFETCH(int, key);
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(activate(game));
    QSignalSpy help(game, &frmTargame::helpClicked);
    QSignalSpy author(game, &frmTargame::authorClicked);

    pressTab(8);   // past the output and the four counters
    QCOMPARE(QApplication::focusWidget()->objectName(), u"lblHelp"_s);
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    pressKey(QApplication::focusWidget(), Qt::Key(key), modifiers);
    QCOMPARE(help.size(), 1);
    QCOMPARE(author.size(), 0);
    QVERIFY(program.desktop.helpWindow());

    // a held key presses once
    QWidget *button = child<QWidget>(game, "lblHelp");
    QKeyEvent repeat(QEvent::KeyPress, key, modifiers, QString(), true);
    QApplication::sendEvent(button, &repeat);
    QCOMPARE(help.size(), 1);
}

void AccessibilityTest::otherKeysLeaveALabelButtonAlone()
{
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();
    QSignalSpy newGame(game, &frmTargame::newGameClicked);
    auto *button = child<QWidget>(game, "lblNew");
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Up, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_A})
        pressKey(button, key);
    pressKey(button, Qt::Key_Return, Qt::ControlModifier);
    typeText(button, u"новая"_s);
    QCOMPARE(newGame.size(), 0);
    QVERIFY(program.desktop.gameWindow());
    QCOMPARE(stateOf(game->program()).moveCount, 0);
}

void AccessibilityTest::commandBoxKeepsItsKeys()
{
    // Enter in the command box submits the command, however the focus came
    // back to it, and never presses a button.
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(activate(game));
    QSignalSpy newGame(game, &frmTargame::newGameClicked);
    pressTab(11);   // the whole round
    auto *con = child<QLineEdit>(game, "txtCon");
    QCOMPARE(QApplication::focusWidget(), con);
    typeText(QApplication::focusWidget(), u"осмотреться"_s);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(stateOf(game->program()).moveCount, 1);
    QCOMPARE(child<QLabel>(game, "lblAction")->text(), u"осмотреться"_s);
    pressKey(QApplication::focusWidget(), Qt::Key_Up);
    QCOMPARE(con->text(), u"осмотреться"_s);
    pressKey(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(con->text(), QString());
    pressKey(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(con->text(), QString());   // a Space without text is no character here
    QCOMPARE(newGame.size(), 0);
    QCOMPARE(QApplication::focusWidget(), con);
}

void AccessibilityTest::clickLeavesTheFocusInTheCommandBox()
{
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(activate(game));
    auto *con = child<QLineEdit>(game, "txtCon");
    QTest::mouseClick(child<QLabel>(game, "lbExit"), Qt::RightButton);
    QTest::mouseClick(child<QLabel>(game, "lblAuthor"), Qt::LeftButton);
    QVERIFY(program.desktop.authorWindow());
    QCOMPARE(game->focusWidget(), con);
    QVERIFY(!child<QWidget>(game, "lblAuthor")->hasFocus());
}

void AccessibilityTest::screenReaderPressesTheButtons()
{
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();
    QSignalSpy help(game, &frmTargame::helpClicked);
    QAccessibleActionInterface *action = accessible(game, "lblHelp")->actionInterface();
    // No key binding of its own, which a screen reader would read after every name.
    QVERIFY(action->keyBindingsForAction(QAccessibleActionInterface::pressAction()).isEmpty());
    action->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(help.size(), 1);
    QVERIFY(program.desktop.helpWindow());

    QPointer<frmHelp> window = program.desktop.helpWindow();
    accessible(window, "lblExit")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!program.desktop.helpWindow());
}

void AccessibilityTest::focusIsMarked()
{
    Windows program;
    program.desktop.startGame();
    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(activate(game));
    auto *button = child<QLabel>(game, "lblNew");
    const QImage plain = button->grab().toImage();
    pressTab(6);   // past the output and the four counters
    QVERIFY(button->hasFocus());
    const QImage marked = button->grab().toImage();
    QCOMPARE(marked.size(), plain.size());

    // A dotted line under the caption: white along the bottom row, where the
    // plain caption has nothing, and only as far as the caption reaches.
    const int bottom = marked.height() - 1;
    int whiteBelow = 0;
    for (int x = 0; x < marked.width(); ++x) {
        QCOMPARE(plain.pixelColor(x, bottom), QColor(Qt::black));
        if (marked.pixelColor(x, bottom) == QColor(Qt::white))
            ++whiteBelow;
    }
    const int captionWidth = button->fontMetrics().horizontalAdvance(button->text());
    QVERIFY(whiteBelow >= captionWidth / 3);
    QCOMPARE(marked.pixelColor(captionWidth + 6, bottom), QColor(Qt::black));

    pressTab();
    QCOMPARE(button->grab().toImage(), plain);
}

void AccessibilityTest::dialogFromTheKeyboard()
{
    Windows program;
    frmNew *dialog = program.desktop.newGameDialog();
    QVERIFY(activate(dialog));
    // "начать" has the focus, the round goes past the note
    QCOMPARE(QApplication::focusWidget()->objectName(), u"lblStart"_s);
    QCOMPARE(tabRound(6), QStringList({u"lblExit"_s, u"lblHard"_s, u"lblEasy"_s, u"lblMusOn"_s, u"lblMusOff"_s,
                                       u"lblStart"_s}));

    pressTab(3);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"lblEasy"_s);
    pressKey(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(program.settings.easyMode, kTrue);
    pressTab(2);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(program.settings.musicOn, kFalse);
    pressTab();
    QCOMPARE(QApplication::focusWidget()->objectName(), u"lblStart"_s);
    pressKey(QApplication::focusWidget(), Qt::Key_Return);

    QVERIFY(!program.desktop.newGameDialog());
    frmTargame *game = program.desktop.gameWindow();
    QVERIFY(game);
    QCOMPARE(child<QLabel>(game, "lblDiff")->text(), u"простая игра"_s);
    // the keyboard goes on in the game's command box
    QVERIFY(QTest::qWaitForWindowActive(game));
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(game, "txtCon"));
    typeText(QApplication::focusWidget(), u"осм у"_s);
    QCOMPARE(child<QLineEdit>(game, "txtCon")->text(), u"осм урну"_s);
}

void AccessibilityTest::closingTheHelpFromTheKeyboard()
{
    Windows program;
    program.desktop.startGame();
    program.desktop.showHelp();
    frmHelp *help = program.desktop.helpWindow();
    QVERIFY(activate(help));
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(help, "lblExit"));
    pressKey(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!program.desktop.helpWindow());
    QVERIFY(program.desktop.gameWindow());
}

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
