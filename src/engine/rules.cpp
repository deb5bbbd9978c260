#include "engine/rules.h"

#include "engine/scene.h"

#include <algorithm>

namespace tarnvale {

bool Rule::accepts(std::u16string_view command) const
{
    return std::any_of(phrases.begin(), phrases.end(),
                       [command](std::u16string_view phrase) { return phrase == command; });
}

void runRules(const RuleTable &rules, Scene &scene, std::u16string_view command)
{
    for (const Rule &rule : rules) {
        if (rule.accepts(command))
            rule.effects(scene);
    }
}

void runLocation(const Story &story, Scene &scene, std::int16_t location, std::u16string_view command)
{
    if (location < 0 || std::size_t(location) >= story.locations.size())
        return;
    const LocationScript &script = story.locations[std::size_t(location)];
    if (!(script.silentWhile && scene.is(*script.silentWhile)))
        runRules(script.rules(), scene, command);
    if (script.then)
        runRules(script.then(), scene, command);
}

} // namespace tarnvale
