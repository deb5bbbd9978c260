#include "ui/consolebox.h"

#include "app/qtstrings.h"
#include "engine/game.h"

#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

namespace tarnvale::ui {

ConsoleBox::ConsoleBox(QWidget *parent, Game &game, Which which, std::function<void()> afterInput)
    : QLineEdit(parent), m_game(game), m_which(which), m_afterInput(std::move(afterInput))
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
        if (m_eventDepth == 0 && now != qtView(engineBox().text()))
            takeEdit(now);
    });
}

int ConsoleBox::gameKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kKeyEnter;
    case Qt::Key_Escape:
        return kKeyEscape;
    case Qt::Key_Up:
        return kKeyUp;
    case Qt::Key_Backspace:
        return kKeyBackspace;
    case Qt::Key_Delete:
        return kKeyDelete;
    default:
        return kKeyNone;
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

QStringView ConsoleBox::firstLine(QStringView inserted)
{
    // Carriage return, line feed, the vertical tab and form feed, the next
    // line control and Unicode's line and paragraph separators.
    for (qsizetype i = 0; i < inserted.size(); ++i) {
        switch (inserted[i].unicode()) {
        case u'\r':
        case u'\n':
        case u'\v':
        case u'\f':
        case 0x0085:
        case 0x2028:
        case 0x2029:
            return inserted.first(i);
        default:
            break;
        }
    }
    return inserted;
}

const TextBox &ConsoleBox::engineBox() const
{
    return m_which == Which::Command ? m_game.window().txtCon : m_game.window().txtPwd;
}

void ConsoleBox::showBox(const TextBox &box)
{
    const QSignalBlocker blocker(this);
    if (text() != qtView(box.text()))
        setText(toQString(box.text()));
    const int start = box.selStart();
    const int length = box.selLength();
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
    const int key = gameKey(event->key());
    if (key == kKeyNone) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (m_which == Which::Command)
        m_game.pressConKey(key);
    else
        m_game.pressPwdKey(key);
    m_engineTouched = true;
    event->accept();
}

void ConsoleBox::tellSelection()
{
    if (text() != qtView(engineBox().text()))
        return;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? selectionLength() : 0;
    if (start == engineBox().selStart() && length == engineBox().selLength())
        return;
    if (m_which == Which::Command)
        m_game.selectCon(start, length);
    else
        m_game.selectPwd(start, length);
}

void ConsoleBox::takeEdit(const QString &now)
{
    // Typing replaces the selection with the typed characters and leaves the
    // caret after them; anything else (a drop elsewhere in the line, an undo,
    // deleting a word) is handed over as the new text and caret.
    const TextBox &before = engineBox();
    const QStringView was = qtView(before.text());
    const qsizetype start = before.selStart();
    const qsizetype kept = was.size() - before.selLength();
    const qsizetype inserted = now.size() - kept;
    const bool typed = inserted > 0 && cursorPosition() == start + inserted
                       && QStringView(now).left(start) == was.left(start)
                       && QStringView(now).sliced(start + inserted) == was.sliced(start + before.selLength());
    std::u16string_view text = u16View(now);
    std::u16string_view insertion = text.substr(std::size_t(start), std::size_t(inserted > 0 ? inserted : 0));
    int caret = cursorPosition();
    // A pasted or dropped line break: the box keeps the text before it.
    QString cut;
    if (typed) {
        insertion = u16View(firstLine(qtView(insertion)));
    } else if (const QStringView line = firstLine(now); line.size() < now.size()) {
        cut = line.toString();
        text = u16View(cut);
        caret = std::min(caret, int(cut.size()));
    }
    if (m_which == Which::Command) {
        if (typed)
            m_game.typeCon(insertion);
        else
            m_game.editCon(text, caret);
    } else {
        if (typed)
            m_game.typePwd(insertion);
        else
            m_game.editPwd(text, caret);
    }
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
