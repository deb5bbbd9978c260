#include "story/story.h"

#include "engine/game.h"

namespace tarnvale::story {

const RuleTable &computerRules()
{
    static const RuleTable rules = {};
    return rules;
}

} // namespace tarnvale::story

namespace tarnvale::story {

void checkPassword(Game &, const QString &)
{
}

} // namespace tarnvale::story
