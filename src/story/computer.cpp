#include "story/story.h"

#include "engine/scene.h"
#include "story/items.h"
#include "story/text.h"

namespace tarnvale::story {

namespace {

// The password is the name on the bald man's key fob.
constexpr Text kPassword = u"lyra";

// What the screen shows: the menu, and the line under a finished entry.
constexpr Text kMenu = u"* записная книжка\r\n* дискета\r\n* выключить компьютер";
constexpr Text kRuleLine =
    u"--------------------------------- end ---------------------------------";
constexpr Text kPasswordPrompt = u"Введите пароль:";

constexpr std::u16string_view kComputerIsOn = u"Компьютер включен.";
constexpr auto kSitDown = join(u"Ты сел за включеный компьютер.\r\n", kMenu);
constexpr auto kBoot =
    join(u"Ты нажал большую серую кнопку, и системный блок загудел. Грузился он минуты две, "
         u"и тут, блин, надо вводить пароль.\r\n",
         kPasswordPrompt);
constexpr std::u16string_view kNoDiskette = u"У тебя нет никакой дискеты.";
constexpr auto kDisketteAlreadyIn = join(u"Дискета уже вставлена.\r\n", kMenu);
constexpr auto kDisketteInserted = join(u"Ты вставил дискету в дисковод.\r\n", kMenu);
constexpr auto kNotebook =
    join(u"Позвони Евграфу (его номер в файле на дискете), он подскажет дальнейшие действия.\r\n",
         kRuleLine, u"\r\n", kMenu);
constexpr auto kFileOpened =
    join(u"Внутри один только файл: happyend.txt. Ты открываешь его:\r\n(729)58-14-30\r\n",
         kRuleLine, u"\r\n", kMenu);
constexpr auto kNoDiskInDrive =
    join(u"диск в устройстве не обнаружен\r\n", kRuleLine, u"\r\n", kMenu);
constexpr std::u16string_view kStandUp =
    u"Ты решил не выключать компьютер, а просто встать из-за него.";
constexpr std::u16string_view kNotSeated = u"Ты не за компьютером.";
constexpr auto kWrongPassword = join(u"Пароль неверный. Попробуйте ещё раз.\r\n", kPasswordPrompt);
constexpr auto kPasswordAccepted =
    join(kPasswordPrompt, u"\r\n", kPassword, u"\r\nпринято\r\n\r\n", kMenu);

} // namespace

const RuleTable &computerRules()
{
    static const RuleTable rules = {
        {"switch the computer on",
         {u"работать на компьютере", u"подойти к компьютеру", u"сесть за компьютер",
          u"запустить компьютер", u"подключить компьютер", u"включить компьютер"},
         [](Scene &g) {
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
         [](Scene &g) {
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
         [](Scene &g) {
             if (g.is(Flag::atComputer))
                 g.reply(kNotebook);
         }},
        {"open the diskette", {u"дискета"},
         [](Scene &g) {
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
         [](Scene &g) {
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

void checkPassword(Scene &game, std::u16string_view attempt)
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
