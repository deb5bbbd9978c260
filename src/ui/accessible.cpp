#include "ui/accessible.h"


#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLabel>

namespace tarnvale::ui {

namespace {

// A label of the windows: static text named by its accessible name (or its
// caption), whose caption is read as text.
class LabelAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LabelAccessible(QLabel *label, QAccessible::Role role = QAccessible::StaticText)
        : QAccessibleWidget(label, role)
    {
    }

    QLabel *label() const { return static_cast<QLabel *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return label()->accessibleName().isEmpty() ? label()->text() : label()->accessibleName();
        case QAccessible::Description:
            return label()->accessibleDescription();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // The caption as text: one line, nothing selected, the caret at its start.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString caption = label()->text();
        if (startOffset < 0 || endOffset < startOffset || startOffset > caption.size())
            return {};
        return caption.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(label()->text().size()); }
    QRect characterRect(int offset) const override
    {
        const QString caption = label()->text();
        if (offset < 0 || offset >= caption.size())
            return {};
        const QFontMetrics metrics = label()->fontMetrics();
        const int left = metrics.horizontalAdvance(caption.left(offset));
        const int width = metrics.horizontalAdvance(caption.at(offset));
        return QRect(label()->mapToGlobal(QPoint(left, 0)), QSize(width, metrics.height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint local = label()->mapFromGlobal(point);
        if (!label()->rect().contains(local))
            return -1;
        const QString caption = label()->text();
        const QFontMetrics metrics = label()->fontMetrics();
        for (int i = 0; i < caption.size(); ++i) {
            if (local.x() < metrics.horizontalAdvance(caption.left(i + 1)))
                return i;
        }
        return -1;
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
};

// A label button: a push button, or a radio button for a choice of a pair,
// pressed like a click. The dialog's note is static text.
// The windows' own widgets are told apart by their class names, and a label
// button's state read from its properties: what screen readers see of the
// windows needs nothing of how they are built.
constexpr QLatin1StringView kForm("tarnvale::ui::Form");
constexpr QLatin1StringView kLabelButton("tarnvale::ui::LabelButton");
constexpr QLatin1StringView kTabLabel("tarnvale::ui::TabLabel");
constexpr QLatin1StringView kTitleBar("tarnvale::ui::TitleBar");
constexpr QLatin1StringView kSeparator("tarnvale::ui::Separator");
constexpr QLatin1StringView kOutline("tarnvale::ui::Outline");

// A label button as its properties say it is.
class LabelButtonView {
public:
    explicit LabelButtonView(QWidget *button) : m_button(button) {}
    bool isPlainNote() const { return m_button->property("plainNote").toBool(); }
    bool isCheckable() const { return m_button->property("checkable").toBool(); }
    bool isChosen() const { return m_button->property("chosen").toBool(); }
    void click() const { QMetaObject::invokeMethod(m_button, "click"); }

private:
    QWidget *m_button;
};

class LabelButtonAccessible : public LabelAccessible {
public:
    explicit LabelButtonAccessible(QLabel *button) : LabelAccessible(button, QAccessible::PushButton) {}

    LabelButtonView button() const { return LabelButtonView(widget()); }

    QAccessible::Role role() const override
    {
        if (button().isPlainNote())
            return QAccessible::StaticText;
        return button().isCheckable() ? QAccessible::RadioButton : QAccessible::PushButton;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = LabelAccessible::state();
        if (button().isCheckable()) {
            state.checkable = true;
            state.checked = button().isChosen();
        }
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names = LabelAccessible::actionNames();
        if (!button().isPlainNote())
            names.prepend(QAccessibleActionInterface::pressAction());
        return names;
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == QAccessibleActionInterface::pressAction() && !button().isPlainNote())
            button().click();
        else
            LabelAccessible::doAction(actionName);
    }
};

bool inOurWindow(const QWidget *widget)
{
    return widget->window()->inherits(kForm.data());
}

QAccessibleInterface *makeInterface(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || !inOurWindow(widget))
        return nullptr;
    if (className == kLabelButton)
        return new LabelButtonAccessible(static_cast<QLabel *>(widget));
    if (className == kForm)
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == kTitleBar)
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (className == kSeparator)
        return new QAccessibleWidget(widget, QAccessible::Separator);
    if (className == kOutline)
        return new QAccessibleWidget(widget, QAccessible::Whitespace);
    if (className == QLatin1StringView(QLabel::staticMetaObject.className())
        || className == kTabLabel)
        return new LabelAccessible(static_cast<QLabel *>(widget));
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void describe(QWidget *widget, const QString &name, const QString &description)
{
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
}

bool announce(QWidget *widget, const QString &text)
{
    if (!QAccessible::isActive())
        return false;
    // Qt's bridge talks to the accessibility bus over its connection of this
    // name; an event from any other connection would come from an unknown
    // application.
    QDBusConnection bus(QStringLiteral("a11y"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    if (!bus.isConnected() || !iface)
        return false;
    const QString path = QStringLiteral("/org/a11y/atspi/accessible/") + QString::number(QAccessible::uniqueId(iface));
    QDBusMessage event = QDBusMessage::createSignal(path, QStringLiteral("org.a11y.atspi.Event.Object"),
                                                    QStringLiteral("PropertyChange"));
    event << QStringLiteral("accessible-description") << 0 << 0 << QVariant::fromValue(QDBusVariant(text))
          << QVariantMap();
    return bus.send(event);
}

void setCaption(QLabel *label, QStringView caption)
{
    const QString before = label->text();
    if (before == caption)
        return;
    label->setText(caption.toString());
    if (!label->accessibleName().isEmpty() && QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(label, 0, before, label->text());
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace tarnvale::ui
