#pragma once

#include "engine/gamestate.h"
#include "ui/form.h"

namespace tarnvale::ui {

// The new-game dialog: difficulty and music, then "начать". Every opening
// is a new dialog whose load sets a hard game with music, whatever was chosen
// before.
//
// Object names: picTitlebar, lblSubtitle, lblTitle, lblDiffHeading, lblHard,
// lblEasy, lblMusHeading, lblMusOn, lblNote, lblMusOff, lblStart, lblExit and
// Shape1.
class frmNew : public Form {
    Q_OBJECT
public:
    explicit frmNew(GameSettings &settings, QWidget *parent = nullptr);

Q_SIGNALS:
    void startClicked();   // "начать"

private:
    void Form_Load();
    void lblEasy_Click();
    void lblHard_Click();
    void lblMusOff_Click();
    void lblMusOn_Click();

    GameSettings &m_settings;
    LabelButton *m_lblHard;
    LabelButton *m_lblEasy;
    LabelButton *m_lblMusOn;
    LabelButton *m_lblMusOff;
    LabelButton *m_lblNote;
};

} // namespace tarnvale::ui
