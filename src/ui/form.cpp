#include "ui/form.h"

#include "ui/accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QStyleHints>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QWindow>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

// ---------------------------------------------------------------------------

LabelButton::LabelButton(QWidget *parent) : QLabel(parent)
{
    setCursor(buttonCursor());
    // Tab only: a click leaves the keyboard with the box the player types in.
    setFocusPolicy(Qt::TabFocus);
}

void LabelButton::setPlainNote(bool note)
{
    m_note = note;
    setFocusPolicy(note ? Qt::NoFocus : Qt::TabFocus);
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
    Q_EMIT clicked();
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

void LabelButton::paintEvent(QPaintEvent *event)
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
    if (event->button() == Qt::LeftButton) {
        const auto *form = qobject_cast<const Form *>(window());
        m_pressed = !form || form->takesPresses();
    }
    event->accept();
}

void LabelButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (rect().contains(event->position().toPoint()))
        click();
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

Form::Form(const QString &name, QSize clientTwips, QRect outlineTwips, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
{
    installAccessibility();
    setObjectName(name);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(px(clientTwips.width()), px(clientTwips.height()));
    paintBlack(this);
    setFont(windowFont());

    m_outline = new Outline(this);
    m_outline->setGeometry(twipRect(outlineTwips.x(), outlineTwips.y(), outlineTwips.width(),
                                    outlineTwips.height()));
    m_titleBar = new TitleBar(this);
    m_titleBar->setGeometry(twipRect(30, 30, clientTwips.width() - 60, 255));

    describe(m_outline, u"рамка окна"_s);
    describe(m_titleBar, u"заголовок окна"_s, u"потяни мышью, чтобы передвинуть окно"_s);
}

LabelButton *Form::addButton(const QString &name, const QRect &geometry, const QString &caption,
                             const QColor &colour)
{
    auto *button = new LabelButton(this);
    placeLabel(button, name, geometry, caption, colour);
    return button;
}

WrappedLabel *Form::addWrappedLabel(const QString &name, const QRect &geometry, const QString &caption)
{
    auto *label = new WrappedLabel(this);
    placeLabel(label, name, geometry, caption);
    return label;
}

void Form::showEvent(QShowEvent *event)
{
    m_outline->raise();
    holdPresses();
    QWidget::showEvent(event);
}

void Form::holdPresses()
{
    m_appeared.start();
}

bool Form::takesPresses() const
{
    // A window that has never been shown takes presses (sent to it directly).
    return !m_appeared.isValid()
        || m_appeared.elapsed() >= QGuiApplication::styleHints()->mouseDoubleClickInterval();
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
