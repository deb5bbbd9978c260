// The windows, offscreen, driven by the transcript runner
// (tests/transcripts.py) with the steps of transcript_steps.h: the
// dialog's choices and "начать" are clicked, keys and typed characters go to
// the input box on screen as real key events, and the state is read back
// from the widgets by their names. The windows show no flags, location or
// music; a caret and a selection they do show.
#include "uitest.h"

#include "transcript_steps.h"
#include "ui/qtstrings.h"

#include "story/story.h"
#include "ui/desktop.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

#include <iostream>
#include <memory>
#include <string>

using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;
using namespace Qt::Literals::StringLiterals;

namespace {

void click(QWidget *window, const char *name)
{
    QTest::mouseClick(child<QWidget>(window, name), Qt::LeftButton);
    QCoreApplication::processEvents();
}

class Host {
public:
    void start(bool easy, bool music)
    {
        m_desktop = std::make_unique<Desktop>(m_settings, tarnvaleStory(), [] {});
        m_desktop->start();
        QWidget *dialog = m_desktop->newGameDialog();
        click(dialog, easy ? "lblEasy" : "lblHard");
        click(dialog, music ? "lblMusOn" : "lblMusOff");
        click(dialog, "lblStart");
    }

    frmTargame *game() const { return m_desktop->gameWindow(); }

    // The input box on screen: the command box, or the password box in its place.
    QLineEdit *box() const
    {
        auto *password = child<QLineEdit>(game(), "txtPwd");
        return password->isVisible() ? password : child<QLineEdit>(game(), "txtCon");
    }

    bool key(const std::string &name)
    {
        static const std::map<std::string, Qt::Key> keys = {
            {"Enter", Qt::Key_Return}, {"Esc", Qt::Key_Escape}, {"Up", Qt::Key_Up},
            {"Backspace", Qt::Key_Backspace}, {"Delete", Qt::Key_Delete},
        };
        if (!keys.count(name))
            return false;
        pressKey(box(), keys.at(name));
        QCoreApplication::processEvents();
        return true;
    }

    void type(std::u16string_view text)
    {
        typeText(box(), toQString(text));
        QCoreApplication::processEvents();
    }

    // Typed into the box on screen and sent with Enter, where the box takes keys.
    void line(std::u16string_view text)
    {
        if (!box()->isEnabled())
            return;
        type(text);
        key("Enter");
    }

    void newGame()
    {
        // "новая", then "начать" with the same choices.
        const bool easy = m_settings.easyMode != kFalse;
        const bool music = m_settings.musicOn != kFalse;
        click(game(), "lblNew");
        QWidget *dialog = m_desktop->newGameDialog();
        click(dialog, easy ? "lblEasy" : "lblHard");
        click(dialog, music ? "lblMusOn" : "lblMusOff");
        click(dialog, "lblStart");
    }

    std::string state() const { return QJsonDocument(shown()).toJson(QJsonDocument::Compact).toStdString(); }

    QJsonObject shown() const
    {
        QWidget *w = game();
        const auto text = [w](const char *name) { return child<QLabel>(w, name)->text(); };
        QJsonArray inventory;
        for (int i = 0; i < int(std::size(windows::kInventoryNames)); ++i)
            inventory.append(text(("lblInv" + std::to_string(i)).c_str()));
        const auto *con = child<QLineEdit>(w, "txtCon");
        const auto *pwd = child<QLineEdit>(w, "txtPwd");
        const int start = con->hasSelectedText() ? con->selectionStart() : con->cursorPosition();
        const auto *list = child<QObject>(w, "lstItems");
        return {
            {u"txtGame"_s, shownOutput(w)},
            {u"lblAction"_s, text("lblAction")},
            {u"lblSteps"_s, text("lblSteps")},
            {u"lblMoney"_s, text("lblMoney")},
            {u"lblPoints"_s, text("lblPoints")},
            {u"lblDiff"_s, text("lblDiff")},
            {u"inv"_s, inventory},
            {u"con"_s, con->text()},
            {u"con.sel"_s, u"%1 %2"_s.arg(start).arg(con->selectedText().size())},
            {u"con.visible"_s, con->isVisible()},
            {u"con.enabled"_s, con->isEnabled()},
            {u"pwd"_s, pwd->text()},
            {u"pwd.visible"_s, pwd->isVisible()},
            {u"list.size"_s, int(list->property("phrases").toStringList().size())},
            {u"list.index"_s, list->property("currentRow").toInt()},
        };
    }

private:
    GameSettings m_settings;
    std::unique_ptr<Desktop> m_desktop;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    clickFasterThanAPerson();
    quietAboutRaise();
    Host host;
    return tarnvale::test::serveTranscriptSteps(host);
}
