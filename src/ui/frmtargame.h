#pragma once

#include "engine/program.h"
#include "ui/form.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QTextEdit;

namespace tarnvale::ui {

class ConsoleBox;

// The game window: a view of the program's game in progress (or, made with
// a story, of a program of its own whose game it starts at once).
//
// Widgets carry the names the game knows them by, as object names (the
// inventory labels lblInv0 .. lblInv9 also have the property "index").
class frmTargame : public Form {
    Q_OBJECT
public:
    explicit frmTargame(Program &program, QWidget *parent = nullptr);
    frmTargame(GameSettings &settings, const Story &story, std::function<void()> launchMusic = {},
               QWidget *parent = nullptr);
    ~frmTargame() override;

    Program &program() { return m_program; }
    // The keyboard to the input box on screen.
    void focusInputBox();

    // Shows the program's view of the game window in the widgets.
    void refresh();

Q_SIGNALS:
    void newGameClicked();   // "новая"
    void authorClicked();    // "автор"
    void helpClicked();      // "помощь"

private:
    void setUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    QWidget *makeWidget(const windows::Widget &widget) override;

private:
    void showOutput(const QString &text);
    // The input box that is on screen: the command box, or the password box
    // in its place.
    ConsoleBox *visibleBox() const;
    void tellAnswer();
    // What the completion or Up put into the box, told once.
    void tellBox(std::optional<Key> key);
    bool gameOver() const;

    std::unique_ptr<Program> m_ownProgram;
    Program &m_program;
    std::u16string m_shownOutput;
    unsigned m_toldTurns = 0;   // the game's answers told to a screen reader
    int m_toldPhrase = -1;      // and the completed phrase

    QTextEdit *m_txtGame = nullptr;
    QObject *m_lstItems = nullptr;
    ConsoleBox *m_txtCon = nullptr;
    ConsoleBox *m_txtPwd = nullptr;
    QLabel *m_prompt = nullptr;
};

} // namespace tarnvale::ui
