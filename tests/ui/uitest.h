#pragma once

#include "engine/program.h"
#include "engine/rules.h"
#include "qtcompare.h"

#include <QString>
#include <QTest>
#include <QWidget>

namespace tarnvale::ui::test {

// Types the text into the widget one key press at a time, each press
// carrying its character (Cyrillic included), as a keyboard would.
void typeText(QWidget *widget, const QString &text);

// A key that carries no text (Enter, Esc, the arrows, Backspace, Delete).
void pressKey(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Sends a mouse move with the given buttons held to the widget, the pointer
// at pos in the widget's coordinates.
void moveMouse(QWidget *widget, const QPoint &pos, Qt::MouseButtons buttons);

// These tests click through the windows far faster than a person does. The
// windows ignore presses for the platform's double-click interval after they
// appear (Form::takesPresses), so a test that clicks into a window at once
// sets that interval to nothing; the tests of the guard itself keep it.
void clickFasterThanAPerson();

// Keeps out of the log the notice that the offscreen platform gives every
// time a window is brought to the front again (it cannot raise windows).
void quietAboutRaise();

// A small story for the window tests, independent of the real one:
// "компьютер" asks for the password ("lyra"), "конец" ends the game,
// "взять" puts "пустая пачка сигарет" into the inventory, "длинно" gives a
// reply of sixty lines; any other command keeps the default reply.
const Story &windowTestStory();

inline const QString kLongReplyFirstLine = QStringLiteral("строка 1");

// The output box's text as the engine holds it, with CR LF line breaks.
QString shownOutput(const QWidget *window);

// A widget of the game window as the program has it (its text, its
// selection), and the game's state record, while the game's window is open.
class ViewedBox {
public:
    ViewedBox(Program &program, std::string_view name) : m_program(program), m_name(name) {}
    std::u16string text() const { return std::u16string(widget().text); }
    int selStart() const { return widget().start; }
    int selLength() const { return widget().length; }

private:
    const WidgetView &widget() const { return *m_program.view().find(Window::Game, m_name); }
    Program &m_program;
    std::string_view m_name;
};
const GameState &stateOf(Program &program);

// A child widget by name, failing the test when it is missing.
template <typename T>
T *child(const QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qWarning("no child %s", name);
    return found;
}

} // namespace tarnvale::ui::test
