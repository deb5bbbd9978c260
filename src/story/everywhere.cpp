#include "story/story.h"

#include "engine/scene.h"
#include "story/items.h"

namespace tarnvale::story {
namespace {

// --- What the pack swap says ---------------------------------------------------

constexpr std::u16string_view kPacksSwapped =
    u"Ты переложил дешёвые сигареты в пачку от дорогих. Теперь у тебя пачка дорогих сигарет.";
constexpr std::u16string_view kNothingToSwap = u"Что и куда перекладывать?";

} // namespace

const RuleTable &everywhereRules()
{
    static const RuleTable rules = {
        {"pour the cheap cigarettes into the expensive pack",
         {u"поменять пачки сигарет", u"пересыпать сигареты", u"пересыпать дешёвые сигареты",
          u"переложить дешёвые сигареты", u"переложить сигареты"},
         [](Scene &g) {
             if (!(g.is(Flag::hasCheapCigs) && g.is(Flag::hasEmptyPack))) {
                 g.reply(kNothingToSwap);
                 return;
             }
             g.reply(kPacksSwapped);
             // The refilled pack keeps the empty pack's slot.
             g.renameItem(kEmptyPack, kDearCigs);
             g.removeItem(kCheapCigs);
             g.addPoints(150);
             g.set(Flag::hasDearCigs);
             g.clear(Flag::hasCheapCigs);
             g.clear(Flag::hasEmptyPack);
         }},
    };
    return rules;
}

} // namespace tarnvale::story
