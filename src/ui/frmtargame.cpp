#include "ui/frmtargame.h"

#include "ui/qtstrings.h"
#include "ui/accessible.h"
#include "ui/consolebox.h"

#include <QEvent>
#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

namespace {

// A thin white scroll bar for the rare reply longer than the output box.
const QString kScrollBarStyle = u"QScrollBar:vertical { background: black; width: 10px; margin: 0; "
                                u"border-left: 1px solid white; }"
                                u"QScrollBar::handle:vertical { background: white; min-height: 16px; "
                                u"margin: 2px 2px 2px 3px; }"
                                u"QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical "
                                u"{ height: 0; border: none; }"
                                u"QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical "
                                u"{ background: black; }"_s;

} // namespace

frmTargame::frmTargame(Game &game, QWidget *parent) : Form(windows::kGameWindow, parent), m_game(game)
{
    setUp();
}

frmTargame::frmTargame(GameSettings &settings, const Story &story, std::function<void()> launchMusic,
                       QWidget *parent)
    : Form(windows::kGameWindow, parent),
      m_ownGame(std::make_unique<Game>(settings, story, std::move(launchMusic))), m_game(*m_ownGame)
{
    setUp();
    // A window of its own, with no program around it: "выход" still ends
    // the program at once.
    connect(this, &Form::pressed, this, [](Control control) {
        if (control == Control::Exit)
            endProgram();
    });
}

void frmTargame::setUp()
{
    build();
    const auto label = [this](const char *name) { return findChild<QLabel *>(QString::fromLatin1(name)); };
    m_lblAction = label("lblAction");
    for (int i = 0; i < kInventorySlots; ++i) {
        m_lblInv[std::size_t(i)] = label(windows::kInventoryNames[i].data());
        m_lblInv[std::size_t(i)]->setProperty("index", i);
    }
    m_lblDiff = label("lblDiff");
    m_lblMoney = label("lblMoney");
    m_lblSteps = label("lblSteps");
    m_lblPoints = label("lblPoints");
    m_prompt = label("Label1");
    // The prompt stands on the typed text's baseline.
    m_prompt->move(m_prompt->x(),
                   m_txtCon->y() + m_txtCon->textBaseline() - QFontMetrics(m_prompt->font()).ascent());

    connect(this, &Form::pressed, this, [this](Control control) {
        switch (control) {
        case Control::New: Q_EMIT newGameClicked(); break;
        case Control::Author: Q_EMIT authorClicked(); break;
        case Control::Help: Q_EMIT helpClicked(); break;
        default: break;
        }
    });

    m_txtCon->setFocus();
    refresh();
}

QWidget *frmTargame::makeWidget(const windows::Widget &widget)
{
    const QRect geometry = twipRect(widget.rect.left, widget.rect.top, widget.rect.width, widget.rect.height);
    const QString name = QString::fromLatin1(widget.name);
    if (widget.kind == windows::Kind::Input) {
        const bool password = widget.name == "txtPwd";
        auto *box = new ConsoleBox(this, m_game, password ? ConsoleBox::Which::Password : ConsoleBox::Which::Command,
                                   [this] { refresh(); });
        box->setObjectName(name);
        box->setGeometry(geometry);
        box->setVisible(!password);
        box->installEventFilter(this);   // for the answer not yet told when it takes the keyboard
        (password ? m_txtPwd : m_txtCon) = box;
        return box;
    }
    if (widget.kind == windows::Kind::List) {
        m_lstItems = new QListWidget(this);
        m_lstItems->setObjectName(name);
        m_lstItems->setGeometry(geometry);
        m_lstItems->setFocusPolicy(Qt::NoFocus);
        m_lstItems->hide();
        return m_lstItems;
    }
    m_txtGame = new QTextEdit(this);
    m_txtGame->setObjectName(name);
    m_txtGame->setGeometry(geometry);
    m_txtGame->setReadOnly(true);
    // Read-only, but the caret walks through the text from the keyboard, so
    // that it can be read line by line.
    m_txtGame->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_txtGame->setAcceptRichText(false);
    m_txtGame->setUndoRedoEnabled(false);
    m_txtGame->setFrameShape(QFrame::NoFrame);
    m_txtGame->setLineWrapMode(QTextEdit::WidgetWidth);
    m_txtGame->setWordWrapMode(QTextOption::WordWrap);
    m_txtGame->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtGame->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_txtGame->verticalScrollBar()->setStyleSheet(kScrollBarStyle);
    m_txtGame->document()->setDocumentMargin(2);
    // Tab reaches it for reading; a click (to select, or by mistake) does not
    // take the keyboard from the input box and gives it back if it was here.
    m_txtGame->setFocusPolicy(Qt::TabFocus);
    m_txtGame->viewport()->installEventFilter(this);
    return m_txtGame;
}

