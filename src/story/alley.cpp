#include "story/story.h"

#include "engine/game.h"

namespace tarnvale::story {

const RuleTable &alleyRules()
{
    static const RuleTable rules = {};
    return rules;
}

} // namespace tarnvale::story
