#include "story/windows.h"

namespace tarnvale::windows {
namespace {

// Every window's frame: the outline and the title strip. The strip's place
// follows from the window's width (titleStrip()).
constexpr std::u16string_view kFrameName = u"рамка окна";
constexpr std::u16string_view kStripName = u"заголовок окна";
constexpr std::u16string_view kStripHint = u"потяни мышью, чтобы передвинуть окно";

// The heading lines of the dialog, help and author.
constexpr std::u16string_view kSubtitle = u"консольный текстовый квест";
constexpr std::u16string_view kTitle = u"велтарный";
constexpr std::u16string_view kAuthorCredit = u"придумал, написал и собрал:";

constexpr Rect kInfoSize{0, 0, 4755, 3195};
constexpr Rect kInfoOutline{30, 30, 4695, 3135};

constexpr Widget strip(int width)
{
    return {"picTitlebar", Kind::TitleStrip, {30, 30, width - 60, 255}, {}, kWhite, Control::None, kStripName, kStripHint};
}

constexpr Widget kGameWidgets[] = {
    strip(7815),
    {"Label2", Kind::Label, {120, 360, 375, 255}, u">>", kGrey, Control::None, u"знак последней команды"},
    {"lblAction", Kind::Counter, {480, 360, 4935, 255}, u"", kGrey, Control::None, u"последняя команда"},
    // The input boxes come before the output box: the tab order runs from
    // the command box.
    {"txtCon", Kind::Input, {450, 5265, 7335, 360}, u"", kWhite, Control::None, u"командная строка",
     u"Введи команду и нажми Enter."},
    {"txtPwd", Kind::Input, {450, 5265, 7335, 360}, u"", kWhite, Control::None, u"пароль",
     u"Пароль компьютера: введи его и нажми Enter."},
    {"txtGame", Kind::Output, {120, 600, 5295, 4575},
     u"Ты стоишь на улице. Мимо по дороге проносятся \r\n"
     u"машины. Перед тобой магазин, слева тёмный \r\n"
     u"переулок, а справа кучка отморозков. Около \r\n"
     u"магазина стоит грязная урна.\r\n",
     kWhite, Control::None, u"что происходит", u"Ответ игры на последнюю команду."},
    {"lblInv0", Kind::InventorySlot, {5520, 600, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 1"},
    {"lblInv1", Kind::InventorySlot, {5520, 840, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 2"},
    {"lblInv2", Kind::InventorySlot, {5520, 1080, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 3"},
    {"lblInv3", Kind::InventorySlot, {5520, 1320, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 4"},
    {"lblInv4", Kind::InventorySlot, {5520, 1560, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 5"},
    {"lblInv5", Kind::InventorySlot, {5520, 1800, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 6"},
    {"lblInv6", Kind::InventorySlot, {5520, 2040, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 7"},
    {"lblInv7", Kind::InventorySlot, {5520, 2280, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 8"},
    {"lblInv8", Kind::InventorySlot, {5520, 2520, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 9"},
    {"lblInv9", Kind::InventorySlot, {5520, 2760, 2175, 255}, u"", kWhite, Control::None, u"инвентарь, ячейка 10"},
    {"lstItems", Kind::List, {5760, 480, 1935, 2010}, u"", kWhite, Control::None, u"словарь команд",
     u"Команды, которые простая игра дописывает сама."},
    {"lblDiff", Kind::Counter, {5520, 3120, 2175, 375}, u"сложность", kWhite, Control::None, u"сложность"},
    {"lblMoney", Kind::Counter, {5520, 3360, 2175, 375}, u"руб.", kWhite, Control::None, u"деньги"},
    {"lblSteps", Kind::Counter, {5520, 3600, 2175, 375}, u"0 ходов", kWhite, Control::None, u"ходы"},
    {"lblPoints", Kind::Counter, {5520, 3840, 2175, 375}, u"очков", kWhite, Control::None, u"очки"},
    {"lblNew", Kind::Button, {5520, 4200, 2175, 255}, u"новая", kWhite, Control::New, u"новая игра",
     u"Бросить эту игру и выбрать, как играть новую."},
    {"lblAuthor", Kind::Button, {5520, 4440, 2175, 255}, u"автор", kWhite, Control::Author, u"автор",
     u"Окно об авторе игры."},
    {"lblHelp", Kind::Button, {5520, 4680, 2175, 255}, u"помощь", kWhite, Control::Help, u"помощь",
     u"Окно с советами, как играть."},
    {"lbExit", Kind::Button, {5520, 4920, 2175, 255}, u"выход", kWhite, Control::Exit, u"выход",
     u"Закрыть игру; ничего не сохраняется."},
    {"Line1", Kind::Separator, {15, 5250, 7785, 0}, u"", kWhite, Control::None, u"разделитель"},
    {"Label1", Kind::Prompt, {120, 5280, 255, 255}, u">>", kWhite, Control::None, u"приглашение к вводу"},
};

constexpr Widget kDialogWidgets[] = {
    strip(4755),
    {"lblSubtitle", Kind::Label, {120, 360, 4455, 255}, kSubtitle},
    {"lblTitle", Kind::Label, {120, 600, 4455, 255}, kTitle},
    {"lblDiffHeading", Kind::Label, {120, 1080, 4455, 255}, u"выбирите сложность"},
    // A control's name begins with what it shows; the rest is its description.
    {"lblHard", Kind::Choice, {120, 1320, 4455, 255}, u"сложная (лучше сначала играть так)", kWhite, Control::Hard,
     {}, u"Сложность: фразы набираются целиком."},
    {"lblEasy", Kind::Choice, {120, 1560, 4455, 255}, u"простая (играть не интересно)", kWhite, Control::Easy,
     {}, u"Сложность: командная строка дописывает фразы сама."},
    {"lblMusHeading", Kind::Label, {120, 2040, 4455, 255}, u"музыка в игре"},
    {"lblMusOn", Kind::Choice, {120, 2280, 4455, 255}, u"включить", kWhite, Control::MusicOn, u"включить музыку"},
    {"lblNote", Kind::Note, {3360, 2280, 1215, 255}, u"Win98 only", kGrey, Control::Note,
     {}, u"Примечание: музыка играет только в Windows 98."},
    {"lblMusOff", Kind::Choice, {120, 2520, 4455, 255}, u"отключить", kWhite, Control::MusicOff, u"отключить музыку"},
    {"lblStart", Kind::Button, {120, 2880, 1575, 255}, u"начать", kWhite, Control::Start, u"начать игру",
     u"Начать игру с выбранной сложностью и музыкой."},
    {"lblExit", Kind::Button, {3000, 2880, 1575, 255}, u"выход", kWhite, Control::Exit, u"выход", u"Закрыть игру."},
};

constexpr Widget kHelpWidgets[] = {
    strip(4755),
    {"lblSubtitle", Kind::Label, {120, 360, 4455, 255}, kSubtitle},
    {"lblTitle", Kind::Label, {120, 600, 4455, 255}, kTitle},
    {"lblTip", Kind::WrappedLabel, {120, 960, 4455, 735},
     u"Осматривайся в новой локации, а также осматривай все предметы. Экспериментируй с предметами!"},
    {"lblAdvice", Kind::WrappedLabel, {120, 1800, 4455, 975},
     u"Лучше играть в сложную игру, она только называется сложной, просто при простой игре на "
     u"консоли при вводе пишутся соответствующие выражения из словаря."},
    {"lblCredit", Kind::Label, {120, 2880, 1575, 255}, u"автор: Евграф"},
    {"lblExit", Kind::Button, {3120, 2880, 1455, 255}, u"закрыть", kWhite, Control::Close, u"закрыть окно"},
};

constexpr Widget kAuthorWidgets[] = {
    strip(4755),
    {"lblSubtitle", Kind::Label, {120, 360, 4455, 255}, kSubtitle},
    {"lblTitle", Kind::Label, {120, 600, 4455, 255}, kTitle},
    {"lblCredit", Kind::Label, {120, 1080, 4455, 255}, kAuthorCredit},
    {"lblName", Kind::Label, {120, 1320, 4455, 255}, u"Евграф Велтарный"},
    {"lblMail", Kind::Label, {120, 1800, 4455, 255}, u"e-mail: evgraf@tarnvale.example", kWhite, Control::None,
     u"электронная почта"},
    {"lblPhone", Kind::Label, {120, 2040, 4455, 255}, u"тел.: +7 (000) 000-00-00"},
    {"lblSite", Kind::Label, {120, 2280, 4455, 255}, u"сайт: www.tarnvale.example"},
    {"lblDate", Kind::Label, {120, 2880, 1575, 255}, u"(12-13).01.2007", kWhite, Control::None,
     u"когда сделана игра"},
    {"lblExit", Kind::Button, {3120, 2880, 1455, 255}, u"закрыть", kWhite, Control::Close, u"закрыть окно"},
};

} // namespace

const Form kGameWindow{Window::Game, "frmTargame", u"tarnvale", u"tarnvale: игра",
                       u"Текстовый квест: читай, что происходит, и вводи команды в командную строку.",
                       7815, 5655, {15, 15, 7785, 5625}, kGameWidgets};
// The dialog comes up with the keyboard on "начать", so that Enter starts.
const Form kNewGameDialog{Window::Dialog, "frmNew", u"tarnvale", u"tarnvale: новая игра",
                          u"Выбери сложность и музыку и начни игру.",
                          kInfoSize.width, kInfoSize.height, kInfoOutline, kDialogWidgets, Control::Start};
const Form kHelpWindow{Window::Help, "frmHelp", u"tarnvale: помощь", u"tarnvale: помощь", u"Советы, как играть.",
                       kInfoSize.width, kInfoSize.height, kInfoOutline, kHelpWidgets, Control::Close};
const Form kAuthorWindow{Window::Author, "frmAuthor", u"tarnvale: автор", u"tarnvale: автор",
                         u"Кто сделал игру и как с ним связаться.",
                         kInfoSize.width, kInfoSize.height, kInfoOutline, kAuthorWidgets, Control::Close};

const ChoicePair kChoicePairs[2] = {
    {"lblDiffHeading", Control::Hard, Control::Easy},
    {"lblMusHeading", Control::MusicOn, Control::MusicOff},
};

const Description kDescription{{&kNewGameDialog, &kGameWindow, &kHelpWindow, &kAuthorWindow},
                                kChoicePairs, u"инвентарь", kFrameName, u"Клавиатура на кнопке «%1»."};

const Form &form(Window window)
{
    return kDescription.form(window);
}

GameCaptions openingCaptions()
{
    const auto caption = [](std::string_view name) { return kGameWindow.find(name)->caption; };
    return {caption("txtGame"), caption("lblSteps"), caption("lblMoney"), caption("lblPoints"), caption("lblDiff")};
}

} // namespace tarnvale::windows
