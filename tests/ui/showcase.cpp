// Opens the windows on the real display, plays a few commands through the
// real input box and stays open, for looking at the windows (screenshots).
//
//   showcase [--easy] [COMMAND...]
//
// Each COMMAND is typed into the command box and submitted with Enter; a
// command ending in "~" is typed without Enter (to show the completion).
#include "uitest.h"

#include "story/story.h"
#include "ui/frmtargame.h"

#include <QApplication>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    GameSettings settings;
    if (!args.isEmpty() && args.first() == u"--easy"_s) {
        settings.easyMode = kTrue;
        args.removeFirst();
    }
    auto *game = new ui::frmTargame(settings, tarnvaleStory());
    game->move(20, 20);
    game->show();
    auto *box = game->findChild<QLineEdit *>(u"txtCon"_s);
    for (const QString &command : std::as_const(args)) {
        if (command.endsWith(u'~')) {
            ui::test::typeText(box, command.chopped(1));
        } else {
            ui::test::typeText(box, command);
            ui::test::pressKey(box, Qt::Key_Return);
        }
    }
    return QApplication::exec();
}
