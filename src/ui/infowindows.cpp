#include "ui/infowindows.h"

#include "app/qtstrings.h"
#include "story/credits.h"
#include "ui/accessible.h"

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

InfoForm::InfoForm(const QString &name, const QString &title, QWidget *parent)
    : Form(name, QSize(4755, 3195), QRect(30, 30, 4695, 3135), parent)
{
    setWindowTitle(title);
    setAccessibleName(title);
    addLabel(this, u"lblSubtitle"_s, twipRect(120, 360, 4455, 255), toQString(credits::kSubtitle));
    addLabel(this, u"lblTitle"_s, twipRect(120, 600, 4455, 255), toQString(credits::kTitle));
    auto *close = addButton(u"lblExit"_s, twipRect(3120, 2880, 1455, 255), u"закрыть"_s);
    describe(close, u"закрыть окно"_s);
    connect(close, &LabelButton::clicked, this, &QWidget::close);
}

frmHelp::frmHelp(QWidget *parent) : InfoForm(u"frmHelp"_s, u"tarnvale: помощь"_s, parent)
{
    setAccessibleDescription(u"Советы, как играть."_s);
    addWrappedLabel(u"lblTip"_s, twipRect(120, 960, 4455, 735), toQString(credits::kHelpTip));
    addWrappedLabel(u"lblAdvice"_s, twipRect(120, 1800, 4455, 975), toQString(credits::kHelpAdvice));
    addLabel(this, u"lblCredit"_s, twipRect(120, 2880, 1575, 255), toQString(credits::kHelpCredit));
}

frmAuthor::frmAuthor(QWidget *parent) : InfoForm(u"frmAuthor"_s, u"tarnvale: автор"_s, parent)
{
    setAccessibleDescription(u"Кто сделал игру и как с ним связаться."_s);
    addLabel(this, u"lblCredit"_s, twipRect(120, 1080, 4455, 255), toQString(credits::kAuthorCredit));
    addLabel(this, u"lblName"_s, twipRect(120, 1320, 4455, 255), toQString(credits::kAuthorName));
    describe(addLabel(this, u"lblMail"_s, twipRect(120, 1800, 4455, 255), toQString(credits::kAuthorMail)), u"электронная почта"_s);
    addLabel(this, u"lblPhone"_s, twipRect(120, 2040, 4455, 255), toQString(credits::kAuthorPhone));
    addLabel(this, u"lblSite"_s, twipRect(120, 2280, 4455, 255), toQString(credits::kAuthorSite));
    describe(addLabel(this, u"lblDate"_s, twipRect(120, 2880, 1575, 255), toQString(credits::kAuthorDate)),
             u"когда сделана игра"_s);
}

} // namespace tarnvale::ui
