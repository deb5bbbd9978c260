#include "story/story.h"

#include "engine/game.h"
#include "story/items.h"
#include "story/scenery.h"

namespace tarnvale::story {

using namespace std::string_literals;

namespace {

const std::u16string kCornerWayBack =
    u"Немного левее можно зайти в переулок, а не доходя до него стоит магазин."s;
const std::u16string kCornerWithGang =
    u"Ты стоишь на улице возле банды отморозков. "s + kCornerWayBack
    + u"\r\nОтморозки пьют пиво и ржут. Очевидно, что лидер - лысый."s;
const std::u16string kCornerEmpty = u"Никого вокруг. "s + kCornerWayBack;
const std::u16string kCornerWithKey =
    kCornerEmpty + u"\r\nУ тебя под ногами лежит ключ лысого отморозка с брелком \"lyra\"."s;
const std::u16string kKeyLook = u"Обычный ключ жёлтого цвета с металлическим брелком \"lyra\"."s;
const std::u16string kKeyTaken = u"Ты поднимаешь ключ."s;
const std::u16string kKeyTooRisky = u"Лысый отморозок несколько крепче тебя, да и друзья его рядом..."s;
const std::u16string kBaldTalk =
    u"- Давно тут стоите?\r\n"
    u"- Да я вырос на этой улице! Всю жизнь тут! Пива хочешь?\r\n"
    u"\"Сейчас ещё и пиво с меня требовать начнут\" - подумал ты про себя и ответил:\r\n"
    u"- Нет, спасибо, я не пью.\r\n"
    u"- Ну, нет так нет... Не отвлекай меня больше!"s;
const std::u16string kBaldBusy =
    u"Лысый просил не отвлекать его больше. Ты не хочешь больше с ним разговаривать, "
    u"а то мало ли что..."s;
const std::u16string kBaldLook =
    u"Лысый оказался невысоким, крепко сбитым парнем в дешёвом спортивном костюме и чёрных "
    u"ботинках, покрытых пылью. В правой руке он держит бутылку пива из ближайшего магазина, "
    u"а на указательном пальце левой лениво крутит ключ с металлическим брелком \"lyra\"."s;
// The street view itself is appended when the reply is written: it lives in
// another unit.
const std::u16string kLeaveCorner = u"Ты отходишь от оторозков.\r\nТы снова стоишь на улице. "s;

} // namespace

const RuleTable &cornerRules()
{
    static const RuleTable rules = {
        {"look around",
         {u"местоположение", u"где я", u"где я?", u"осмотреть местность", u"осм местность",
          u"осмотреться", u"осм"},
         [](Game &g) {
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
         [](Game &g) {
             if (g.is(Flag::keyNoticed))
                 g.reply(kKeyLook);
         }},
        {"take the key",
         {u"забрать ключ", u"сунуть ключ в карман", u"ключ в инвентарь", u"ключ в карман",
          u"подобрать ключ", u"поднять ключ", u"взять ключ"},
         [](Game &g) {
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
         [](Game &g) {
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
         [](Game &g) {
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
         [](Game &g) {
             g.reply(kLeaveCorner + kStreetView);
             g.moveTo(kStreet);
         }},
    };
    return rules;
}

} // namespace tarnvale::story
