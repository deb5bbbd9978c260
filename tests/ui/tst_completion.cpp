// What only the real command box has of the easy game's completion: the
// caret at the end of the completed tail, and a paste from the clipboard.
// The completion itself, key by key, is the transcripts' (completion.txt),
// played through the windows too.
#include "uitest.h"

#include "story/story.h"

#include "ui/frmtargame.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
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
        const ViewedBox engineBox((g).form->program(), "txtCon");                                       \
        QCOMPARE(engineBox.text(), QString(expText));                                                            \
        QCOMPARE(engineBox.selStart(), expStart);                                                                \
        QCOMPARE(engineBox.selLength(), expLength);                                                              \
    } while (false)

} // namespace

class CompletionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void caretStandsAtTheEndOfTheTail();
    void pastedTextIsCompleted();
};

void CompletionTest::caretStandsAtTheEndOfTheTail()
{
    EasyGame game;
    typeText(game.box, u"осм у"_s);
    QCOMPARE_BOX(game, u"осм урну"_s, 5, 3);
    pressKey(game.box, Qt::Key_Backspace);
    QCOMPARE_BOX(game, u"осм ключ"_s, 0, 8);
}

void CompletionTest::pastedTextIsCompleted()
{
    EasyGame game;
    QApplication::clipboard()->setText(u"вставить ди"_s);
    pressKey(game.box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE_BOX(game, u"вставить диск"_s, 11, 2);
}

QTEST_MAIN(CompletionTest)
#include "tst_completion.moc"
