#include "story/story.h"

#include "engine/scene.h"
#include "story/items.h"
#include "story/scenery.h"
#include "story/text.h"

namespace tarnvale::story {

namespace {

constexpr std::u16string_view kAlleyDoor =
    u"Деревянная дверь, краска на ней давно облупилась. Видимо, дверь выходит на улицу.";
constexpr Text kDoorLocked = u"Ты дёрнул за ручку, но ничего не произошло. Дверь заперта.";
constexpr auto kDoorUnlocked =
    join(kDoorLocked,
         u"\r\nТут ты вспомнил, что у тебя есть ключ лысого отморозка. Ты вставил его в замочную "
         u"скважину, повернул, и замок со щелчком открылся.\r\n"
         u"Ты заходишь внутрь, закрываешь за собой дверь.");
constexpr std::u16string_view kBrickOnDoorstep = u"Самый обычный красный кирпич.";
constexpr std::u16string_view kBrickInHand = u"Кирпич у тебя в руке! Красный такой, увесистый!";
constexpr std::u16string_view kBrickInShop = u"Кирпич в магазине...";
constexpr std::u16string_view kBrickTaken = u"Ты поднимаешь кирпич.";
constexpr std::u16string_view kBrickAlreadyTaken = u"Кирпич уже у тебя в руке.";
constexpr std::u16string_view kNoBricksHere = u"Здесь нет кирпичей.";
// Back in the street, which is described again.
constexpr auto kLeaveAlley =
    join(u"Ты покидаешь этот мрачный переулок.\r\nТы опять стоишь на улице. ", kStreetView);

} // namespace

const RuleTable &alleyRules()
{
    static const RuleTable rules = {
        {"look around",
         {u"местоположение", u"где я", u"где я?", u"осмотреть местность", u"осм местность",
          u"осмотреться", u"осм"},
         [](Scene &g) {
             if (!g.is(Flag::hasBrick) && !g.is(Flag::windowBroken))
                 g.reply(kAlleyLookWithBrick);
             else
                 g.reply(kAlleyLook);
         }},
        {"look at the door",
         {u"рассмотреть дверь", u"разглядеть дверь", u"изуч дверь", u"изучить дверь",
          u"посмотреть на дверь", u"смотреть на дверь", u"осмотреть дверь", u"осм дверь"},
         [](Scene &g) { g.reply(kAlleyDoor); }},
        {"open the door",
         {u"отпереть дверь", u"зайти в дверь", u"войти в дверь", u"откр дверь",
          u"открыть дверь"},
         [](Scene &g) {
             if (g.holdsItem(kBaldKey)) {
                 g.reply(kDoorUnlocked);
                 g.moveTo(kRoom);
                 g.addPoints(150);
             } else {
                 g.reply(kDoorLocked);
             }
         }},
        {"examine the brick",
         {u"рассмотреть кирпич", u"изучить кирпич", u"изуч кирпич", u"осм кирпич",
          u"осмотреть кирпич"},
         [](Scene &g) {
             if (g.is(Flag::windowBroken))
                 g.reply(kBrickInShop);
             else if (g.is(Flag::hasBrick))
                 g.reply(kBrickInHand);
             else
                 g.reply(kBrickOnDoorstep);
         }},
        {"take the brick",
         {u"кирпич в инвентарь", u"кирпич в карман", u"сунуть кирпич в карман",
          u"подобрать кирпич", u"поднять кирпич", u"забрать кирпич", u"взять кирпич"},
         [](Scene &g) {
             if (g.is(Flag::windowBroken)) {
                 g.reply(kNoBricksHere);
             } else if (g.is(Flag::hasBrick)) {
                 g.reply(kBrickAlreadyTaken);
             } else {
                 g.reply(kBrickTaken);
                 g.set(Flag::hasBrick);
                 g.addPoints(50);
                 g.putItem(kBrick);
             }
         }},
        {"leave the alley",
         {u"уйти из переулка", u"покинуть переулок", u"выйти из переулка", u"на улицу",
          u"выйти на улицу"},
         [](Scene &g) {
             g.reply(kLeaveAlley);
             g.moveTo(kStreet);
         }},
    };
    return rules;
}

} // namespace tarnvale::story
