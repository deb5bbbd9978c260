#include "ui/frmnew.h"

#include "app/qtstrings.h"
#include "story/credits.h"
#include "ui/accessible.h"

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

frmNew::frmNew(GameSettings &settings, QWidget *parent)
    : Form(u"frmNew"_s, QSize(4755, 3195), QRect(30, 30, 4695, 3135), parent), m_settings(settings)
{
    setWindowTitle(u"tarnvale"_s);
    describe(this, u"tarnvale: новая игра"_s, u"Выбери сложность и музыку и начни игру."_s);

    addLabel(this, u"lblSubtitle"_s, twipRect(120, 360, 4455, 255), toQString(credits::kSubtitle));
    addLabel(this, u"lblTitle"_s, twipRect(120, 600, 4455, 255), toQString(credits::kTitle));
    addLabel(this, u"lblDiffHeading"_s, twipRect(120, 1080, 4455, 255), u"выбирите сложность"_s);
    m_lblHard = addButton(u"lblHard"_s, twipRect(120, 1320, 4455, 255), u"сложная (лучше сначала играть так)"_s);
    m_lblEasy = addButton(u"lblEasy"_s, twipRect(120, 1560, 4455, 255), u"простая (играть не интересно)"_s);
    addLabel(this, u"lblMusHeading"_s, twipRect(120, 2040, 4455, 255), u"музыка в игре"_s);
    m_lblMusOn = addButton(u"lblMusOn"_s, twipRect(120, 2280, 4455, 255), u"включить"_s);
    m_lblNote = addButton(u"lblNote"_s, twipRect(3360, 2280, 1215, 255), u"Win98 only"_s, kGrey);
    m_lblNote->setFont(noteFont());
    m_lblNote->setPlainNote(true);
    describe(m_lblNote, u"примечание: музыка играет только в Windows 98"_s);
    m_lblMusOff = addButton(u"lblMusOff"_s, twipRect(120, 2520, 4455, 255), u"отключить"_s);
    auto *start = addButton(u"lblStart"_s, twipRect(120, 2880, 1575, 255), u"начать"_s);
    auto *exit = addButton(u"lblExit"_s, twipRect(3000, 2880, 1575, 255), u"выход"_s);

    // The choices are two pairs of radio buttons for screen readers.
    for (LabelButton *choice : {m_lblHard, m_lblEasy, m_lblMusOn, m_lblMusOff})
        choice->setCheckable(true);
    describe(m_lblHard, u"сложная игра"_s, u"Сложность: фразы набираются целиком. Лучше сначала играть так."_s);
    describe(m_lblEasy, u"простая игра"_s, u"Сложность: командная строка дописывает фразы сама."_s);
    describe(m_lblMusOn, u"включить музыку"_s);
    describe(m_lblMusOff, u"отключить музыку"_s);
    describe(start, u"начать игру"_s, u"Начать игру с выбранной сложностью и музыкой."_s);
    describe(exit, u"выход"_s, u"Закрыть игру."_s);

    connect(m_lblEasy, &LabelButton::clicked, this, &frmNew::lblEasy_Click);
    connect(m_lblHard, &LabelButton::clicked, this, &frmNew::lblHard_Click);
    connect(m_lblMusOff, &LabelButton::clicked, this, &frmNew::lblMusOff_Click);
    connect(m_lblMusOn, &LabelButton::clicked, this, &frmNew::lblMusOn_Click);
    connect(start, &LabelButton::clicked, this, &frmNew::startClicked);
    connect(exit, &LabelButton::clicked, this, &endProgram);
    // the note only explains; clicking it does nothing

    Form_Load();
    // Enter starts the game straight away; Tab walks through the choices.
    start->setFocus();
}

void frmNew::Form_Load()
{
    m_settings.musicOn = kTrue;
    m_settings.easyMode = kFalse;
    m_lblEasy->setChosen(false);
    m_lblHard->setChosen(true);
    m_lblMusOff->setChosen(false);
    m_lblMusOn->setChosen(true);
    setTextColour(m_lblNote, kUnchosen);
}

void frmNew::lblEasy_Click()
{
    m_lblHard->setChosen(false);
    m_lblEasy->setChosen(true);
    m_settings.easyMode = kTrue;
}

void frmNew::lblHard_Click()
{
    m_lblEasy->setChosen(false);
    m_lblHard->setChosen(true);
    m_settings.easyMode = kFalse;
}

void frmNew::lblMusOff_Click()
{
    m_lblMusOn->setChosen(false);
    m_lblMusOff->setChosen(true);
    m_settings.musicOn = kFalse;
}

void frmNew::lblMusOn_Click()
{
    m_lblMusOff->setChosen(false);
    m_lblMusOn->setChosen(true);
    m_settings.musicOn = kTrue;
}

} // namespace tarnvale::ui
