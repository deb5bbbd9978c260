#include "engine/rules.h"

#include <algorithm>

namespace tarnvale {

bool Rule::accepts(std::u16string_view command) const
{
    return std::any_of(phrases.begin(), phrases.end(),
                       [command](std::u16string_view phrase) { return phrase == command; });
}

void runRules(const RuleTable &rules, Game &game, std::u16string_view command)
{
    for (const Rule &rule : rules) {
        if (rule.accepts(command))
            rule.effects(game);
    }
}

} // namespace tarnvale
