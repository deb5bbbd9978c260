#include "story/story.h"

#include "engine/game.h"
#include "story/items.h"

namespace tarnvale::story {

using namespace Qt::Literals::StringLiterals;

namespace {

// The password is the name on the bald man's key fob.
const QString kPassword = u"lyra"_s;

// What the screen shows: the menu, and the line under a finished entry.
const QString kMenu = u"* записная книжка\r\n* дискета\r\n* выключить компьютер"_s;
const QString kRuleLine =
    u"--------------------------------- end ---------------------------------"_s;
const QString kPasswordPrompt = u"Введите пароль:"_s;

const QString kComputerIsOn = u"Компьютер включен."_s;
const QString kSitDown = u"Ты сел за включеный компьютер.\r\n"_s + kMenu;
const QString kBoot =
    u"Ты нажал большую серую кнопку, и системный блок загудел. Грузился он минуты две, "
    u"и тут, блин, надо вводить пароль.\r\n"_s
    + kPasswordPrompt;
const QString kNoDiskette = u"У тебя нет никакой дискеты."_s;
const QString kDisketteAlreadyIn = u"Дискета уже вставлена.\r\n"_s + kMenu;
const QString kDisketteInserted = u"Ты вставил дискету в дисковод.\r\n"_s + kMenu;
const QString kNotebook =
    u"Позвони Евграфу (его номер в файле на дискете), он подскажет дальнейшие действия.\r\n"_s
    + kRuleLine + u"\r\n"_s + kMenu;
const QString kFileOpened =
    u"Внутри один только файл: happyend.txt. Ты открываешь его:\r\n(729)58-14-30\r\n"_s
    + kRuleLine + u"\r\n"_s + kMenu;
const QString kNoDiskInDrive =
    u"диск в устройстве не обнаружен\r\n"_s + kRuleLine + u"\r\n"_s + kMenu;
const QString kStandUp = u"Ты решил не выключать компьютер, а просто встать из-за него."_s;
const QString kNotSeated = u"Ты не за компьютером."_s;
const QString kWrongPassword =
    u"Пароль неверный. Попробуйте ещё раз.\r\n"_s + kPasswordPrompt;
const QString kPasswordAccepted =
    kPasswordPrompt + u"\r\n"_s + kPassword + u"\r\nпринято\r\n\r\n"_s + kMenu;

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

void checkPassword(Game &game, const QString &attempt)
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
