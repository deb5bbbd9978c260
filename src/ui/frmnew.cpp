#include "ui/frmnew.h"

namespace tarnvale::ui {

frmNew::frmNew(const Program &program, QWidget *parent)
    : Form(windows::kNewGameDialog, parent), m_program(program)
{
    build();
    refresh();
    // Enter starts the game straight away; Tab walks through the choices.
    button(Control::Start)->setFocus();
}

void frmNew::refresh()
{
    for (const windows::ChoicePair &pair : windows::kChoicePairs) {
        for (const Control choice : {pair.first, pair.second})
            button(choice)->setChosen(m_program.chosen(choice));
    }
    setTextColour(button(Control::Note), kUnchosen);
}

} // namespace tarnvale::ui
