#pragma once

#include "ui/form.h"

namespace tarnvale::ui {

// The new-game dialog: difficulty and music, then "начать". It shows the
// program's choices; what its buttons do is the program's.
class frmNew : public Form {
    Q_OBJECT
public:
    explicit frmNew(Program &program, QWidget *parent = nullptr);

    // Shows which choice of each pair is taken.
    void refresh();

private:
    Program &m_program;
};

} // namespace tarnvale::ui
