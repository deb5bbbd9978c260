// The easy game's completion as the player meets it: keys and text through
// the real command box, the completed phrase and its selection on screen.
#include "uitest.h"

#include "story/story.h"

#include "ui/frmtargame.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

namespace {

struct EasyGame {
    EasyGame()
    {
        settings.easyMode = kTrue;
        form = new frmTargame(settings, windowTestStory());
        box = child<QLineEdit>(form, "txtCon");
    }
    ~EasyGame() { delete form.data(); }

    GameSettings settings;
    QPointer<frmTargame> form;
    QLineEdit *box;
};

// The box shows text with [start, start + length) selected and the caret at
// the end of the selection, and the engine agrees.
#define QCOMPARE_BOX(g, expText, expStart, expLength)                                                                \
    do {                                                                                                       \
        QCOMPARE((g).box->text(), QString(expText));                                                          \
        QCOMPARE((g).box->hasSelectedText() ? (g).box->selectionStart() : (g).box->cursorPosition(), \
                 expStart);                                                                                       \
        QCOMPARE((g).box->selectionLength(), expLength);                                                      \
        QCOMPARE((g).box->cursorPosition(), (expStart) + (expLength));                                           \
        const TextBox &engineBox = (g).form->game().window().txtCon;                                       \
        QCOMPARE(engineBox.text(), QString(expText));                                                            \
        QCOMPARE(engineBox.selStart(), expStart);                                                                \
        QCOMPARE(engineBox.selLength(), expLength);                                                              \
    } while (false)

} // namespace

class CompletionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dictionaryIsShownInTheHiddenList();
    void firstLetterOffersTheFirstPhrase_data();
    void firstLetterOffersTheFirstPhrase();
    void typingOverTheSelectionNarrowsTheChoice();
    void backspaceShortensACompletedPhrase();
    void backspaceAtTheEndOfAWholePhrase();
    void textThatBeginsNoPhraseStaysAsTyped();
    void escapeLeavesTheBoxEmpty();
    void upArrowRecallsAndCompletes();
    void deleteCannotRemoveTheCompletedTail();
    void pastedTextIsCompleted();
    void hardGameDoesNotComplete();
};

void CompletionTest::dictionaryIsShownInTheHiddenList()
{
    EasyGame game;
    auto *list = child<QListWidget>(game.form, "lstItems");
    QVERIFY(list->isHidden());
    QCOMPARE(list->count(), 223);
    QCOMPARE(list->item(0)->text(), u"осм"_s);
    QCOMPARE(list->item(222)->text(), u"пересыпать дешёвые сигареты"_s);
    QCOMPARE(list->currentRow(), -1);

    typeText(game.box, u"пер"_s);
    QCOMPARE(list->currentRow(), 9);   // "переулок"
    typeText(game.box, u"е"_s);
    QCOMPARE(list->currentRow(), 9);
    typeText(game.box, u"с"_s);
    QCOMPARE(list->currentItem()->text(), u"пересыпать сигареты"_s);
}

void CompletionTest::firstLetterOffersTheFirstPhrase_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("о") << u"о"_s << u"осм"_s;
    QTest::newRow("capital О") << u"О"_s << u"осм"_s;
    QTest::newRow("п") << u"п"_s << u"переулок"_s;
    QTest::newRow("вз: not взглянуть") << u"вз"_s << u"взять ключ"_s;
    QTest::newRow("capital digits") << u"ЗВОНИТЬ 7"_s << u"звонить 729581430"_s;
}

void CompletionTest::firstLetterOffersTheFirstPhrase()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    EasyGame game;
    typeText(game.box, typed);
    QCOMPARE_BOX(game, shown, int(typed.size()), int(shown.size() - typed.size()));
}

void CompletionTest::typingOverTheSelectionNarrowsTheChoice()
{
    EasyGame game;
    typeText(game.box, u"о"_s);
    QCOMPARE_BOX(game, u"осм"_s, 1, 2);
    typeText(game.box, u"см"_s);
    // "осм" typed in full stays "осм", nothing selected
    QCOMPARE_BOX(game, u"осм"_s, 3, 0);
    typeText(game.box, u" у"_s);
    QCOMPARE_BOX(game, u"осм урну"_s, 5, 3);

    pressKey(game.box, Qt::Key_Return);
    QCOMPARE(child<QLabel>(game.form, "lblAction")->text(), u"осм урну"_s);
    QCOMPARE(game.box->text(), QString());
}

