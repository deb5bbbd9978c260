#pragma once

#include "engine/gamestate.h"

#include <cstdint>
#include <string_view>

namespace tarnvale {

class Game;

// What the story's rules can do to the game in a turn: the shared
// operations every location script is written in. A rule gets the scene of
// the turn under way; nothing else of the game is in its reach.
class Scene {
public:
    // Replaces the whole output text.
    void reply(std::u16string_view text);
    // The first empty inventory slot gets the item; nothing when all ten are full.
    void putItem(std::u16string_view item);
    // The first slot holding the item is emptied; nothing when none holds it.
    void removeItem(std::u16string_view item);
    bool holdsItem(std::u16string_view item) const;
    // Replaces an inventory caption in place (the pack swap refills a pack).
    void renameItem(std::u16string_view from, std::u16string_view to);
    // Awards and payments pass through the counters (one fifth of an award
    // in an easy game); a counter taken out of its 16-bit range fails the turn.
    void addPoints(std::int16_t amount);
    void addMoney(std::int16_t amount);
    bool is(FlagIndex flag) const;
    void set(FlagIndex flag);
    void clear(FlagIndex flag);
    // The rules of the new location answer from the next command on.
    void moveTo(std::int16_t location);
    std::int16_t location() const;
    // The password box takes the command box's place, and the other way round.
    void showPasswordBox();
    void showCommandBox();
    // Ends the game early: the closing lines below the scene, the command box dead.
    void gameOver();

private:
    friend class Game;
    explicit Scene(Game &game) : m_game(game) {}
    Game &m_game;
};

} // namespace tarnvale
