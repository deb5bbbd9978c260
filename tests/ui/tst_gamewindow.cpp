// The game window: its layout, the console driven through the real input
// boxes, the password box, dragging by the title strip and "выход".
#include "uitest.h"

#include "story/story.h"

#include "ui/consolebox.h"
#include "ui/form.h"
#include "ui/frmtargame.h"
#include "ui/look.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

namespace {

// The window deletes itself when closed; the fixture only keeps an eye on it.
struct TestWindow {
    explicit TestWindow(bool easy = false)
    {
        settings.easyMode = easy ? kTrue : kFalse;
        form = new frmTargame(settings, windowTestStory());
    }
    ~TestWindow() { delete form.data(); }
    QLineEdit *con() const { return child<QLineEdit>(form, "txtCon"); }
    QLineEdit *pwd() const { return child<QLineEdit>(form, "txtPwd"); }
    QString label(const char *name) const { return child<QLabel>(form, name)->text(); }
    ViewedBox conBox() const { return ViewedBox(form->program(), "txtCon"); }

    GameSettings settings;
    QPointer<frmTargame> form;
};

void submit(QWidget *box, const QString &command)
{
    typeText(box, command);
    pressKey(box, Qt::Key_Return);
}

} // namespace

class GameWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { clickFasterThanAPerson(); }
    void layout_data();
    void layout();
    void windowLooksAsDesigned();
    void startsWithTheOpeningScene();
    void fontFitsTheLayout();

    void enterSubmitsTheTypedCommand();
    void outputShowsEveryReplyFromTheTop();
    void unchangedOutputIsNotRewritten();
    void backspaceAndDelete_data();
    void backspaceAndDelete();
    void escapeAndUpArrow();
    void pasteGoesToTheEngine();
    void pasteStopsAtTheFirstLineBreak_data();
    void pasteStopsAtTheFirstLineBreak();
    void promptAndTypedTextShareABaseline();
    void textSetFromOutsideGoesToTheEngine();
    void gameOverDisablesTheCommandBox();

    void passwordBoxTakesTheCommandBoxPlace();

    void leftButtonDragsTheWindow();
    void otherButtonsDoNotDrag_data();
    void otherButtonsDoNotDrag();

    void exitEndsTheProgram();
};

// ---------------------------------------------------------------------------
// Layout

void GameWindowTest::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QColor>("colour");

    const QColor grey(128, 128, 128);
    const QColor white(255, 255, 255);
    const auto row = [](const char *name, QRect twips, const QString &caption, const QColor &colour) {
        QTest::newRow(name) << QString::fromLatin1(name) << twips << caption << colour;
    };
    row("Label2", {120, 360, 375, 255}, u">>"_s, grey);
    row("lblAction", {480, 360, 4935, 255}, QString(), grey);
    // lblDiff, lblMoney and lblPoints show what the game's load wrote
    row("lblDiff", {5520, 3120, 2175, 375}, u"сложная игра"_s, white);
    row("lblMoney", {5520, 3360, 2175, 375}, u"60 руб."_s, white);
    row("lblSteps", {5520, 3600, 2175, 375}, u"0 ходов"_s, white);
    row("lblPoints", {5520, 3840, 2175, 375}, u"0 очков"_s, white);
    row("lblNew", {5520, 4200, 2175, 255}, u"новая"_s, white);
    row("lblAuthor", {5520, 4440, 2175, 255}, u"автор"_s, white);
    row("lblHelp", {5520, 4680, 2175, 255}, u"помощь"_s, white);
    row("lbExit", {5520, 4920, 2175, 255}, u"выход"_s, white);
    row("Label1", {120, 5280, 255, 255}, u">>"_s, white);
    for (int i = 0; i < 10; ++i) {
        const QByteArray name = "lblInv" + QByteArray::number(i);
        QTest::newRow(name.constData()) << QString::fromLatin1(name) << QRect(5520, 600 + 240 * i, 2175, 255)
                                        << QString() << white;
    }
}

void GameWindowTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(QColor, colour);

    TestWindow w;
    auto *label = w.form->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->geometry(), QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QVERIFY(!label->isHidden());
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().pixelSize(), 13);
    if (name.startsWith(u"lblInv"_s))
        QCOMPARE(label->property("index").toInt(), name.back().digitValue());
}

