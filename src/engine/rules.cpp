#include "engine/rules.h"

#include <algorithm>

namespace tarnvale {

bool Rule::accepts(QStringView command) const
{
    return std::any_of(phrases.begin(), phrases.end(),
                       [command](QStringView phrase) { return phrase == command; });
}

void runRules(const RuleTable &rules, Game &game, QStringView command)
{
    for (const Rule &rule : rules) {
        if (rule.accepts(command))
            rule.effects(game);
    }
}

} // namespace tarnvale
