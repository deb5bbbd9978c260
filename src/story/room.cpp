#include "story/story.h"

#include "engine/game.h"

namespace tarnvale::story {

const RuleTable &roomRules()
{
    static const RuleTable rules = {};
    return rules;
}

} // namespace tarnvale::story