void GameWindowTest::windowLooksAsDesigned()
{
    TestWindow w;
    frmTargame *form = w.form;
    QCOMPARE(form->objectName(), u"frmTargame"_s);
    QCOMPARE(form->windowTitle(), u"tarnvale"_s);
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form->size(), QSize(521, 377));
    QCOMPARE(form->palette().color(QPalette::Window), QColor(Qt::black));

    const auto geometryOf = [&](const char *name) { return child<QWidget>(form, name)->geometry(); };
    QCOMPARE(geometryOf("picTitlebar"), QRect(2, 2, 517, 17));
    QCOMPARE(geometryOf("txtGame"), QRect(8, 40, 353, 305));
    QCOMPARE(geometryOf("txtCon"), QRect(30, 351, 489, 24));
    QCOMPARE(geometryOf("txtPwd"), QRect(30, 351, 489, 24));
    QCOMPARE(geometryOf("Shape1"), QRect(1, 1, 519, 375));
    QCOMPARE(geometryOf("Line1"), QRect(1, 350, 519, 1));

    // The dictionary is data, never a widget a screen reader could reach.
    QVERIFY(!form->findChild<QWidget *>(u"lstItems"_s));
    QVERIFY(w.pwd()->isHidden());
    QVERIFY(!w.con()->isHidden());
    QVERIFY(w.con()->isEnabled());
    QVERIFY(w.con()->text().isEmpty());

    for (QWidget *box : {static_cast<QWidget *>(w.con()), static_cast<QWidget *>(w.pwd()),
                         static_cast<QWidget *>(child<QTextEdit>(form, "txtGame"))}) {
        QCOMPARE(box->palette().color(QPalette::Base), QColor(Qt::black));
        QCOMPARE(box->palette().color(QPalette::Text), QColor(Qt::white));
    }
    QVERIFY(child<QTextEdit>(form, "txtGame")->isReadOnly());

    // The command box comes first in the tab order and has the focus.
    QCOMPARE(form->focusWidget(), w.con());
    QCOMPARE(w.con()->nextInFocusChain(), w.pwd());
    QCOMPARE(w.pwd()->nextInFocusChain(), child<QWidget>(form, "txtGame"));

    // The label buttons show the hand, nothing else does.
    for (const char *name : {"lblNew", "lblAuthor", "lblHelp", "lbExit"})
        QCOMPARE(child<QLabel>(form, name)->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(child<QLabel>(form, "lblDiff")->cursor().shape(), Qt::ArrowCursor);

    // The title picture is drawn sharp at the screen's scale.
    for (const qreal dpr : {1.0, 1.5, 2.0}) {
        const QPixmap image = titleImage(dpr);
        const QSizeF size = image.deviceIndependentSize();
        QVERIFY(size.width() >= 520 && size.width() < 521);
        QVERIFY(size.height() >= 17 && size.height() < 18);
        QCOMPARE(image.devicePixelRatio(), dpr);
    }
}

void GameWindowTest::startsWithTheOpeningScene()
{
    TestWindow w;
    QCOMPARE(shownOutput(w.form), tarnvaleStory().captions.txtGame);
    QCOMPARE(child<QTextEdit>(w.form, "txtGame")->toPlainText().split(u'\n').size(), 5);
}

void GameWindowTest::fontFitsTheLayout()
{
    // The output was broken into lines by hand for the original face; the
    // face chosen here must keep those lines whole, and the longest item
    // name must fit its inventory slot.
    TestWindow w;
    const QFont font = child<QTextEdit>(w.form, "txtGame")->font();
    const QString family = QFontInfo(font).family().section(u" ["_s, 0, 0);   // without the foundry
    if (!font.families().contains(family))
        QSKIP(qPrintable(u"none of the preferred faces is installed; got "_s + family));

    const QFontMetrics metrics(font);
    auto *output = child<QTextEdit>(w.form, "txtGame");
    const int room = output->width() - output->verticalScrollBar()->sizeHint().width()
                     - 2 * int(output->document()->documentMargin());
    for (const QString &line : toQString(tarnvaleStory().captions.txtGame).split(u"\r\n"_s))
        QVERIFY2(metrics.horizontalAdvance(line) <= room, qPrintable(line));
    QVERIFY(metrics.horizontalAdvance(u"пустая пачка сигарет"_s) <= child<QLabel>(w.form, "lblInv0")->width());
}

// ---------------------------------------------------------------------------
// The console

