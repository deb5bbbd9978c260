#include "ui/form.h"

#include "ui/accessible.h"
#include "ui/qtstrings.h"

#include <QAccessible>
#include <QApplication>
#include <QStyleHints>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QWindow>

#include <algorithm>
#include <utility>

#include <QElapsedTimer>

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

// ---------------------------------------------------------------------------

LabelButton::LabelButton(QWidget *parent, Control control) : TabLabel(parent), m_control(control)
{
    setCursor(buttonCursor());
}

void LabelButton::takeKeyboardFocus()
{
    // Tab only: a click leaves the keyboard with the box the player types in.
    setFocusPolicy(m_note ? Qt::NoFocus : Qt::TabFocus);
}

bool TabLabel::event(QEvent *event)
{
    // A label that can take the focus lays its caption out as a rich-text
    // document when it is polished, which costs a window's first paint dearly
    // and draws nothing different: the caption is plain text. So the label
    // is polished as one that cannot, and makes its document only if it ever
    // has the focus.
    if (event->type() == QEvent::Polish && focusPolicy() != Qt::NoFocus) {
        const Qt::FocusPolicy policy = focusPolicy();
        setFocusPolicy(Qt::NoFocus);
        const bool handled = QLabel::event(event);
        setFocusPolicy(policy);
        return handled;
    }
    return QLabel::event(event);
}

void LabelButton::setPlainNote(bool note)
{
    m_note = note;
    takeKeyboardFocus();
}

void LabelButton::setChosen(bool chosen)
{
    setTextColour(this, chosen ? kWhite : kUnchosen);
    if (m_chosen == chosen)
        return;
    m_chosen = chosen;
    if (m_checkable) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void LabelButton::click()
{
    Q_EMIT clicked(nowMillis(), false);
}

void LabelButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (!press || m_note || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QLabel::keyPressEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat())
        click();
}

void TabLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // The focus mark: a dotted white line under the caption, along the
    // label's bottom row, below the descenders.
    const int textWidth = std::min(width(), fontMetrics().horizontalAdvance(text()));
    QPainter painter(this);
    painter.setPen(QPen(kWhite, 1.0, Qt::DotLine, Qt::FlatCap));
    const qreal y = height() - 0.5;
    painter.drawLine(QPointF(0, y), QPointF(textWidth, y));
}

void LabelButton::mousePressEvent(QMouseEvent *event)
{
    // A double click's second press arrives as a double-click event, which
    // comes here too.
    if (event->button() == Qt::LeftButton)
        m_pressedAt = nowMillis();
    event->accept();
}

void LabelButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || m_pressedAt < 0)
        return;
    const qint64 at = std::exchange(m_pressedAt, -1);
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked(at, true);
}

// ---------------------------------------------------------------------------

WrappedLabel::WrappedLabel(QWidget *parent) : QLabel(parent)
{
    setWordWrap(true);
}

int WrappedLabel::layOut(QTextLayout &layout, int width) const
{
    QTextOption option(alignment());
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.setFont(font());
    layout.setText(text());
    int lines = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, lines * kLinePitch));
        ++lines;
    }
    layout.endLayout();
    return lines;
}

int WrappedLabel::heightForWidth(int width) const
{
    QTextLayout layout;
    return layOut(layout, width) * kLinePitch;
}

void WrappedLabel::paintEvent(QPaintEvent *)
{
    QTextLayout layout;
    layOut(layout, width());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    layout.draw(&painter, QPointF(0, 0));
}

// ---------------------------------------------------------------------------

Outline::Outline(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"Shape1"_s);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Outline::paintEvent(QPaintEvent *)
{
    // In device pixels, so that at any scale the four sides are lines of one
    // whole thickness, none blurred over two pixels.
    QPainter painter(this);
    const int line = deviceLineWidth(devicePixelRatioF());
    const QRect box = toDevicePixels(painter, QRectF(rect()));
    painter.fillRect(QRect(box.left(), box.top(), box.width(), line), kWhite);
    painter.fillRect(QRect(box.left(), box.bottom() + 1 - line, box.width(), line), kWhite);
    painter.fillRect(QRect(box.left(), box.top(), line, box.height()), kWhite);
    painter.fillRect(QRect(box.right() + 1 - line, box.top(), line, box.height()), kWhite);
}

Separator::Separator(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Separator::paintEvent(QPaintEvent *)
{
    // A line of whole device pixels from the top of the strip, as thick as
    // the outline.
    QPainter painter(this);
    const QRect strip = toDevicePixels(painter, QRectF(rect()));
    painter.fillRect(QRect(strip.left(), strip.top(), strip.width(), deviceLineWidth(devicePixelRatioF())), kWhite);
}

// ---------------------------------------------------------------------------

TitleBar::TitleBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"picTitlebar"_s);
}

void TitleBar::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    if (m_image.isNull() || !qFuzzyCompare(m_image.devicePixelRatio(), dpr))
        m_image = titleImage(dpr);
    QPainter painter(this);
    painter.fillRect(rect(), kBlack);
    painter.drawPixmap(0, 0, m_image);
}

void TitleBar::mousePressEvent(QMouseEvent *event)
{
    m_lastPointer = event->globalPosition().toPoint();
    m_tracking = true;
    event->accept();
}

void TitleBar::mouseMoveEvent(QMouseEvent *event)
{
    MoveForm(event->buttons(), event->globalPosition().toPoint());
    event->accept();
}

void TitleBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::NoButton)
        m_tracking = false;
    event->accept();
}

