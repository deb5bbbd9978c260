#include "uitest.h"

#include "engine/scene.h"

#include "story/story.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui::test {

void clickFasterThanAPerson()
{
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
}

void typeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

void pressKey(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(widget, &release);
}

void moveMouse(QWidget *widget, const QPoint &pos, Qt::MouseButtons buttons)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(widget->mapToGlobal(pos)), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

namespace {

QString longReply()
{
    QStringList lines;
    for (int i = 1; i <= 60; ++i)
        lines << u"строка "_s + QString::number(i);
    return lines.join(u"\r\n"_s);
}

const RuleTable &rules()
{
    static const RuleTable table = {
        {"the computer asks for its password", {u"компьютер"}, [](Scene &g) {
             g.reply(u"Введите пароль:");
             g.showPasswordBox();
         }},
        {"the game ends", {u"конец"}, [](Scene &g) { g.gameOver(); }},
        {"an item", {u"взять"}, [](Scene &g) {
             g.reply(u"Взял.");
             g.putItem(u"пустая пачка сигарет");
         }},
        {"a long reply", {u"длинно"}, [](Scene &g) {
             static const std::u16string text(u16View(longReply()));
             g.reply(text);
         }},
    };
    return table;
}

// One place, the same everywhere.
const LocationScript kEverywhere[] = {{rules}};

void checkPassword(Scene &game, std::u16string_view attempt)
{
    if (attempt == u"lyra") {
        game.reply(u"принято");
        game.showCommandBox();
    } else {
        game.reply(u"Пароль неверный.\r\nВведите пароль:");
    }
}

} // namespace

const Story &windowTestStory()
{
    // The real story's words, so that the windows show what they always show.
    const Story &real = tarnvaleStory();
    static const Story story{kEverywhere, nullptr, checkPassword, real.captions, real.words, real.dictionary,
                             real.flagNames, real.windows};
    return story;
}

const GameState &stateOf(Program &program)
{
    return *program.state();
}

QString shownOutput(const QWidget *window)
{
    const auto *output = window->findChild<QTextEdit *>(u"txtGame"_s);
    return output ? output->toPlainText().replace(u'\n', u"\r\n"_s) : QString();
}

namespace {
QtMessageHandler g_defaultMessages = nullptr;

void dropRaiseNotice(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message != u"This plugin does not support raise()"_s)
        g_defaultMessages(type, context, message);
}
} // namespace

void quietAboutRaise()
{
    if (!g_defaultMessages)
        g_defaultMessages = qInstallMessageHandler(dropRaiseNotice);
}

} // namespace tarnvale::ui::test
