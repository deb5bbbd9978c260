#include "ui/frmnew.h"

#include "ui/accessible.h"
#include "ui/qtstrings.h"

using namespace Qt::Literals::StringLiterals;

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
    QString told = toQString(description().description);
    for (const windows::ChoicePair &pair : windows::kDescription.choicePairs) {
        const windows::Widget *heading = description().find(pair.heading);
        for (const Control c : {pair.first, pair.second}) {
            if (const windows::Widget *choice = description().find(c); choice && button(c)->isChosen())
                told += u" %1: %2."_s.arg(toQString(heading->caption), toQString(choice->caption));
        }
    }
    if (const windows::Widget *start = description().find(description().keyboardControl))
        told += u" Клавиатура на кнопке «%1»."_s.arg(toQString(start->spokenName()));
    setAccessibleDescription(told);
}

} // namespace tarnvale::ui
