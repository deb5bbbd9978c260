#include "ui/frmnew.h"

#include "ui/qtstrings.h"

namespace tarnvale::ui {

frmNew::frmNew(Program &program, QWidget *parent) : Form(windows::kNewGameDialog, parent), m_program(program)
{
    build();
    refresh();
    // The dialog comes up with the keyboard where the description says
    // (on "начать", so that Enter starts); Tab walks through the choices.
    button(description().keyboardControl)->setFocus();
}

void frmNew::refresh()
{
    const WindowView *shown = m_program.view().find(Window::Dialog);
    if (!shown)
        return;
    for (const WidgetView &w : shown->widgets) {
        if (w.widget->kind == windows::Kind::Choice)
            button(w.widget->control)->setChosen(w.chosen);
    }
    setTextColour(button(Control::Note), kUnchosen);

    // A screen reader reads the dialog's description as it comes up: what
    // it is for, the choices made, and the button with the keyboard.
    setAccessibleDescription(toQString(shown->spokenDescription(*m_program.story().windows)));
}

} // namespace tarnvale::ui
