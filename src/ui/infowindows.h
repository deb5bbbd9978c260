#pragma once

#include "ui/form.h"

namespace tarnvale::ui {

// "помощь" (how to play) and "автор" (who made the game): the dialog's frame,
// the two heading lines, their text and "закрыть".
class frmHelp : public Form {
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr) : Form(windows::kHelpWindow, parent) { build(); }
};

class frmAuthor : public Form {
    Q_OBJECT
public:
    explicit frmAuthor(QWidget *parent = nullptr) : Form(windows::kAuthorWindow, parent) { build(); }
};

} // namespace tarnvale::ui
