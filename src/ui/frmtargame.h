#pragma once

#include "engine/game.h"
#include "ui/form.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QTextEdit;

namespace tarnvale::ui {

class ConsoleBox;

// The game window: a view over one Game. Creating the window starts its game
// (the engine runs the window's load); closing it discards the game.
//
// Widgets carry the names the game knows them by, as object names:
// picTitlebar, Label2, lblAction, txtGame, lblInv0 .. lblInv9 (the inventory,
// slot 0 at the top; each also has the property "index"), lstItems, lblDiff,
// lblMoney, lblSteps, lblPoints, lblNew, lblAuthor, lblHelp, lbExit, Line1,
// Label1, txtCon, txtPwd and Shape1.
class frmTargame : public Form {
    Q_OBJECT
public:
    frmTargame(GameSettings &settings, const Story &story, std::function<void()> launchMusic = {},
               QWidget *parent = nullptr);
    ~frmTargame() override;

    Game &game() { return *m_game; }
    const Game &game() const { return *m_game; }

    // Copies the engine's window into the widgets.
    void refresh();

Q_SIGNALS:
    void newGameClicked();   // "новая"
    void authorClicked();    // "автор"
    void helpClicked();      // "помощь"

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showOutput(const QString &text);
    // The input box that is on screen: the command box, or the password box
    // in its place.
    ConsoleBox *visibleBox() const;

    std::unique_ptr<Game> m_game;
    std::u16string m_shownOutput;

    QLabel *m_lblAction;
    QTextEdit *m_txtGame;
    std::array<QLabel *, kInventorySlots> m_lblInv{};
    QListWidget *m_lstItems;
    QLabel *m_lblDiff;
    QLabel *m_lblMoney;
    QLabel *m_lblSteps;
    QLabel *m_lblPoints;
    ConsoleBox *m_txtCon;
    ConsoleBox *m_txtPwd;
    QLabel *m_prompt = nullptr;
};

} // namespace tarnvale::ui
