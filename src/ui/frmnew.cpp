#include "ui/frmnew.h"

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

frmNew::frmNew(GameSettings &settings, QWidget *parent)
    : Form(u"frmNew"_s, QSize(4755, 3195), QRect(30, 30, 4695, 3135), parent), m_settings(settings)
{
    setWindowTitle(u"tarnvale"_s);

    addLabel(this, u"lblSubtitle"_s, twipRect(120, 360, 4455, 255), u"консольный текстовый квест"_s);
    addLabel(this, u"lblTitle"_s, twipRect(120, 600, 4455, 255), u"велтарный"_s);
    addLabel(this, u"lblDiffHeading"_s, twipRect(120, 1080, 4455, 255), u"выбирите сложность"_s);
    m_lblHard = addButton(u"lblHard"_s, twipRect(120, 1320, 4455, 255), u"сложная (лучше сначала играть так)"_s);
    m_lblEasy = addButton(u"lblEasy"_s, twipRect(120, 1560, 4455, 255), u"простая (играть не интересно)"_s);
    addLabel(this, u"lblMusHeading"_s, twipRect(120, 2040, 4455, 255), u"музыка в игре"_s);
    m_lblMusOn = addButton(u"lblMusOn"_s, twipRect(120, 2280, 4455, 255), u"включить"_s);
    m_lblNote = addButton(u"lblNote"_s, twipRect(3360, 2280, 1215, 255), u"Win98 only"_s, kGrey);
    m_lblNote->setFont(noteFont());
    m_lblMusOff = addButton(u"lblMusOff"_s, twipRect(120, 2520, 4455, 255), u"отключить"_s);
    auto *start = addButton(u"lblStart"_s, twipRect(120, 2880, 1575, 255), u"начать"_s);
    auto *exit = addButton(u"lblExit"_s, twipRect(3000, 2880, 1575, 255), u"выход"_s);

    connect(m_lblEasy, &LabelButton::clicked, this, &frmNew::lblEasy_Click);
    connect(m_lblHard, &LabelButton::clicked, this, &frmNew::lblHard_Click);
    connect(m_lblMusOff, &LabelButton::clicked, this, &frmNew::lblMusOff_Click);
    connect(m_lblMusOn, &LabelButton::clicked, this, &frmNew::lblMusOn_Click);
    connect(start, &LabelButton::clicked, this, &frmNew::startClicked);
    connect(exit, &LabelButton::clicked, this, &endProgram);
    // the note only explains; clicking it does nothing

    Form_Load();
}

void frmNew::Form_Load()
{
    m_settings.musicOn = kTrue;
    m_settings.easyMode = kFalse;
    setTextColour(m_lblEasy, kUnchosen);
    setTextColour(m_lblHard, kWhite);
    setTextColour(m_lblMusOff, kUnchosen);
    setTextColour(m_lblMusOn, kWhite);
    setTextColour(m_lblNote, kUnchosen);
}

void frmNew::lblEasy_Click()
{
    setTextColour(m_lblHard, kUnchosen);
    setTextColour(m_lblEasy, kWhite);
    m_settings.easyMode = kTrue;
}

void frmNew::lblHard_Click()
{
    setTextColour(m_lblEasy, kUnchosen);
    setTextColour(m_lblHard, kWhite);
    m_settings.easyMode = kFalse;
}

void frmNew::lblMusOff_Click()
{
    setTextColour(m_lblMusOn, kUnchosen);
    setTextColour(m_lblMusOff, kWhite);
    m_settings.musicOn = kFalse;
}

void frmNew::lblMusOn_Click()
{
    setTextColour(m_lblMusOff, kUnchosen);
    setTextColour(m_lblMusOn, kWhite);
    m_settings.musicOn = kTrue;
}

} // namespace tarnvale::ui
