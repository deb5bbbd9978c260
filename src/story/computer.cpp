#include "story/story.h"

#include "engine/game.h"
#include "story/items.h"

namespace tarnvale::story {

using namespace std::string_literals;

namespace {

// The password is the name on the bald man's key fob.
const std::u16string kPassword = u"lyra"s;

// What the screen shows: the menu, and the line under a finished entry.
const std::u16string kMenu = u"* записная книжка\r\n* дискета\r\n* выключить компьютер"s;
const std::u16string kRuleLine =
    u"--------------------------------- end ---------------------------------"s;
const std::u16string kPasswordPrompt = u"Введите пароль:"s;

const std::u16string kComputerIsOn = u"Компьютер включен."s;
const std::u16string kSitDown = u"Ты сел за включеный компьютер.\r\n"s + kMenu;
const std::u16string kBoot =
    u"Ты нажал большую серую кнопку, и системный блок загудел. Грузился он минуты две, "
    u"и тут, блин, надо вводить пароль.\r\n"s
    + kPasswordPrompt;
const std::u16string kNoDiskette = u"У тебя нет никакой дискеты."s;
const std::u16string kDisketteAlreadyIn = u"Дискета уже вставлена.\r\n"s + kMenu;
const std::u16string kDisketteInserted = u"Ты вставил дискету в дисковод.\r\n"s + kMenu;
const std::u16string kNotebook =
    u"Позвони Евграфу (его номер в файле на дискете), он подскажет дальнейшие действия.\r\n"s
    + kRuleLine + u"\r\n"s + kMenu;
const std::u16string kFileOpened =
    u"Внутри один только файл: happyend.txt. Ты открываешь его:\r\n(729)58-14-30\r\n"s
    + kRuleLine + u"\r\n"s + kMenu;
const std::u16string kNoDiskInDrive =
    u"диск в устройстве не обнаружен\r\n"s + kRuleLine + u"\r\n"s + kMenu;
const std::u16string kStandUp = u"Ты решил не выключать компьютер, а просто встать из-за него."s;
const std::u16string kNotSeated = u"Ты не за компьютером."s;
const std::u16string kWrongPassword =
    u"Пароль неверный. Попробуйте ещё раз.\r\n"s + kPasswordPrompt;
const std::u16string kPasswordAccepted =
    kPasswordPrompt + u"\r\n"s + kPassword + u"\r\nпринято\r\n\r\n"s + kMenu;

} // namespace

const RuleTable &computerRules()
{
    static const RuleTable rules = {
        {"switch the computer on",
         {u"работать на компьютере", u"подойти к компьютеру", u"сесть за компьютер",
          u"запустить компьютер", u"подключить компьютер", u"включить компьютер"},
         [](Game &g) {
             if (g.is(Flag::atComputer)) {
                 g.reply(kComputerIsOn);
             } else if (g.is(Flag::loggedIn)) {
                 g.reply(kSitDown);
                 g.set(Flag::atComputer);
             } else {
                 g.reply(kBoot);
                 g.set(Flag::atComputer);
                 g.showPasswordBox();
             }
         }},
        {"insert the diskette",
         {u"вставить флоппи-диск", u"вставить диск", u"вставить дискетку", u"вставить дискету"},
         [](Game &g) {
             // Away from the computer, or at its password prompt, there is
             // nowhere to put it.
             if (!g.is(Flag::atComputer) || !g.is(Flag::loggedIn))
                 return;
             if (!g.is(Flag::hasDiskette)) {
                 g.reply(kNoDiskette);
             } else if (g.is(Flag::disketteInserted)) {
                 g.reply(kDisketteAlreadyIn);
             } else {
                 g.reply(kDisketteInserted);
                 g.set(Flag::disketteInserted);
                 g.removeItem(kDiskette);
             }
         }},
        // The menu entries, typed without the menu's bullet.
        {"read the notebook", {u"записная книжка"},
         [](Game &g) {
             if (g.is(Flag::atComputer))
                 g.reply(kNotebook);
         }},
        {"open the diskette", {u"дискета"},
         [](Game &g) {
             if (!g.is(Flag::atComputer))
                 return;
             if (g.is(Flag::disketteInserted)) {
                 g.reply(kFileOpened);
                 g.set(Flag::fileRead);
             } else {
                 g.reply(kNoDiskInDrive);
             }
         }},
        {"stand up",
         {u"выключить компьютер", u"встать из-за компьютера", u"отойти от компьютера"},
         [](Game &g) {
             if (g.is(Flag::atComputer)) {
                 g.reply(kStandUp);
                 g.clear(Flag::atComputer);
             } else {
                 g.reply(kNotSeated);
             }
         }},
    };
    return rules;
}

void checkPassword(Game &game, std::u16string_view attempt)
{
    if (attempt != kPassword) {
        game.reply(kWrongPassword);
        return;
    }
    game.reply(kPasswordAccepted);
    game.showCommandBox();
    game.set(Flag::loggedIn);
}

} // namespace tarnvale::story
