#include "ui/frmtargame.h"

#include "ui/qtstrings.h"
#include "ui/accessible.h"
#include "ui/consolebox.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
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

frmTargame::frmTargame(Program &program, QWidget *parent) : Form(windows::kGameWindow, parent), m_program(program)
{
    setUp();
}

namespace {

// A program of its own whose game starts at once with the settings given.
std::unique_ptr<Program> ownProgram(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
{
    const GameSettings chosen = settings;
    auto program = std::make_unique<Program>(settings, story, std::move(launchMusic));
    program->start();
    program->press(Window::Dialog, chosen.easyMode != kFalse ? Control::Easy : Control::Hard, 0);
    program->press(Window::Dialog, chosen.musicOn != kFalse ? Control::MusicOn : Control::MusicOff, 0);
    program->press(Window::Dialog, Control::Start, 0);
    return program;
}

} // namespace

frmTargame::frmTargame(GameSettings &settings, const Story &story, std::function<void()> launchMusic,
                       QWidget *parent)
    : Form(windows::kGameWindow, parent),
      m_ownProgram(ownProgram(settings, story, std::move(launchMusic))), m_program(*m_ownProgram)
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
    for (int i = 0; i < int(std::size(windows::kInventoryNames)); ++i)
        label(windows::kInventoryNames[i].data())->setProperty("index", i);
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
        auto *box = new ConsoleBox(this, m_program, widget.name, [this] { refresh(); });
        box->setObjectName(name);
        box->setGeometry(geometry);
        box->setVisible(!password);
        box->installEventFilter(this);   // for the answer not yet told when it takes the keyboard
        (password ? m_txtPwd : m_txtCon) = box;
        return box;
    }
    if (widget.kind == windows::Kind::List) {
        // The easy game's dictionary is never shown, so it is no widget (a
        // hidden list would still reach a screen reader, and take its focus
        // as the completion moves through it): its phrases and the selected
        // one, as the properties "phrases" and "currentRow".
        m_lstItems = new QObject(this);
        m_lstItems->setObjectName(name);
        m_lstItems->setProperty("phrases", QStringList());
        m_lstItems->setProperty("currentRow", -1);
        return nullptr;
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
    m_txtGame->installEventFilter(this);   // for the keys after the game is over
    return m_txtGame;
}

frmTargame::~frmTargame() = default;

void frmTargame::refresh()
{
    const View &view = m_program.view();
    const WindowView *shown = view.find(Window::Game);
    if (!shown)
        return;
    ConsoleBox *wasVisible = visibleBox();
    const bool wasFocused = isActiveWindow() && (m_txtCon->hasFocus() || m_txtPwd->hasFocus() || !focusWidget());
    const WidgetView *command = nullptr;
    const WidgetView *password = nullptr;
    for (const WidgetView &w : shown->widgets) {
        switch (w.widget->kind) {
        case windows::Kind::Output:
            if (w.text != m_shownOutput) {
                m_shownOutput = w.text;
                showOutput(toQString(w.text));
            }
            break;
        case windows::Kind::Counter:
        case windows::Kind::InventorySlot: {
            auto *label = findChild<QLabel *>(QString::fromLatin1(w.widget->name));
            setCaption(label, qtView(w.text));
            // Named with its value, which is what Tab comes here for.
            if (const QString spoken = toQString(w.spokenName()); label->accessibleName() != spoken)
                label->setAccessibleName(spoken);
            // Tab stops at the items carried, not at the empty slots.
            if (w.widget->kind == windows::Kind::InventorySlot)
                label->setFocusPolicy(w.text.empty() ? Qt::NoFocus : Qt::TabFocus);
            break;
        }
        case windows::Kind::Input:
            (w.widget->name == "txtPwd" ? password : command) = &w;
            break;
        case windows::Kind::Prompt:
            // A box that takes no input looks it: its prompt goes grey with its text.
            setTextColour(m_prompt, QColor(w.colour.r, w.colour.g, w.colour.b));
            break;
        case windows::Kind::List:
            // The dictionary the easy game completes from, hidden.
            if (m_lstItems->property("phrases").toStringList().size() != view.listSize) {
                QStringList phrases;
                for (std::u16string_view phrase : m_program.story().dictionary.first(std::size_t(view.listSize)))
                    phrases.append(toQString(phrase));
                m_lstItems->setProperty("phrases", phrases);
            }
            m_lstItems->setProperty("currentRow", view.listIndex);
            break;
        default:
            break;
        }
    }
    // The box that appears is shown before the other one hides, and takes
    // the keyboard focus with it.
    if (view.passwordShown) {
        m_txtPwd->showBox(*password);
        m_txtCon->showBox(*command);
    } else {
        m_txtCon->showBox(*command);
        m_txtPwd->showBox(*password);
    }
    if (visibleBox() != wasVisible)
        visibleBox()->setFocus();
    // The game is lost: the keyboard goes from the dead command box to the
    // output box, where its closing lines can be read again.
    if (gameOver() && wasFocused)
        m_txtGame->setFocus(Qt::OtherFocusReason);
    tellAnswer();
    tellBox(visibleBox()->takeLastKey());
}

bool frmTargame::gameOver() const
{
    return !m_program.view().closing.empty();
}

void frmTargame::tellBox(std::optional<Key> key)
{
    const View &view = m_program.view();
    ConsoleBox *box = visibleBox();
    const WidgetView *shown = view.visibleBox();
    const int phrase = view.listIndex;
    const bool changed = std::exchange(m_toldPhrase, phrase) != phrase;
    if (!shown || !box->hasFocus() || shown->text.empty())
        return;
    // The command Up brought back; or the whole phrase the completion made
    // of the typed letters, once, as it changes (nothing when it is just
    // what was typed).
    if (key == Key::Up || (changed && phrase >= 0 && shown->length > 0))
        announce(box, toQString(shown->text));
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
    const View &view = m_program.view();
    QWidget *where = visibleBox()->hasFocus() ? visibleBox()
                     : gameOver() && m_txtGame->hasFocus() ? static_cast<QWidget *>(m_txtGame) : nullptr;
    if (view.inGame && view.turns != m_toldTurns && where) {
        m_toldTurns = view.turns;
        announce(where, toQString(view.answer()));
    }
}

bool frmTargame::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_txtCon || watched == m_txtPwd || watched == m_txtGame) && event->type() == QEvent::FocusIn)
        QMetaObject::invokeMethod(this, &frmTargame::tellAnswer, Qt::QueuedConnection);
    if (watched == m_txtGame && event->type() == QEvent::KeyPress && gameOver()) {
        // Once the game is lost, Enter or a letter typed here says what
        // can be done now.
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter || (!key->text().isEmpty() && key->text().at(0).isPrint())) {
            announce(m_txtGame, toQString(m_program.view().closing));
            return true;
        }
    }
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
    const WidgetView *command = m_program.view().find(Window::Game, "txtCon");
    if (!command || command->enabled) {
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