void TitleBar::MoveForm(Qt::MouseButtons buttons, const QPoint &globalPos)
{
    if (buttons != Qt::LeftButton || !m_tracking) {
        m_lastPointer = globalPos;
        return;
    }
    QWidget *form = window();
    if (QWindow *handle = form->windowHandle(); handle && handle->startSystemMove()) {
        // The window manager moves the window until the button is released;
        // the release does not come back here.
        m_tracking = false;
        return;
    }
    form->move(form->pos() + (globalPos - m_lastPointer));
    m_lastPointer = globalPos;
}

// ---------------------------------------------------------------------------

qint64 nowMillis()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

Form::Form(const windows::Form &description, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_description(description)
{
    installAccessibility();
    setObjectName(QString::fromLatin1(description.name));
    setWindowTitle(toQString(description.title));
    // A window with "закрыть" (help, author) is described by its text too,
    // which a screen reader reads as the window comes up.
    QString told = toQString(description.description);
    if (description.find(Control::Close)) {
        for (const windows::Widget &w : description.widgets) {
            if (w.kind == windows::Kind::Label || w.kind == windows::Kind::WrappedLabel)
                told += QLatin1Char(' ') + toQString(w.caption);
        }
    }
    describe(this, toQString(description.accessibleName), told);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(description.width), px(description.height));
    paintBlack(this);
    setFont(windowFont());

    const windows::Rect outline = description.outline;
    m_outline = new Outline(this);
    m_outline->setGeometry(twipRect(outline.left, outline.top, outline.width, outline.height));
    describe(m_outline, toQString(windows::kDescription.frameName));
    m_titleBar = new TitleBar(this);
}

void Form::keyPressEvent(QKeyEvent *event)
{
    // In a pair of choices the arrow keys choose the other one, and the
    // keyboard goes with it.
    const int key = event->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right)
        && event->modifiers() == Qt::NoModifier) {
        for (const windows::ChoicePair &pair : windows::kDescription.choicePairs) {
            LabelButton *first = button(pair.first);
            LabelButton *second = button(pair.second);
            if (!first || !second || (!first->hasFocus() && !second->hasFocus()))
                continue;
            LabelButton *other = first->hasFocus() ? second : first;
            Q_EMIT pressed(other->control(), qint64(event->timestamp()), false);
            other->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && button(Control::Close)) {
        Q_EMIT pressed(Control::Close, qint64(event->timestamp()), false);
        return;
    }
    QWidget::keyPressEvent(event);
}

namespace {

QColor colourOf(windows::Colour c)
{
    return QColor(c.r, c.g, c.b);
}

QRect geometryOf(const windows::Rect &r)
{
    return twipRect(r.left, r.top, r.width, r.height);
}

} // namespace

void Form::build()
{
    using windows::Kind;
    for (const windows::Widget &w : m_description.widgets) {
        const QString name = QString::fromLatin1(w.name);
        const QString caption = toQString(w.caption);
        QWidget *made = nullptr;
        switch (w.kind) {
        case Kind::TitleStrip:
            m_titleBar->setGeometry(geometryOf(w.rect));
            made = m_titleBar;
            break;
        case Kind::Label:
        case Kind::Prompt:
            made = addLabel(this, name, geometryOf(w.rect), caption, colourOf(w.colour));
            break;
        case Kind::Counter:
        case Kind::InventorySlot: {
            // Tab reaches the counters and the items carried (not an empty slot).
            auto *label = new TabLabel(this);
            placeLabel(label, name, geometryOf(w.rect), caption, colourOf(w.colour));
            label->setFocusPolicy(caption.isEmpty() && w.kind == Kind::InventorySlot ? Qt::NoFocus : Qt::TabFocus);
            made = label;
            break;
        }
        case Kind::WrappedLabel: {
            auto *label = new WrappedLabel(this);
            placeLabel(label, name, geometryOf(w.rect), caption, colourOf(w.colour));
            made = label;
            break;
        }
        case Kind::Button:
        case Kind::Choice:
        case Kind::Note: {
            auto *button = new LabelButton(this, w.control);
            placeLabel(button, name, geometryOf(w.rect), caption, colourOf(w.colour));
            button->setCheckable(w.kind == Kind::Choice);
            if (w.kind == Kind::Note) {
                // The note only explains; pressing it does nothing.
                button->setFont(noteFont());
                button->setPlainNote(true);
            }
            button->takeKeyboardFocus();
            connect(button, &LabelButton::clicked, this, [this, control = w.control](qint64 at, bool byMouse) {
                Q_EMIT pressed(control, at, byMouse);
            });
            m_buttons << button;
            made = button;
            break;
        }
        case Kind::Separator: {
            auto *line = new Separator(this);
            line->setObjectName(name);
            line->setGeometry(px(w.rect.left), px(w.rect.top), px(w.rect.left + w.rect.width) - px(w.rect.left), 1);
            made = line;
            break;
        }
        case Kind::Output:
        case Kind::Input:
        case Kind::List:
            made = makeWidget(w);
            break;
        }
        if (made && (!w.accessibleName.empty() || !w.description.empty()))
            describe(made, toQString(w.accessibleName.empty() ? w.caption : w.accessibleName), toQString(w.description));
    }
}

QWidget *Form::makeWidget(const windows::Widget &)
{
    return nullptr;
}

LabelButton *Form::button(Control control) const
{
    for (LabelButton *b : m_buttons) {
        if (b->control() == control)
            return b;
    }
    return nullptr;
}

void Form::showEvent(QShowEvent *event)
{
    m_outline->raise();
    Q_EMIT appeared(nowMillis());
    QWidget::showEvent(event);
}

void endProgram()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (qobject_cast<Form *>(window))
            window->close();
    }
    QCoreApplication::exit(0);
}

} // namespace tarnvale::ui
