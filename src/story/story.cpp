#include "story/story.h"

#include "engine/scene.h"
#include "story/dictionary.h"
#include "story/windows.h"

namespace tarnvale {
namespace story {
namespace {

// The scripts by location number. The room is silent while the player sits
// at the computer, whose rules run there always.
constexpr LocationScript kLocations[] = {
    {streetRules},
    {shopRules},
    {alleyRules},
    {cornerRules},
    {roomRules, computerRules, Flag::atComputer},
};
static_assert(std::size(kLocations) == kRoom + 1);

} // namespace

const Wording kWords = {
    .defaultReply = u"Это выражение не подходит.",
    .gameOver = u"Ха! Ты завершил игру раньше времени.\r\nИгра Окончена.",
    .afterGameOver = u"Команды больше не принимаются: новую игру начинает кнопка «новая».",
    .overflow = u"Счётчик переполнен, команда не выполнена.",
    .moves = u" ходов",
    .points = u" очков",
    .money = u" руб.",
    .hardGame = u"сложная игра",
    .easyGame = u"простая игра",
    .resumeFailed = u"Прежнюю игру вернуть не удалось, начинаем новую.",
    .itemCame = u"Теперь у тебя: ",
    .itemWent = u"Больше нет: ",
};

// The flags by name, in the record's order, for tools that read the record.
constexpr std::string_view kFlagNames[] = {
    "urnSearched", "hasEmptyPack", "hasCheapCigs", "hasDearCigs", "baldDismissed", "hasBrick", "windowBroken",
    "keyNoticed", "hasDiskette", "atComputer", "loggedIn", "disketteInserted", "fileRead",
};
static_assert(std::size(kFlagNames) == kFlagCount);

} // namespace story

const Story &tarnvaleStory()
{
    static const Story story{story::kLocations, &story::everywhereRules(), story::checkPassword,
                             windows::openingCaptions(), story::kWords, story::kDictionary,
                             story::kFlagNames, &windows::kDescription};
    return story;
}

} // namespace tarnvale
