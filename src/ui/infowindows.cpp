#include "ui/infowindows.h"

#include "ui/accessible.h"

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

namespace {

// The author's lines. The author goes by the name of the game's own
// creator character.
const QString kHelpCredit = u"автор: Евграф"_s;
const QString kAuthorCredit = u"придумал, написал и собрал:"_s;
const QString kAuthorName = u"Евграф Велтарный"_s;
const QString kAuthorMail = u"e-mail: evgraf@tarnvale.example"_s;
const QString kAuthorPhone = u"тел.: +7 (000) 000-00-00"_s;
const QString kAuthorSite = u"сайт: www.tarnvale.example"_s;

} // namespace

InfoForm::InfoForm(const QString &name, const QString &title, QWidget *parent)
    : Form(name, QSize(4755, 3195), QRect(30, 30, 4695, 3135), parent)
{
    setWindowTitle(title);
    setAccessibleName(title);
    addLabel(this, u"lblSubtitle"_s, twipRect(120, 360, 4455, 255), u"консольный текстовый квест"_s);
    addLabel(this, u"lblTitle"_s, twipRect(120, 600, 4455, 255), u"велтарный"_s);
    auto *close = addButton(u"lblExit"_s, twipRect(3120, 2880, 1455, 255), u"закрыть"_s);
    describe(close, u"закрыть окно"_s);
    connect(close, &LabelButton::clicked, this, &QWidget::close);
}

frmHelp::frmHelp(QWidget *parent) : InfoForm(u"frmHelp"_s, u"tarnvale: помощь"_s, parent)
{
    setAccessibleDescription(u"Советы, как играть."_s);
    addWrappedLabel(u"lblTip"_s, twipRect(120, 960, 4455, 735),
                    u"Осматривайся в новой локации, а также осматривай все предметы. "
                    u"Экспериментируй с предметами!"_s);
    addWrappedLabel(u"lblAdvice"_s, twipRect(120, 1800, 4455, 975),
                    u"Лучше играть в сложную игру, она только называется сложной, просто при "
                    u"простой игре на консоли при вводе пишутся соответствующие выражения из "
                    u"словаря."_s);
    addLabel(this, u"lblCredit"_s, twipRect(120, 2880, 1575, 255), kHelpCredit);
}

frmAuthor::frmAuthor(QWidget *parent) : InfoForm(u"frmAuthor"_s, u"tarnvale: автор"_s, parent)
{
    setAccessibleDescription(u"Кто сделал игру и как с ним связаться."_s);
    addLabel(this, u"lblCredit"_s, twipRect(120, 1080, 4455, 255), kAuthorCredit);
    addLabel(this, u"lblName"_s, twipRect(120, 1320, 4455, 255), kAuthorName);
    describe(addLabel(this, u"lblMail"_s, twipRect(120, 1800, 4455, 255), kAuthorMail), u"электронная почта"_s);
    addLabel(this, u"lblPhone"_s, twipRect(120, 2040, 4455, 255), kAuthorPhone);
    addLabel(this, u"lblSite"_s, twipRect(120, 2280, 4455, 255), kAuthorSite);
    describe(addLabel(this, u"lblDate"_s, twipRect(120, 2880, 1575, 255), u"(12-13).01.2007"_s),
             u"когда сделана игра"_s);
}

} // namespace tarnvale::ui