void GameWindowTest::enterSubmitsTheTypedCommand()
{
    TestWindow w;
    typeText(w.con(), u"взять"_s);
    QCOMPARE(w.con()->text(), u"взять"_s);
    QCOMPARE(w.conBox().text(), u"взять"_s);
    QCOMPARE(w.conBox().selStart(), 5);

    pressKey(w.con(), Qt::Key_Return);
    QCOMPARE(shownOutput(w.form), u"Взял."_s);
    QCOMPARE(w.label("lblSteps"), u"1 ходов"_s);
    QCOMPARE(w.label("lblAction"), u"взять"_s);
    QCOMPARE(w.label("lblInv0"), u"пустая пачка сигарет"_s);
    QCOMPARE(w.con()->text(), QString());

    // a phrase no rule knows, with the keypad's Enter
    typeText(w.con(), u"Взять"_s);
    pressKey(w.con(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(shownOutput(w.form), story::kWords.defaultReply);
    QCOMPARE(w.label("lblSteps"), u"2 ходов"_s);
    QCOMPARE(w.label("lblAction"), u"Взять"_s);

    // an empty command is a move too, and leaves the last command empty
    pressKey(w.con(), Qt::Key_Return);
    QCOMPARE(w.label("lblSteps"), u"3 ходов"_s);
    QCOMPARE(w.label("lblAction"), QString());
    QCOMPARE(stateOf(w.form->program()).moveCount, 3);
}

void GameWindowTest::outputShowsEveryReplyFromTheTop()
{
    TestWindow w;
    auto *output = child<QTextEdit>(w.form, "txtGame");
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form));
    submit(w.con(), u"длинно"_s);
    QCOMPARE(output->document()->blockCount(), 60);
    QCOMPARE(output->document()->firstBlock().text(), kLongReplyFirstLine);
    QVERIFY(output->verticalScrollBar()->maximum() > 0);
    QCOMPARE(output->verticalScrollBar()->value(), 0);

    // a reply arriving while the old one is scrolled down starts at the top
    output->verticalScrollBar()->setValue(output->verticalScrollBar()->maximum());
    submit(w.con(), u"нечто"_s);
    submit(w.con(), u"длинно"_s);
    QCOMPARE(output->verticalScrollBar()->value(), 0);
}

void GameWindowTest::unchangedOutputIsNotRewritten()
{
    TestWindow w;
    auto *output = child<QTextEdit>(w.form, "txtGame");
    QSignalSpy rewrites(output, &QTextEdit::textChanged);
    typeText(w.con(), u"абв"_s);
    pressKey(w.con(), Qt::Key_Backspace);
    pressKey(w.con(), Qt::Key_Escape);
    QCOMPARE(rewrites.count(), 0);
    pressKey(w.con(), Qt::Key_Return);
    QVERIFY(rewrites.count() > 0);
    // the same default reply again is no change
    rewrites.clear();
    pressKey(w.con(), Qt::Key_Return);
    QCOMPARE(rewrites.count(), 0);
}

void GameWindowTest::backspaceAndDelete_data()
{
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");

    // the text is "привет", the selection is made in the widget
    QTest::newRow("backspace, selection at 0: nothing") << 0 << 3 << int(Qt::Key_Backspace) << u"привет"_s << 0;
    QTest::newRow("backspace, selection inside: the letter before it goes too")
        << 2 << 2 << int(Qt::Key_Backspace) << u"п"_s << 0;
    QTest::newRow("backspace, selection at the end")
        << 4 << 2 << int(Qt::Key_Backspace) << u"при"_s << 0;
    QTest::newRow("backspace, caret only") << 3 << 0 << int(Qt::Key_Backspace) << u"првет"_s << 2;
    QTest::newRow("backspace, caret at 0") << 0 << 0 << int(Qt::Key_Backspace) << u"привет"_s << 0;
    QTest::newRow("delete, selection at 0: deleted") << 0 << 3 << int(Qt::Key_Delete) << u"вет"_s << 0;
    QTest::newRow("delete, selection inside: nothing") << 2 << 2 << int(Qt::Key_Delete) << u"привет"_s << 2;
    QTest::newRow("delete, caret only") << 3 << 0 << int(Qt::Key_Delete) << u"приет"_s << 3;
    QTest::newRow("delete, caret at the end") << 6 << 0 << int(Qt::Key_Delete) << u"привет"_s << 6;
}

