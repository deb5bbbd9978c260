#pragma once

#include "ui/form.h"

namespace tarnvale::ui {

// The frame shared by the help and author windows: the dialog's size and
// outline, the two heading lines and "закрыть" (lblExit), which closes the
// window. Object names: picTitlebar, lblSubtitle, lblTitle, lblExit, Shape1.
class InfoForm : public Form {
    Q_OBJECT
public:
    InfoForm(const QString &name, const QString &title, QWidget *parent);
};

// "помощь": how to play. Further labels lblTip, lblAdvice, lblCredit.
class frmHelp : public InfoForm {
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr);
};

// "автор": who made the game and how to reach him. Further labels
// lblCredit, lblName, lblMail, lblPhone, lblSite, lblDate.
class frmAuthor : public InfoForm {
    Q_OBJECT
public:
    explicit frmAuthor(QWidget *parent = nullptr);
};

} // namespace tarnvale::ui
