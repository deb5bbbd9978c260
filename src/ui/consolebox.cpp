#include "ui/consolebox.h"

#include "ui/qtstrings.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QSignalBlocker>

#include <utility>

namespace tarnvale::ui {

ConsoleBox::ConsoleBox(QWidget *parent, Program &program, std::string_view name, std::function<void()> afterInput)
    : QLineEdit(parent), m_program(program), m_name(name), m_afterInput(std::move(afterInput))
{
    setFrame(false);
    // The text at the top of the box, a fixed distance below its edge, so that
    // its baseline does not move with the letters typed and the prompt beside
    // the box can stand on it.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(this, &QLineEdit::textEdited, this, &ConsoleBox::takeEdit);
    // A change from outside any input event, such as a screen reader or
    // dictation setting the text, reaches the game too. (The game's own
    // updates come with signals blocked.)
    connect(this, &QLineEdit::textChanged, this, [this](const QString &now) {
        const WidgetView *box = viewedBox();
        if (m_eventDepth == 0 && box && now != qtView(box->text))
            takeEdit(now);
    });
}

std::optional<Key> ConsoleBox::gameKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Key::Enter;
    case Qt::Key_Escape:
        return Key::Escape;
    case Qt::Key_Up:
        return Key::Up;
    case Qt::Key_Backspace:
        return Key::Backspace;
    case Qt::Key_Delete:
        return Key::Delete;
    default:
        return std::nullopt;
    }
}

int ConsoleBox::textBaseline() const
{
    // As the line edit lays out its text: the contents rectangle of the
    // style, less the text margins, one pixel of its own, then the ascent.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this)
                               .marginsRemoved(textMargins());
    constexpr int kLineEditMargin = 1;
    return contents.top() + kLineEditMargin + fontMetrics().ascent();
}

const WidgetView *ConsoleBox::viewedBox() const
{
    return m_program.view().find(Window::Game, m_name);
}

void ConsoleBox::showBox(const WidgetView &box)
{
    const QSignalBlocker blocker(this);
    const QString now = text();
    if (now != qtView(box.text)) {
        const QString want = toQString(box.text);
        if (want.startsWith(now) && !now.isEmpty()) {
            // The completion lengthens what was typed: only its tail goes in,
            // which a screen reader hears as one small change rather than the
            // whole line deleted and written again at every letter.
            setCursorPosition(int(now.size()));
            insert(want.sliced(now.size()));
        } else {
            setText(want);
        }
    }
    const int start = box.start;
    const int length = box.length;
    if (length > 0) {
        // The caret stands at the end of the selection, as after selecting
        // with the mouse from left to right.
        if (selectionStart() != start || selectionLength() != length || cursorPosition() != start + length)
            setSelection(start, length);
    } else if (hasSelectedText() || cursorPosition() != start) {
        setCursorPosition(start);
    }
    if (isHidden() == box.visible)
        setVisible(box.visible);
    if (isEnabled() != box.enabled)
        setEnabled(box.enabled);
}

bool ConsoleBox::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
    case QEvent::Drop:
        break;
    default:
        return QLineEdit::event(event);
    }
    // An event that may edit the text. The engine first learns where the
    // player has put the caret since the last edit, so that the edit starts
    // from the same selection in both; the window follows the engine after.
    if (m_eventDepth++ == 0)
        tellSelection();
    const bool handled = QLineEdit::event(event);
    if (--m_eventDepth == 0)
        finishInput();
    return handled;
}

void ConsoleBox::keyPressEvent(QKeyEvent *event)
{
    const std::optional<Key> key = gameKey(event->key());
    if (!key) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    m_program.key(*key);
    m_lastKey = key;
    m_engineTouched = true;
    event->accept();
}

void ConsoleBox::tellSelection()
{
    const WidgetView *box = viewedBox();
    if (!box || text() != qtView(box->text))
        return;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? selectionLength() : 0;
    if (start == box->start && length == box->length)
        return;
    m_program.select(start, length);
}

void ConsoleBox::takeEdit(const QString &now)
{
    // The engine tells typing from any other edit, and keeps a pasted or
    // dropped text up to its first line break.
    m_program.edit(u16View(now), cursorPosition());
    m_lastKey.reset();
    m_engineTouched = true;
    // An edit from outside an input event (the context menu's paste) is shown
    // once the widget has finished with it.
    if (m_eventDepth == 0)
        QMetaObject::invokeMethod(this, &ConsoleBox::finishInput, Qt::QueuedConnection);
}

void ConsoleBox::finishInput()
{
    if (std::exchange(m_engineTouched, false) && m_afterInput)
        m_afterInput();
}

} // namespace tarnvale::ui
