#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarnvale {

class Game;

// One rule of a location script: the accepted wordings of an action and what
// it does. The effects function holds the rule's guard and every branch; it
// runs when the command equals one of the phrases exactly (case-sensitive,
// nothing trimmed).
struct Rule {
    const char *what;                 // a short description, for readers and debuggers
    std::vector<std::u16string_view> phrases;
    void (*effects)(Game &);

    bool accepts(std::u16string_view command) const;
};

// A script: rules tested one after another, each on its own. A later rule is
// tested even when an earlier one fired, and sees the state as the earlier
// ones left it.
using RuleTable = std::vector<Rule>;

void runRules(const RuleTable &rules, Game &game, std::u16string_view command);

// The story the interpreter runs: the script of one location, then the rules
// valid everywhere.
struct Story {
    void (*runLocation)(Game &game, std::int16_t location, std::u16string_view command);
    const RuleTable *everywhere;
    // The computer's answer to a password attempt typed into the password box.
    void (*checkPassword)(Game &game, std::u16string_view attempt);
};

} // namespace tarnvale