void GameWindowTest::backspaceAndDelete()
{
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, caret);

    TestWindow w;
    typeText(w.con(), u"привет"_s);
    if (selLength > 0)
        w.con()->setSelection(selStart, selLength);
    else
        w.con()->setCursorPosition(selStart);
    const bool unchanged = text == u"привет"_s;
    pressKey(w.con(), Qt::Key(key));

    QCOMPARE(w.con()->text(), text);
    QCOMPARE(w.conBox().text(), text);
    if (unchanged && selLength > 0) {
        // a swallowed key keeps the selection
        QCOMPARE(w.con()->selectionStart(), selStart);
        QCOMPARE(w.con()->selectionLength(), selLength);
        QCOMPARE(w.conBox().selStart(), selStart);
        QCOMPARE(w.conBox().selLength(), selLength);
    } else {
        QVERIFY(!w.con()->hasSelectedText());
        QCOMPARE(w.con()->cursorPosition(), caret);
        QCOMPARE(w.conBox().selStart(), caret);
    }
    QCOMPARE(w.label("lblSteps"), u"0 ходов"_s);
}

void GameWindowTest::escapeAndUpArrow()
{
    TestWindow w;
    submit(w.con(), u"осмотреться"_s);
    QCOMPARE(w.con()->text(), QString());

    pressKey(w.con(), Qt::Key_Up);
    QCOMPARE(w.con()->text(), u"осмотреться"_s);
    QCOMPARE(w.con()->cursorPosition(), 0);   // the program's change puts the caret at 0
    QVERIFY(!w.con()->hasSelectedText());

    typeText(w.con(), u"ну и "_s);
    QCOMPARE(w.con()->text(), u"ну и осмотреться"_s);
    pressKey(w.con(), Qt::Key_Escape);
    QCOMPARE(w.con()->text(), QString());
    QCOMPARE(w.conBox().text(), QString());

    // Up again: the same command, submitted again as a new move
    pressKey(w.con(), Qt::Key_Up);
    pressKey(w.con(), Qt::Key_Return);
    QCOMPARE(w.label("lblSteps"), u"2 ходов"_s);
    QCOMPARE(w.label("lblAction"), u"осмотреться"_s);
}

void GameWindowTest::pasteGoesToTheEngine()
{
    TestWindow w;
    QApplication::clipboard()->setText(u"взять"_s);
    typeText(w.con(), u"!"_s);
    w.con()->selectAll();
    pressKey(w.con(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(w.con()->text(), u"взять"_s);
    QCOMPARE(w.conBox().text(), u"взять"_s);
    QCOMPARE(w.conBox().selStart(), 5);
    pressKey(w.con(), Qt::Key_Return);
    QCOMPARE(w.label("lblInv0"), u"пустая пачка сигарет"_s);
}

void GameWindowTest::pasteStopsAtTheFirstLineBreak_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("expected");
    QTest::newRow("line feed at the end") << QString() << u"взять\n"_s << u"взять"_s;
    QTest::newRow("CR LF at the end") << QString() << u"взять\r\n"_s << u"взять"_s;
    QTest::newRow("carriage return, then more") << QString() << u"взять\rи ещё"_s << u"взять"_s;
    QTest::newRow("several lines") << QString() << u"взять\nконец\nдлинно"_s << u"взять"_s;
    QTest::newRow("line separator") << QString() << u"взять\u2028конец"_s << u"взять"_s;
    QTest::newRow("paragraph separator") << QString() << u"взять\u2029"_s << u"взять"_s;
    QTest::newRow("after typed letters") << u"вз"_s << u"ять\r\n"_s << u"взять"_s;
    QTest::newRow("nothing before the break") << u"взять"_s << u"\nконец"_s << u"взять"_s;
}

void GameWindowTest::pasteStopsAtTheFirstLineBreak()
{
    QFETCH(QString, typed);
    QFETCH(QString, clipboard);
    QFETCH(QString, expected);
    for (const char *name : {"txtCon", "txtPwd"}) {
        TestWindow w;
        if (name == QByteArrayView("txtPwd"))
            submit(w.con(), u"компьютер"_s);
        auto *box = child<QLineEdit>(w.form, name);
        QVERIFY(!box->isHidden());
        typeText(box, typed);
        QApplication::clipboard()->setText(clipboard);
        pressKey(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), expected);
        QCOMPARE(box->cursorPosition(), expected.size());
        const ViewedBox engine(w.form->program(), name == QByteArrayView("txtCon") ? "txtCon" : "txtPwd");
        QCOMPARE(engine.text(), expected);
        QCOMPARE(engine.selStart(), int(expected.size()));
        // and Enter submits what is shown
        pressKey(box, Qt::Key_Return);
        QCOMPARE(w.label("lblAction"), expected);
    }
}

