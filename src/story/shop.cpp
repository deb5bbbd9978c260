#include "story/story.h"

#include "engine/scene.h"
#include "story/items.h"
#include "story/scenery.h"

namespace tarnvale::story {
namespace {

// --- What the shop says, in the order its rules use it ------------------------

constexpr std::u16string_view kSaleswomanTalk =
    u"- Не подскажите, а...\r\n"
    u"- Нет! - оборвала тебя продавщица. - Тут тебе не справочное бюро! Бери, что надо, "
    u"и проваливай!\r\n"
    u"- Мммм... Понятно...";

constexpr std::u16string_view kSaleswomanLook =
    u"Странная женщина лет тридцати. Волосы какого-то неопределённого цвета, грязные, глаза красные. "
    u"Перегаром от неё разит так, что кажется, будто по жилам у неё течёт не кровь, а спирт.";

constexpr std::u16string_view kPriceList =
    u"Цены:\r\n"
    u" хлеб - 10.60руб.\r\n"
    u" шпроты - 16.00руб.\r\n"
    u" пиво 0,5л - 20.00руб.\r\n"
    u" сигареты - 10.00руб.\r\n"
    u"Довольно странный магазинчик... Один вид пива и сигарет чего стоит, да и хлеб "
    u"явно не первой свежести...";

constexpr std::u16string_view kNotForSale =
    u"Подумай ещё раз. Тебе это не нужно, а если и нужно было бы, то ты бы купил это в другом "
    u"месте...";

constexpr std::u16string_view kCigarettesBought =
    u"- Мне бы сигарет пачку.\r\n"
    u"- На, кури. Десять рублей.\r\n"
    u"- Вот, возьмите. Спасибо.";
constexpr std::u16string_view kCigarettesHeld = u"Зачем тебе столько сигарет? Ты не куришь!";

} // namespace

const RuleTable &shopRules()
{
    static const RuleTable rules = {
        {"talk to the saleswoman",
         {u"говорить с продавщихой", u"говорить с продавщицей", u"поговорить с продавщицей",
          u"поговорить с продавщихой", u"заговорить с продавщихой", u"заговорить с продавщицей",
          u"заговорить с продавцом", u"поговорить с продавцом", u"говорить с продавцом"},
         [](Scene &g) { g.reply(kSaleswomanTalk); }},

        {"examine the saleswoman",
         {u"осм продавщица", u"осм продавщиха", u"осм продавщиху", u"осм продавщицу",
          u"осм продавца"},
         [](Scene &g) { g.reply(kSaleswomanLook); }},

        {"examine the goods",
         {u"осмотреть товары", u"осмотреть товар", u"осм товар", u"осм товары",
          u"осмотреть прилавок", u"осм прилавок"},
         [](Scene &g) { g.reply(kPriceList); }},

        {"try to buy beer, sprats or bread",
         {u"купить пива", u"купить пиво", u"купить шпрот", u"купить шпроты", u"купить хлеб"},
         [](Scene &g) { g.reply(kNotForSale); }},

        {"buy the cigarettes",
         {u"взять сигареты", u"взять сигарет", u"взять пачку сигарет", u"купить пачку сигарет",
          u"купить сигареты", u"купить сигарет"},
         [](Scene &g) {
             if (g.is(Flag::hasCheapCigs)) {
                 g.reply(kCigarettesHeld);
                 return;
             }
             // Nobody checks the balance: the money may go below zero.
             g.reply(kCigarettesBought);
             g.addMoney(-10);
             g.addPoints(50);
             g.putItem(kCheapCigs);
             g.set(Flag::hasCheapCigs);
         }},

        {"leave the shop",
         {u"идти на улицу", u"уйти на улицу", u"покинуть магазин", u"уйти из магазина",
          u"на улицу", u"выйти на улицу", u"выйти из магазина"},
         [](Scene &g) {
             g.moveTo(kStreet);
             g.reply(kStreetLook);
         }},
    };
    return rules;
}

} // namespace tarnvale::story
