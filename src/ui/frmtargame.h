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

// The game window: a view over one Game, the program's game in progress
// (or, made with a story, a game of its own that it starts at once).
//
// Widgets carry the names the game knows them by, as object names (the
// inventory labels lblInv0 .. lblInv9 also have the property "index").
class frmTargame : public Form {
    Q_OBJECT
public:
    explicit frmTargame(Game &game, QWidget *parent = nullptr);
    frmTargame(GameSettings &settings, const Story &story, std::function<void()> launchMusic = {},
               QWidget *parent = nullptr);
    ~frmTargame() override;

    Game &game() { return m_game; }
    // The keyboard to the input box on screen.
    void focusInputBox();
    const Game &game() const { return m_game; }

    // Copies the engine's window into the widgets.
    void refresh();

Q_SIGNALS:
    void newGameClicked();   // "новая"
    void authorClicked();    // "автор"
    void helpClicked();      // "помощь"

private:
    void setUp();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    QWidget *makeWidget(const windows::Widget &widget) override;

private:
    void showOutput(const QString &text);
    // The input box that is on screen: the command box, or the password box
    // in its place.
    ConsoleBox *visibleBox() const;
    void tellAnswer();

    std::unique_ptr<Game> m_ownGame;
    Game &m_game;
    std::u16string m_shownOutput;
    unsigned m_toldTurns = 0;   // the game's answers told to a screen reader

    QLabel *m_lblAction = nullptr;
    QTextEdit *m_txtGame = nullptr;
    std::array<QLabel *, kInventorySlots> m_lblInv{};
    QListWidget *m_lstItems = nullptr;
    QLabel *m_lblDiff = nullptr;
    QLabel *m_lblMoney = nullptr;
    QLabel *m_lblSteps = nullptr;
    QLabel *m_lblPoints = nullptr;
    ConsoleBox *m_txtCon = nullptr;
    ConsoleBox *m_txtPwd = nullptr;
    QLabel *m_prompt = nullptr;
};

} // namespace tarnvale::ui
