// Preloaded into a program whose start-up is measured (LD_PRELOAD): when the
// program makes its application object, this installs a filter that ends the
// program right after the first paint of a window of the class named by
// TARNVALE_QUIT_AFTER_PAINT. The quit is queued, so the whole first paint
// happens before it. Every window program of the comparison carries it, the
// floor as much as the game, so its small cost falls on both sides.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdlib>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    explicit QuitAfterFirstPaint(QByteArray windowClass) : m_class(std::move(windowClass)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_painted || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        QObject *window = watched;
        while (window->parent())
            window = window->parent();
        if (window->inherits(m_class.constData())) {
            m_painted = true;
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        }
        return false;
    }

private:
    QByteArray m_class;
    bool m_painted = false;
};

void install()
{
    const QByteArray windowClass = qgetenv("TARNVALE_QUIT_AFTER_PAINT");
    if (windowClass.isEmpty())
        return;
    QCoreApplication *app = QCoreApplication::instance();
    app->installEventFilter(new QuitAfterFirstPaint(windowClass));
    // A window that never paints must not hang the measurement.
    QTimer::singleShot(20000, app, [] { std::_Exit(3); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
