#include "story/story.h"

#include "engine/game.h"

namespace tarnvale {
namespace {

void runLocation(Game &game, std::int16_t location, std::u16string_view command)
{
    switch (location) {
    case kStreet:
        runRules(story::streetRules(), game, command);
        break;
    case kShop:
        runRules(story::shopRules(), game, command);
        break;
    case kAlley:
        runRules(story::alleyRules(), game, command);
        break;
    case kCorner:
        runRules(story::cornerRules(), game, command);
        break;
    case kRoom:
        // The room is silent while the player sits at the computer; whether
        // he does is read once, before the first rule.
        if (!game.is(Flag::atComputer))
            runRules(story::roomRules(), game, command);
        runRules(story::computerRules(), game, command);
        break;
    default:
        break;
    }
}

} // namespace

const Story &tarnvaleStory()
{
    static const Story story{runLocation, &story::everywhereRules(), story::checkPassword};
    return story;
}

} // namespace tarnvale
