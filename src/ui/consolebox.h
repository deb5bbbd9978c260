#pragma once

#include <QLineEdit>

#include "engine/program.h"

#include <functional>
#include <optional>
#include <utility>

namespace tarnvale::ui {

// One of the game window's input boxes (the command box or the password box)
// as a view of the engine's text box. The keys the game handles (Enter, Esc,
// Up, Backspace, Delete) go to the engine and never to the widget; everything
// else the widget edits as usual, and each edit is handed to the engine,
// whose answer (the completion, for one) the window then shows.
class ConsoleBox : public QLineEdit {
    Q_OBJECT
public:
    // `name` is the box's in the description (txtCon, txtPwd). afterInput
    // runs once the program has taken a key or an edit; it is expected to
    // show the program's view again (showBox among the rest).
    ConsoleBox(QWidget *parent, Program &program, std::string_view name, std::function<void()> afterInput);

    // Makes the widget show the box as the view has it: text, caret,
    // selection, visibility and enabled state. Nothing is rewritten that
    // already agrees.
    void showBox(const WidgetView &box);

    // The game's key for a key press, none for the keys the widget edits with.
    static std::optional<Key> gameKey(int qtKey);

    // Where the baseline of the typed text lies, from the box's top edge.
    int textBaseline() const;

    // The game's key of the last input, if it was one (none after an edit);
    // forgotten once asked for.
    std::optional<Key> takeLastKey() { return std::exchange(m_lastKey, std::nullopt); }

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The box as the program has it now.
    const WidgetView *viewedBox() const;
    void tellSelection();
    void takeEdit(const QString &text);
    void finishInput();

    Program &m_program;
    std::string_view m_name;
    std::function<void()> m_afterInput;
    int m_eventDepth = 0;
    bool m_engineTouched = false;
    std::optional<Key> m_lastKey;
};

} // namespace tarnvale::ui
