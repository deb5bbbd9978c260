#include "story/story.h"

#include "engine/scene.h"
#include "story/items.h"
#include "story/scenery.h"
#include "story/text.h"

namespace tarnvale::story {

namespace {

constexpr Text kCornerWayBack =
    u"Немного левее можно зайти в переулок, а не доходя до него стоит магазин.";
constexpr auto kCornerWithGang =
    join(u"Ты стоишь на улице возле банды отморозков. ", kCornerWayBack,
         u"\r\nОтморозки пьют пиво и ржут. Очевидно, что лидер - лысый.");
constexpr auto kCornerEmpty = join(u"Никого вокруг. ", kCornerWayBack);
constexpr auto kCornerWithKey =
    join(kCornerEmpty, u"\r\nУ тебя под ногами лежит ключ лысого отморозка с брелком \"lyra\".");
constexpr std::u16string_view kKeyLook =
    u"Обычный ключ жёлтого цвета с металлическим брелком \"lyra\".";
constexpr std::u16string_view kKeyTaken = u"Ты поднимаешь ключ.";
constexpr std::u16string_view kKeyTooRisky =
    u"Лысый отморозок несколько крепче тебя, да и друзья его рядом...";
constexpr std::u16string_view kBaldTalk =
    u"- Давно тут стоите?\r\n"
    u"- Да я вырос на этой улице! Всю жизнь тут! Пива хочешь?\r\n"
    u"\"Сейчас ещё и пиво с меня требовать начнут\" - подумал ты про себя и ответил:\r\n"
    u"- Нет, спасибо, я не пью.\r\n"
    u"- Ну, нет так нет... Не отвлекай меня больше!";
constexpr std::u16string_view kBaldBusy =
    u"Лысый просил не отвлекать его больше. Ты не хочешь больше с ним разговаривать, "
    u"а то мало ли что...";
constexpr std::u16string_view kBaldLook =
    u"Лысый оказался невысоким, крепко сбитым парнем в дешёвом спортивном костюме и чёрных "
    u"ботинках, покрытых пылью. В правой руке он держит бутылку пива из ближайшего магазина, "
    u"а на указательном пальце левой лениво крутит ключ с металлическим брелком \"lyra\".";
// Back in the street, which is described again.
constexpr auto kLeaveCorner =
    join(u"Ты отходишь от оторозков.\r\nТы снова стоишь на улице. ", kStreetView);

} // namespace

const RuleTable &cornerRules()
{
    static const RuleTable rules = {
        {"look around",
         {u"местоположение", u"где я", u"где я?", u"осмотреть местность", u"осм местность",
          u"осмотреться", u"осм"},
         [](Scene &g) {
             if (!g.is(Flag::windowBroken))
                 g.reply(kCornerWithGang);
             else if (g.is(Flag::keyNoticed))
                 g.reply(kCornerWithKey);
             else
                 g.reply(kCornerEmpty);
         }},
        {"look at the key",
         {u"посмотреть на ключ", u"смотреть на ключ", u"глянуть на ключ", u"взглянуть на ключ",
          u"рассмотреть ключ", u"изуч ключ", u"изучить ключ", u"осмотреть ключ", u"осм ключ"},
         [](Scene &g) {
             if (g.is(Flag::keyNoticed))
                 g.reply(kKeyLook);
         }},
        {"take the key",
         {u"забрать ключ", u"сунуть ключ в карман", u"ключ в инвентарь", u"ключ в карман",
          u"подобрать ключ", u"поднять ключ", u"взять ключ"},
         [](Scene &g) {
             if (g.is(Flag::hasBrick)) {
                 g.reply(kKeyTooRisky);
             } else if (g.is(Flag::windowBroken) && g.is(Flag::keyNoticed)) {
                 g.reply(kKeyTaken);
                 g.clear(Flag::keyNoticed);
                 g.addPoints(100);
                 g.putItem(kBaldKey);
             }
         }},
        {"talk to the bald man",
         {u"разг с лысым", u"пог с лысым", u"гов с лысым", u"заговориь с лысым",
          u"беседа с лысым", u"диалог с лысым", u"разговаривать с лысым", u"поговорить с лысым",
          u"говорить с лысым"},
         [](Scene &g) {
             if (g.is(Flag::baldDismissed)) {
                 g.reply(kBaldBusy);
             } else {
                 g.reply(kBaldTalk);
                 g.set(Flag::baldDismissed);
             }
         }},
        {"examine the bald man",
         {u"изуч лысый", u"изуч лысого", u"разглядеть лысого", u"разглядеть лысый",
          u"рассмотреть лысый", u"рассмотреть лысого", u"изучить лысый", u"изучить лысого",
          u"осм лысого", u"осмотреть лысого", u"осмотреть лысый", u"осм лысый"},
         [](Scene &g) {
             g.reply(kBaldLook);
             if (!g.is(Flag::windowBroken)) {
                 if (!g.is(Flag::keyNoticed))
                     g.addPoints(50);
                 g.set(Flag::keyNoticed);
             }
         }},
        {"leave the corner",
         {u"идти налево", u"вернуться обратно", u"вернуться к магазину", u"подойти к магазину",
          u"идти к магазину", u"идти от банды", u"отойти от банды", u"отойти от отморозков",
          u"идти от отморозков", u"шагать налево", u"налево"},
         [](Scene &g) {
             g.reply(kLeaveCorner);
             g.moveTo(kStreet);
         }},
    };
    return rules;
}

} // namespace tarnvale::story
