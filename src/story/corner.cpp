#include "story/story.h"

#include "engine/game.h"

namespace tarnvale::story {

const RuleTable &cornerRules()
{
    static const RuleTable rules = {};
    return rules;
}

} // namespace tarnvale::story