void GameWindowTest::promptAndTypedTextShareABaseline()
{
    // The same two characters in the prompt and in each box: their ink
    // stands on the same rows.
    TestWindow w;
    const auto inkRows = [](const QImage &image, const QRect &area) {
        int top = -1;
        int bottom = -1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixelColor(x, y) != QColor(Qt::black)) {
                    if (top < 0)
                        top = y;
                    bottom = y;
                    break;
                }
            }
        }
        return std::pair(top, bottom);
    };
    auto *prompt = child<QLabel>(w.form, "Label1");
    for (const char *name : {"txtCon", "txtPwd"}) {
        if (name == QByteArrayView("txtPwd"))
            submit(w.con(), u"компьютер"_s);
        auto *box = child<QLineEdit>(w.form, name);
        QVERIFY(!box->isHidden());
        typeText(box, u">>"_s);
        const QImage image = w.form->grab().toImage();
        const QRect boxText(box->x(), box->y(), 40, box->height());
        const auto [promptTop, promptBottom] = inkRows(image, prompt->geometry());
        const auto [boxTop, boxBottom] = inkRows(image, boxText);
        QVERIFY(promptTop >= 0 && boxTop >= 0);
        QCOMPARE(boxBottom, promptBottom);
        QCOMPARE(boxTop, promptTop);
        QCOMPARE(box->y() + static_cast<ConsoleBox *>(box)->textBaseline(),
                 prompt->y() + prompt->fontMetrics().ascent());
        pressKey(box, Qt::Key_Escape);
    }
}

void GameWindowTest::textSetFromOutsideGoesToTheEngine()
{
    // A screen reader or dictation sets the text without any key press.
    TestWindow w;
    w.con()->setText(u"взять"_s);
    QCOMPARE(w.conBox().text(), u"взять"_s);
    pressKey(w.con(), Qt::Key_Return);
    QCOMPARE(w.label("lblAction"), u"взять"_s);
    QCOMPARE(w.label("lblInv0"), u"пустая пачка сигарет"_s);
}

void GameWindowTest::gameOverDisablesTheCommandBox()
{
    TestWindow w;
    submit(w.con(), u"взять"_s);
    submit(w.con(), u"конец"_s);
    QVERIFY(!w.con()->isEnabled());
    QCOMPARE(w.con()->text(), QString());
    QCOMPARE(w.label("lblSteps"), u"2 ходов"_s);
    QCOMPARE(w.label("lblAction"), u"конец"_s);
    QVERIFY(shownOutput(w.form).endsWith(u"\r\nИгра Окончена."_s));
    QCOMPARE(w.label("lblInv0"), u"пустая пачка сигарет"_s);

    typeText(w.con(), u"взять"_s);
    pressKey(w.con(), Qt::Key_Return);
    QCOMPARE(w.con()->text(), QString());
    QCOMPARE(w.label("lblSteps"), u"2 ходов"_s);
}

// ---------------------------------------------------------------------------
// The password box

void GameWindowTest::passwordBoxTakesTheCommandBoxPlace()
{
    TestWindow w;
    w.form->show();
    QApplication::setActiveWindow(w.form);
    QVERIFY(QTest::qWaitForWindowActive(w.form));
    QCOMPARE(QApplication::focusWidget(), w.con());

    submit(w.con(), u"компьютер"_s);
    QVERIFY(w.con()->isHidden());
    QVERIFY(!w.pwd()->isHidden());
    QCOMPARE(QApplication::focusWidget(), w.pwd());
    QCOMPARE(w.label("lblSteps"), u"1 ходов"_s);

    // before any attempt, Up brings back the command that switched it on
    pressKey(w.pwd(), Qt::Key_Up);
    QCOMPARE(w.pwd()->text(), u"компьютер"_s);
    pressKey(w.pwd(), Qt::Key_Escape);
    QCOMPARE(w.pwd()->text(), QString());

    // a wrong attempt: shown as the last command, no move
    typeText(w.pwd(), u"Lyra"_s);
    QCOMPARE(ViewedBox(w.form->program(), "txtPwd").text(), u"Lyra"_s);
    pressKey(w.pwd(), Qt::Key_Return);
    QCOMPARE(w.pwd()->text(), QString());
    QCOMPARE(w.label("lblAction"), u"Lyra"_s);
    QCOMPARE(w.label("lblSteps"), u"1 ходов"_s);
    QCOMPARE(shownOutput(w.form), u"Пароль неверный.\r\nВведите пароль:"_s);
    QVERIFY(!w.pwd()->isHidden());

    // Up recalls the attempt; Backspace edits it as a plain text box would
    pressKey(w.pwd(), Qt::Key_Up);
    QCOMPARE(w.pwd()->text(), u"Lyra"_s);
    w.pwd()->setSelection(0, 1);
    pressKey(w.pwd(), Qt::Key_Backspace);
    QCOMPARE(w.pwd()->text(), u"yra"_s);
    QCOMPARE(w.pwd()->cursorPosition(), 0);
    typeText(w.pwd(), u"l"_s);
    pressKey(w.pwd(), Qt::Key_Return);
    QCOMPARE(shownOutput(w.form), u"принято"_s);
    QVERIFY(w.pwd()->isHidden());
    QVERIFY(!w.con()->isHidden());
    QCOMPARE(QApplication::focusWidget(), w.con());
    QCOMPARE(w.label("lblAction"), u"lyra"_s);

    submit(w.con(), u"взять"_s);
    QCOMPARE(w.label("lblSteps"), u"2 ходов"_s);
}

