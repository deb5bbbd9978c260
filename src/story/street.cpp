#include "story/story.h"

#include "engine/scene.h"
#include "story/items.h"
#include "story/scenery.h"
#include "story/text.h"

namespace tarnvale::story {
namespace {

// --- What the street says, in the order its rules use it ----------------------

constexpr Text kUrnSearchedAgain = u"Грязная урна, вся в ржавчине. Внутри много всякого хлама.";
constexpr auto kUrnFirstSearch =
    join(kUrnSearchedAgain,
         u" Рядом с урной валяется пустая пачка из-под сигарет \"Parlament\". Ты подбираешь её.");

constexpr std::u16string_view kShopEntered =
    u"По обстановке видно, что ремонта здесь не было с самого открытия, а убирают тут разве что "
    u"по большим праздникам.\r\n"
    u"За прилавком стоит подвыпившая продавщица лет тридцати и смотрит на тебя стеклянными глазами.\r\n"
    u"Тут продают хлеб, спиртное, шпроты и дешёвые сигареты.";
constexpr std::u16string_view kShopClosed = u"Продавщица закрыла магазин и туда уже не попасть.";

constexpr Text kThugsApproach =
    u"Ты двигаешься прямо к стаду отморозков.\r\n"
    u"- Закурить не найдётся? - спросил лысый хриплым голосом.\r\n";
constexpr auto kThugsRefuse =
    join(kThugsApproach,
         u"- Нет, нету.\r\n"
         u"- Ну так и вали отсюда, раз нету! - рявкнул лысоватый со шрамом на пол-лица.\r\n"
         u"Ты, не долго думая, поскорее отправился обратно.");
constexpr auto kThugsDearCigs =
    join(kThugsApproach,
         u"- Да какие разговоры! Конечно есть!\r\n"
         u"Ты достал пачку \"Парламента\", открыл её и протянул лысому.\r\n"
         u"- Благодарю! - сказал хриплый, вынимая сигарету.\r\n"
         u"Остальные тоже прихватили по сигарете, а кто и по парочке.");
constexpr auto kThugsCheapCigs =
    join(kThugsApproach,
         u"- Да какие разговоры! Конечно есть!\r\n"
         u"Ты открыл пачку дешёвых сигарет и протянул лысому.\r\n"
         u"- Благодарю! - сказал хриплый, вынимая сигарету. - Ну и дрянь же ты куришь! И такое "
         u"приличным людям предлагаешь? Вали отсюда!\r\n"
         u"Остальные тоже прихватили по сигарете, а кто и по парочке.");
constexpr std::u16string_view kThugsGone = u"Ты стоишь на месте, где раньше стояли отморозки.";

// Turning into the alley, and the alley with the brick on its doorstep.
constexpr auto kAlleyTurn =
    join(u"Ты поворачиваешь налево и идёшь в переулок.", u"\r\n", kAlleyLookWithBrick);

constexpr std::u16string_view kWindowIntact =
    u"Большая грязная стеклянная витрина. На ней корявыми буквами намалёвано красной краской "
    u"\"У Саши\".";
constexpr std::u16string_view kWindowSmashed =
    u"От витрины ничего не осталось, она полностью разбита.";

// The throw, up to the moment the saleswoman threatens the gang.
constexpr Text kThrowStart =
    u"Ты размахнулся и бросил кирпич в витрину.\r\n"
    u"Витрина с грохотом разлетелась вдребезги, а ты как ни в чём не бывало прислонился к столбу. "
    u"Раздался визг, и из двери выглянула продавщица:\r\n"
    u"- Ах вы уроды! Что вы делаете, отморозки?!\r\n"
    u"- Да ты чё, внатуре, да это не...\r\n"
    u"- Вечно вы тут ошиваетесь! Всё, хватит, сейчас милицию вызову!\r\n";
constexpr auto kThrowSucceeded =
    join(kThrowStart,
         u"При этих словах отморозков как ветром сдуло, и куда они подевались, никто бы не сказал. "
         u"Ты заметил, что лысый, удирая, выронил свой ключ, да так его и не подобрал.\r\n"
         u"Продавщица опустила железные ставни, заперла дверь и куда-то ушла, может, домой.");
constexpr auto kThrowFailed =
    join(kThrowStart,
         u"При этих словах отморозки бросились наутёк со всех ног, а продавщица опустила железные "
         u"ставни, заперла дверь и куда-то ушла, может, домой.\r\n"
         u"Через пару минут к тебе подошли отморозки.\r\n"
         u"- Ах ты гад! Ты зачем пацанов подставил?! - выругался лысый.\r\n"
         u"Прежде чем отключиться, ты успел заметить, как лысоватый вытаскивает из-под куртки "
         u"кусок арматуры...");
constexpr std::u16string_view kWindowAlreadyBroken = u"Витрина разбита.";
constexpr std::u16string_view kNothingToThrow = u"Чем ты её собрался разбивать?";

} // namespace

const RuleTable &streetRules()
{
    static const RuleTable rules = {
        {"search the urn",
         {u"разглядеть урну", u"заглянуть урну", u"посмотреть в урну", u"обшарить урна",
          u"обшарить урну", u"изучить урна", u"изучить урну", u"осмотреть урна",
          u"осмотреть урну", u"осм урна", u"осм урну"},
         [](Scene &g) {
             if (!g.is(Flag::urnSearched)) {
                 g.reply(kUrnFirstSearch);
                 g.set(Flag::hasEmptyPack);
                 g.set(Flag::urnSearched);
                 g.putItem(kEmptyPack);
                 g.addPoints(100);
             } else {
                 g.reply(kUrnSearchedAgain);
             }
         }},

        {"look around",
         {u"местоположение", u"где я", u"где я?", u"осмотреть местность", u"осм местность",
          u"осмотреться", u"осм"},
         [](Scene &g) { g.reply(kStreetLook); }},

        {"enter the shop",
         {u"магазин", u"в магазин", u"войти в магазин", u"идти в магазин", u"зайти в магазин"},
         [](Scene &g) {
             if (g.is(Flag::windowBroken)) {
                 g.reply(kShopClosed);
             } else {
                 g.moveTo(kShop);
                 g.reply(kShopEntered);
             }
         }},

        {"go to the thugs",
         {u"вправо", u"направо", u"шагать направо", u"подойти к банде отморозков",
          u"идти к банде отморозков", u"идти к кучке отморозков", u"подойти к кучке отморозков",
          u"подойти к отморозкам", u"идти к отморозкам", u"идти направо"},
         [](Scene &g) {
             if (g.is(Flag::windowBroken)) {
                 g.reply(kThugsGone);
                 g.moveTo(kCorner);
                 return;
             }
             // The refilled pack gets the player in; the flag stays, so every
             // later approach plays the same scene again.
             if (g.is(Flag::hasDearCigs)) {
                 g.reply(kThugsDearCigs);
                 g.moveTo(kCorner);
                 g.addPoints(100);
                 g.removeItem(kDearCigs);
             } else {
                 g.reply(kThugsRefuse);
                 g.moveTo(kStreet);
             }
             // Cheap cigarettes get taken whatever happened above.
             if (g.is(Flag::hasCheapCigs)) {
                 g.reply(kThugsCheapCigs);
                 g.clear(Flag::hasCheapCigs);
                 g.removeItem(kCheapCigs);
             }
         }},

        {"go into the alley",
         {u"в переулок", u"шагать в переулок", u"шагать налево", u"идти влево", u"налево",
          u"идити налево", u"влево", u"зайти налево", u"зайти в переулок", u"идти в переулок",
          u"переулок"},
         [](Scene &g) {
             g.reply(kAlleyTurn);
             g.moveTo(kAlley);
         }},

        {"look at the shop window",
         {u"посмотреть на витрину", u"глянуть на витрину", u"взглянуть на витрину",
          u"рассмотреть витрину", u"смотреть на витрину", u"изучить витрина", u"изучить витрину",
          u"осмотреть витрину", u"осмотреть витрина", u"осм витрина", u"осм витрину"},
         [](Scene &g) { g.reply(g.is(Flag::windowBroken) ? kWindowSmashed : kWindowIntact); }},

        {"break the shop window",
         {u"бросить кирпич в витрину", u"кинуть в витрину кирпич", u"бросить в витрину кирпич",
          u"разбить в витрину кирпич", u"разбить витрину кирпичом", u"разбить витрину"},
         [](Scene &g) {
             if (g.is(Flag::hasBrick)) {
                 if (g.is(Flag::keyNoticed)) {
                     g.reply(kThrowSucceeded);
                     g.clear(Flag::hasBrick);
                     g.removeItem(kBrick);
                     g.addPoints(200);
                     g.set(Flag::windowBroken);
                 } else {
                     // Without an eye on the bald man's key the gang comes
                     // back for the player, and the game is over.
                     g.reply(kThrowFailed);
                     g.removeItem(kBrick);
                     g.gameOver();
                 }
             } else {
                 g.reply(g.is(Flag::windowBroken) ? kWindowAlreadyBroken : kNothingToThrow);
             }
         }},
    };
    return rules;
}

} // namespace tarnvale::story
