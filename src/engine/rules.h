#pragma once

#include "engine/description.h"
#include "engine/gamestate.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tarnvale {

class Scene;

// One rule of a location script: the accepted wordings of an action and what
// it does. The effects function holds the rule's guard and every branch; it
// runs when the command equals one of the phrases exactly (case-sensitive,
// nothing trimmed).
struct Rule {
    const char *what;                 // a short description, for readers and debuggers
    std::vector<std::u16string_view> phrases;
    void (*effects)(Scene &);

    bool accepts(std::u16string_view command) const;
};

// A script: rules tested one after another, each on its own. A later rule is
// tested even when an earlier one fired, and sees the state as the earlier
// ones left it.
using RuleTable = std::vector<Rule>;

void runRules(const RuleTable &rules, Scene &scene, std::u16string_view command);

struct Story;
// Runs the script of `location`; a location the story does not have is silent.
void runLocation(const Story &story, Scene &scene, std::int16_t location, std::u16string_view command);

// The script of one location: its rules, then, where it has them, the rules
// of what the location holds. The location's own rules are silent while the
// flag `silentWhile` is set (read once, before the first rule).
struct LocationScript {
    const RuleTable &(*rules)();
    const RuleTable &(*then)() = nullptr;
    std::optional<FlagIndex> silentWhile = {};
};

// The game window's captions as it is designed, before a game's load
// rewrites them.
struct GameCaptions {
    std::u16string_view txtGame;
    std::u16string_view lblSteps;
    std::u16string_view lblMoney;
    std::u16string_view lblPoints;
    std::u16string_view lblDiff;
};

// What the machine itself says, in the story's words.
struct Wording {
    std::u16string_view defaultReply;   // to a command that no rule accepts
    std::u16string_view gameOver;       // the closing lines of a lost game
    std::u16string_view afterGameOver;  // told after them: what the player can do now
    std::u16string_view overflow;       // a turn undone by a counter overflow
    std::u16string_view moves;          // after the counters' numbers
    std::u16string_view points;
    std::u16string_view money;
    std::u16string_view hardGame;       // the difficulty label
    std::u16string_view easyGame;
    std::u16string_view resumeFailed;   // a kept game that could not be brought back
    std::u16string_view itemCame;       // before an item that came into the inventory
    std::u16string_view itemWent;       // before one that left it
};

// The story the interpreter runs: the script of the current location, then
// the rules valid everywhere; the computer's answer to a password attempt;
// its words and the easy game's dictionary; the names of its flags (for
// tools that read the state record) and the description of the windows.
struct Story {
    std::span<const LocationScript> locations;   // by location number
    const RuleTable *everywhere;
    void (*checkPassword)(Scene &scene, std::u16string_view attempt);
    GameCaptions captions;
    Wording words;
    std::span<const std::u16string_view> dictionary;
    std::span<const std::string_view> flagNames;   // kFlagCount of them, in the record's order
    const windows::Description *windows = nullptr;
};

} // namespace tarnvale