// ---------------------------------------------------------------------------
// Dragging

void GameWindowTest::leftButtonDragsTheWindow()
{
    TestWindow w;
    w.form->move(100, 100);
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form));
    auto *strip = child<TitleBar>(w.form, "picTitlebar");
    const QPoint start = w.form->pos();

    // Without a window manager's move the window follows the pointer.
    QVERIFY(!w.form->windowHandle()->startSystemMove());
    QTest::mousePress(strip, Qt::LeftButton, Qt::NoModifier, QPoint(50, 8));
    moveMouse(strip, QPoint(60, 13), Qt::LeftButton);
    QCOMPARE(w.form->pos(), start + QPoint(10, 5));
    // the strip moved with the window: the pointer is at (50, 8) of it again
    moveMouse(strip, QPoint(20, 8), Qt::LeftButton);
    QCOMPARE(w.form->pos(), start + QPoint(-20, 5));
    QTest::mouseRelease(strip, Qt::LeftButton, Qt::NoModifier, QPoint(50, 8));

    // after the release nothing moves any more
    moveMouse(strip, QPoint(70, 8), Qt::NoButton);
    QCOMPARE(w.form->pos(), start + QPoint(-20, 5));
}

void GameWindowTest::otherButtonsDoNotDrag_data()
{
    QTest::addColumn<int>("pressed");
    QTest::addColumn<int>("held");
    QTest::newRow("no button") << int(Qt::NoButton) << int(Qt::NoButton);
    QTest::newRow("right button") << int(Qt::RightButton) << int(Qt::RightButton);
    QTest::newRow("middle button") << int(Qt::MiddleButton) << int(Qt::MiddleButton);
    QTest::newRow("left and right") << int(Qt::LeftButton) << int(Qt::LeftButton | Qt::RightButton);
}

void GameWindowTest::otherButtonsDoNotDrag()
{
    QFETCH(int, pressed);
    QFETCH(int, held);
    TestWindow w;
    w.form->move(100, 100);
    w.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form));
    auto *strip = child<TitleBar>(w.form, "picTitlebar");
    const QPoint start = w.form->pos();

    if (pressed != Qt::NoButton)
        QTest::mousePress(strip, Qt::MouseButton(pressed), Qt::NoModifier, QPoint(50, 8));
    moveMouse(strip, QPoint(80, 12), Qt::MouseButtons(held));
    moveMouse(strip, QPoint(120, 2), Qt::MouseButtons(held));
    QCOMPARE(w.form->pos(), start);
    if (pressed != Qt::NoButton)
        QTest::mouseRelease(strip, Qt::MouseButton(pressed), Qt::NoModifier, QPoint(120, 2));
}

// ---------------------------------------------------------------------------
// "выход"

void GameWindowTest::exitEndsTheProgram()
{
    TestWindow w;
    GameSettings otherSettings;
    QPointer<frmTargame> other = new frmTargame(otherSettings, windowTestStory());
    w.form->show();
    other->show();
    auto *exit = child<QLabel>(w.form, "lbExit");
    QTimer::singleShot(0, exit, [exit] { QTest::mouseClick(exit, Qt::LeftButton); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w.form.isNull());
    QVERIFY(other.isNull());
}

QTEST_MAIN(GameWindowTest)
#include "tst_gamewindow.moc"