frmTargame::~frmTargame() = default;

void frmTargame::refresh()
{
    const GameWindow &shown = m_game.window();

    if (shown.txtGame != m_shownOutput) {
        m_shownOutput = shown.txtGame;
        showOutput(toQString(shown.txtGame));
    }

    setCaption(m_lblAction, qtView(shown.lblAction));
    for (std::size_t i = 0; i < m_lblInv.size(); ++i) {
        setCaption(m_lblInv[i], qtView(shown.lblInv[i]));
        // Tab stops at the items carried, not at the empty slots.
        m_lblInv[i]->setFocusPolicy(shown.lblInv[i].empty() ? Qt::NoFocus : Qt::TabFocus);
    }
    setCaption(m_lblDiff, qtView(shown.lblDiff));
    setCaption(m_lblMoney, qtView(shown.lblMoney));
    setCaption(m_lblSteps, qtView(shown.lblSteps));
    setCaption(m_lblPoints, qtView(shown.lblPoints));

    if (m_lstItems->count() != shown.lstItems.size()) {
        m_lstItems->clear();
        for (std::u16string_view phrase : shown.lstItems)
            m_lstItems->addItem(toQString(phrase));
    }
    if (m_lstItems->currentRow() != shown.lstItemsIndex)
        m_lstItems->setCurrentRow(shown.lstItemsIndex);

    // The box that appears is shown before the other one hides, and takes
    // the keyboard focus with it.
    const bool passwordBefore = !m_txtPwd->isHidden();
    if (shown.txtPwd.visible) {
        m_txtPwd->showBox(shown.txtPwd);
        m_txtCon->showBox(shown.txtCon);
    } else {
        m_txtCon->showBox(shown.txtCon);
        m_txtPwd->showBox(shown.txtPwd);
    }
    if (passwordBefore != shown.txtPwd.visible)
        visibleBox()->setFocus();
    tellAnswer();
    // A box that takes no input looks it: its prompt goes grey with its text.
    if (m_prompt)
        setTextColour(m_prompt, visibleBox()->isEnabled() ? kWhite : kGrey);
}

void frmTargame::focusInputBox()
{
    visibleBox()->setFocus(Qt::OtherFocusReason);
}

ConsoleBox *frmTargame::visibleBox() const
{
    return m_txtPwd->isHidden() ? m_txtCon : m_txtPwd;
}

void frmTargame::tellAnswer()
{
    // A screen reader hears every answer once, where the player is, also
    // when it is the same as the last one: the opening scene once the
    // command box has the keyboard, every reply as it comes.
    if (m_game.turns() != m_toldTurns && visibleBox()->hasFocus()) {
        m_toldTurns = m_game.turns();
        announce(visibleBox(), toQString(m_game.answer()));
    }
}

bool frmTargame::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_txtCon || watched == m_txtPwd) && event->type() == QEvent::FocusIn)
        QMetaObject::invokeMethod(this, &frmTargame::tellAnswer, Qt::QueuedConnection);
    if (watched == m_txtGame->viewport() && event->type() == QEvent::MouseButtonPress) {
        if (ConsoleBox *box = visibleBox(); box->isEnabled())
            box->setFocus(Qt::MouseFocusReason);
    }
    return Form::eventFilter(watched, event);
}

void frmTargame::showOutput(const QString &text)
{
    // One edit: the old reply out, the new one in, its lines kLinePitch apart.
    QTextBlockFormat lines;
    lines.setLineHeight(kLinePitch, QTextBlockFormat::FixedHeight);
    QTextCursor cursor(m_txtGame->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(lines);
    cursor.insertText(QString(text).replace(u"\r\n"_s, u"\n"_s));
    cursor.endEditBlock();
    if (m_game.window().txtCon.enabled) {
        // Every reply is read from its first line.
        m_txtGame->moveCursor(QTextCursor::Start);
        m_txtGame->verticalScrollBar()->setValue(0);
    } else {
        // The game is over: its closing lines, at the end, are what must be
        // seen, with as much of the scene above them as fits.
        m_txtGame->moveCursor(QTextCursor::End);
        m_txtGame->verticalScrollBar()->setValue(m_txtGame->verticalScrollBar()->maximum());
    }
}

} // namespace tarnvale::ui