void CompletionTest::backspaceShortensACompletedPhrase()
{
    EasyGame game;
    typeText(game.box, u"о"_s);
    pressKey(game.box, Qt::Key_Backspace);
    QCOMPARE_BOX(game, QString(), 0, 0);

    typeText(game.box, u"осм у"_s);
    QCOMPARE_BOX(game, u"осм урну"_s, 5, 3);
    pressKey(game.box, Qt::Key_Backspace);
    QCOMPARE_BOX(game, u"осм ключ"_s, 0, 8);
    pressKey(game.box, Qt::Key_Backspace);
    QCOMPARE_BOX(game, u"осм ключ"_s, 0, 8);
    QCOMPARE(child<QLabel>(game.form, "lblSteps")->text(), u"0 ходов"_s);
}

void CompletionTest::backspaceAtTheEndOfAWholePhrase()
{
    EasyGame game;
    typeText(game.box, u"осмотреть урну"_s);
    QCOMPARE_BOX(game, u"осмотреть урну"_s, 14, 0);
    pressKey(game.box, Qt::Key_Backspace);
    QCOMPARE_BOX(game, u"осмотреть урну"_s, 13, 1);
    // typing the same letter again just confirms it
    typeText(game.box, u"у"_s);
    QCOMPARE_BOX(game, u"осмотреть урну"_s, 14, 0);
}

void CompletionTest::textThatBeginsNoPhraseStaysAsTyped()
{
    EasyGame game;
    typeText(game.box, u"где я?"_s);
    QCOMPARE_BOX(game, u"где я?"_s, 6, 0);
    typeText(game.box, u"xyz"_s);
    QCOMPARE_BOX(game, u"где я?xyz"_s, 9, 0);
}

void CompletionTest::escapeLeavesTheBoxEmpty()
{
    EasyGame game;
    typeText(game.box, u"осм т"_s);
    QCOMPARE_BOX(game, u"осм товар"_s, 5, 4);
    pressKey(game.box, Qt::Key_Escape);
    QCOMPARE_BOX(game, QString(), 0, 0);
}

void CompletionTest::upArrowRecallsAndCompletes()
{
    EasyGame game;
    typeText(game.box, u"осм у"_s);
    pressKey(game.box, Qt::Key_Return);
    pressKey(game.box, Qt::Key_Up);
    QCOMPARE_BOX(game, u"осм урну"_s, 0, 8);

    // a recalled text that begins no phrase stays, with the caret at 0
    typeText(game.box, u"где я"_s);
    QCOMPARE_BOX(game, u"где я"_s, 5, 0);
    pressKey(game.box, Qt::Key_Return);
    pressKey(game.box, Qt::Key_Up);
    QCOMPARE_BOX(game, u"где я"_s, 0, 0);
}

void CompletionTest::deleteCannotRemoveTheCompletedTail()
{
    EasyGame game;
    typeText(game.box, u"ос"_s);
    QCOMPARE_BOX(game, u"осм"_s, 2, 1);
    pressKey(game.box, Qt::Key_Delete);
    QCOMPARE_BOX(game, u"осм"_s, 2, 1);

    // a selection from the start can be deleted, and the rest is completed again
    game.box->setSelection(0, 2);
    pressKey(game.box, Qt::Key_Delete);
    QCOMPARE_BOX(game, u"магазин"_s, 0, 7);
}

void CompletionTest::pastedTextIsCompleted()
{
    EasyGame game;
    QApplication::clipboard()->setText(u"вставить ди"_s);
    pressKey(game.box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE_BOX(game, u"вставить диск"_s, 11, 2);
}

void CompletionTest::hardGameDoesNotComplete()
{
    GameSettings settings;
    QPointer<frmTargame> form = new frmTargame(settings, windowTestStory());
    auto *box = child<QLineEdit>(form, "txtCon");
    QCOMPARE(child<QListWidget>(form, "lstItems")->count(), 0);
    typeText(box, u"о"_s);
    QCOMPARE(box->text(), u"о"_s);
    QVERIFY(!box->hasSelectedText());
    delete form.data();
}

QTEST_MAIN(CompletionTest)
#include "tst_completion.moc"
