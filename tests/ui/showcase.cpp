// Opens the windows on the real display and plays a few commands through the
// real input box, for looking at the windows (screenshots).
//
//   showcase dialog
//   showcase game [--easy] [COMMAND...]
//   showcase info [COMMAND...]        the game with the help and author windows
//   showcase shot FILE [COMMAND...]   the game after the commands, saved to a
//                                     PNG file instead of shown
//   showcase pointer PERCENT FILE     writes the hand pointer drawn for that
//                                     scale, magnified, to a PNG file
//
// Each COMMAND is typed into the visible input box and submitted with Enter; a
// command ending in "~" is typed without Enter (to show the completion).
//
// On a Wayland compositor without a keyboard (weston's headless backend) run
// it with QT_IM_MODULE=none: Qt 6.4's Wayland input method dereferences the
// missing seat when the typed keys arrive.
#include "uitest.h"

#include "story/story.h"
#include "ui/desktop.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"
#include "ui/look.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;

namespace {

void click(QWidget *window, const QString &name)
{
    QTest::mouseClick(window->findChild<QLabel *>(name), Qt::LeftButton);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // scripted clicks, faster than the windows take a person's
    ui::test::clickFasterThanAPerson();
    QStringList args = QApplication::arguments().mid(1);
    const QString what = args.isEmpty() ? u"game"_s : args.takeFirst();

    if (what == u"pointer"_s && args.size() == 2) {
        // The hand on the black of the windows and on white, each device
        // pixel magnified to a square of 8, the hot spot ringed in red.
        const qreal scale = args[0].toDouble() / 100;
        QImage hand = ui::handImage(scale);
        hand.setDevicePixelRatio(1);
        constexpr int kZoom = 8;
        const int side = hand.width() + 4;
        QImage sheet(side * 2 * kZoom, side * kZoom, QImage::Format_RGB32);
        QPainter painter(&sheet);
        painter.fillRect(0, 0, side * kZoom, sheet.height(), Qt::black);
        painter.fillRect(side * kZoom, 0, side * kZoom, sheet.height(), Qt::white);
        const QImage big = hand.scaled(hand.size() * kZoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        const QPoint hot = ui::kHandHotSpot * scale;
        for (const int left : {2 * kZoom, (side + 2) * kZoom}) {
            painter.drawImage(left, 2 * kZoom, big);
            painter.setPen(QPen(Qt::red, 2));
            painter.drawRect(left + hot.x() * kZoom, 2 * kZoom + hot.y() * kZoom, kZoom, kZoom);
        }
        painter.end();
        return sheet.save(args[1]) ? 0 : 1;
    }

    const QString shotFile = what == u"shot"_s && !args.isEmpty() ? args.takeFirst() : QString();

    GameSettings settings;
    ui::Desktop desktop(settings, tarnvaleStory(), {});
    desktop.start();
    desktop.newGameDialog()->move(20, 20);
    if (what == u"dialog"_s)
        return QApplication::exec();

    if (!args.isEmpty() && args.first() == u"--easy"_s) {
        click(desktop.newGameDialog(), u"lblEasy"_s);
        args.removeFirst();
    }
    click(desktop.newGameDialog(), u"lblMusOff"_s);
    click(desktop.newGameDialog(), u"lblStart"_s);
    ui::frmTargame *game = desktop.gameWindow();
    game->move(20, 20);
    for (const QString &command : std::as_const(args)) {
        auto *box = game->findChild<QLineEdit *>(u"txtPwd"_s);
        if (box->isHidden())
            box = game->findChild<QLineEdit *>(u"txtCon"_s);
        if (command.endsWith(u'~')) {
            ui::test::typeText(box, command.chopped(1));
        } else {
            ui::test::typeText(box, command);
            ui::test::pressKey(box, Qt::Key_Return);
        }
    }
    if (what == u"shot"_s) {
        QCoreApplication::processEvents();
        return game->grab().save(shotFile) ? 0 : 1;
    }
    if (what == u"info"_s) {
        click(game, u"lblHelp"_s);
        click(game, u"lblAuthor"_s);
        desktop.helpWindow()->move(560, 20);
        desktop.authorWindow()->move(560, 250);
    }
    return QApplication::exec();
}
