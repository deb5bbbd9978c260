#include "ui/frmtargame.h"

#include "app/qtstrings.h"
#include "ui/accessible.h"
#include "ui/consolebox.h"

#include <QEvent>
#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

using namespace Qt::Literals::StringLiterals;

namespace tarnvale::ui {

namespace {

// A thin white scroll bar for the rare reply longer than the output box.
const QString kScrollBarStyle = u"QScrollBar:vertical { background: black; width: 10px; margin: 0; "
                                u"border-left: 1px solid white; }"
                                u"QScrollBar::handle:vertical { background: white; min-height: 16px; "
                                u"margin: 2px 2px 2px 3px; }"
                                u"QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical "
                                u"{ height: 0; border: none; }"
                                u"QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical "
                                u"{ background: black; }"_s;

} // namespace

frmTargame::frmTargame(GameSettings &settings, const Story &story, std::function<void()> launchMusic,
                       QWidget *parent)
    : Form(u"frmTargame"_s, QSize(7815, 5655), QRect(15, 15, 7785, 5625), parent),
      m_game(std::make_unique<Game>(settings, story, std::move(launchMusic)))
{
    setWindowTitle(u"tarnvale"_s);
    describe(this, u"tarnvale: игра"_s,
             u"Текстовый квест: читай, что происходит, и вводи команды в командную строку."_s);

    describe(addLabel(this, u"Label2"_s, twipRect(120, 360, 375, 255), u">>"_s, kGrey),
             u"знак последней команды"_s);
    m_lblAction = addLabel(this, u"lblAction"_s, twipRect(480, 360, 4935, 255), QString(), kGrey);
    describe(m_lblAction, u"последняя команда"_s);

    // The input boxes are made before the output box: the tab order follows
    // the order of creation and runs from the command box.
    const auto show = [this] { refresh(); };
    m_txtCon = new ConsoleBox(this, *m_game, ConsoleBox::Which::Command, show);
    m_txtCon->setObjectName(u"txtCon"_s);
    m_txtCon->setGeometry(twipRect(450, 5265, 7335, 360));
    describe(m_txtCon, u"командная строка"_s, u"Введи команду и нажми Enter."_s);
    m_txtPwd = new ConsoleBox(this, *m_game, ConsoleBox::Which::Password, show);
    m_txtPwd->setObjectName(u"txtPwd"_s);
    m_txtPwd->setGeometry(twipRect(450, 5265, 7335, 360));
    m_txtPwd->hide();
    describe(m_txtPwd, u"пароль"_s, u"Пароль компьютера: введи его и нажми Enter."_s);

    m_txtGame = new QTextEdit(this);
    m_txtGame->setObjectName(u"txtGame"_s);
    m_txtGame->setGeometry(twipRect(120, 600, 5295, 4575));
    m_txtGame->setReadOnly(true);
    // Read-only, but the caret walks through the text from the keyboard, so
    // that it can be read line by line.
    m_txtGame->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    describe(m_txtGame, u"что происходит"_s, u"Ответ игры на последнюю команду."_s);
    m_txtGame->setAcceptRichText(false);
    m_txtGame->setUndoRedoEnabled(false);
    m_txtGame->setFrameShape(QFrame::NoFrame);
    m_txtGame->setLineWrapMode(QTextEdit::WidgetWidth);
    m_txtGame->setWordWrapMode(QTextOption::WordWrap);
    m_txtGame->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_txtGame->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_txtGame->verticalScrollBar()->setStyleSheet(kScrollBarStyle);
    m_txtGame->document()->setDocumentMargin(2);
    // Tab reaches it for reading; a click (to select, or by mistake) does not
    // take the keyboard from the input box and gives it back if it was here.
    m_txtGame->setFocusPolicy(Qt::TabFocus);
    m_txtGame->viewport()->installEventFilter(this);

    for (int i = 0; i < kInventorySlots; ++i) {
        m_lblInv[std::size_t(i)] = addLabel(this, u"lblInv"_s + QString::number(i),
                                            twipRect(5520, 600 + 240 * i, 2175, 255), QString());
        m_lblInv[std::size_t(i)]->setProperty("index", i);
        describe(m_lblInv[std::size_t(i)], u"инвентарь, ячейка "_s + QString::number(i + 1));
    }

    m_lstItems = new QListWidget(this);
    m_lstItems->setObjectName(u"lstItems"_s);
    m_lstItems->setGeometry(twipRect(5760, 480, 1935, 2010));
    m_lstItems->setFocusPolicy(Qt::NoFocus);
    m_lstItems->hide();
    describe(m_lstItems, u"словарь команд"_s, u"Команды, которые простая игра дописывает сама."_s);

    m_lblDiff = addLabel(this, u"lblDiff"_s, twipRect(5520, 3120, 2175, 375), u"сложность"_s);
    m_lblMoney = addLabel(this, u"lblMoney"_s, twipRect(5520, 3360, 2175, 375), u"руб."_s);
    m_lblSteps = addLabel(this, u"lblSteps"_s, twipRect(5520, 3600, 2175, 375), u"0 ходов"_s);
    m_lblPoints = addLabel(this, u"lblPoints"_s, twipRect(5520, 3840, 2175, 375), u"очков"_s);
    describe(m_lblDiff, u"сложность"_s);
    describe(m_lblMoney, u"деньги"_s);
    describe(m_lblSteps, u"ходы"_s);
    describe(m_lblPoints, u"очки"_s);

    auto *newGame = addButton(u"lblNew"_s, twipRect(5520, 4200, 2175, 255), u"новая"_s);
    describe(newGame, u"новая игра"_s, u"Бросить эту игру и выбрать, как играть новую."_s);
    connect(newGame, &LabelButton::clicked, this, &frmTargame::newGameClicked);
    auto *author = addButton(u"lblAuthor"_s, twipRect(5520, 4440, 2175, 255), u"автор"_s);
    describe(author, u"автор"_s, u"Окно об авторе игры."_s);
    connect(author, &LabelButton::clicked, this, &frmTargame::authorClicked);
    auto *help = addButton(u"lblHelp"_s, twipRect(5520, 4680, 2175, 255), u"помощь"_s);
    describe(help, u"помощь"_s, u"Окно с советами, как играть."_s);
    connect(help, &LabelButton::clicked, this, &frmTargame::helpClicked);
    auto *exit = addButton(u"lbExit"_s, twipRect(5520, 4920, 2175, 255), u"выход"_s);
    describe(exit, u"выход"_s, u"Закрыть игру; ничего не сохраняется."_s);
    connect(exit, &LabelButton::clicked, this, &endProgram);

    auto *line = new Separator(this);
    line->setObjectName(u"Line1"_s);
    line->setGeometry(px(15), px(5250), px(7800) - px(15), 1);
    describe(line, u"разделитель"_s);

    m_prompt = addLabel(this, u"Label1"_s, twipRect(120, 5280, 255, 255), u">>"_s);
    describe(m_prompt, u"приглашение к вводу"_s);
    // The prompt stands on the typed text's baseline.
    m_prompt->move(m_prompt->x(),
                   m_txtCon->y() + m_txtCon->textBaseline() - QFontMetrics(m_prompt->font()).ascent());

    m_txtCon->setFocus();

    refresh();
}

frmTargame::~frmTargame() = default;

void frmTargame::refresh()
{
    const GameWindow &shown = m_game->window();

    if (shown.txtGame != m_shownOutput) {
        m_shownOutput = shown.txtGame;
        showOutput(toQString(shown.txtGame));
    }

    setCaption(m_lblAction, qtView(shown.lblAction));
    for (std::size_t i = 0; i < m_lblInv.size(); ++i)
        setCaption(m_lblInv[i], qtView(shown.lblInv[i]));
    setCaption(m_lblDiff, qtView(shown.lblDiff));
    setCaption(m_lblMoney, qtView(shown.lblMoney));
    setCaption(m_lblSteps, qtView(shown.lblSteps));
    setCaption(m_lblPoints, qtView(shown.lblPoints));

    if (m_lstItems->count() != shown.lstItems.size()) {
        m_lstItems->clear();
        for (std::u16string_view phrase : shown.lstItems)
            m_lstItems->addItem(toQString(phrase));
    }
    if (m_lstItems->currentRow() != shown.lstItemsIndex)
        m_lstItems->setCurrentRow(shown.lstItemsIndex);

    // The box that appears is shown before the other one hides, and takes
    // the keyboard focus with it.
    const bool passwordBefore = !m_txtPwd->isHidden();
    if (shown.txtPwd.visible) {
        m_txtPwd->showBox(shown.txtPwd);
        m_txtCon->showBox(shown.txtCon);
    } else {
        m_txtCon->showBox(shown.txtCon);
        m_txtPwd->showBox(shown.txtPwd);
    }
    if (passwordBefore != shown.txtPwd.visible)
        visibleBox()->setFocus();
    // A box that takes no input looks it: its prompt goes grey with its text.
    if (m_prompt)
        setTextColour(m_prompt, visibleBox()->isEnabled() ? kWhite : kGrey);
}

ConsoleBox *frmTargame::visibleBox() const
{
    return m_txtPwd->isHidden() ? m_txtCon : m_txtPwd;
}

bool frmTargame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_txtGame->viewport() && event->type() == QEvent::MouseButtonPress) {
        if (ConsoleBox *box = visibleBox(); box->isEnabled())
            box->setFocus(Qt::MouseFocusReason);
    }
    return Form::eventFilter(watched, event);
}

void frmTargame::showOutput(const QString &text)
{
    // One edit: the old reply out, the new one in, its lines kLinePitch apart.
    QTextBlockFormat lines;
    lines.setLineHeight(kLinePitch, QTextBlockFormat::FixedHeight);
    QTextCursor cursor(m_txtGame->document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setBlockFormat(lines);
    cursor.insertText(QString(text).replace(u"\r\n"_s, u"\n"_s));
    cursor.endEditBlock();
    if (m_game->window().txtCon.enabled) {
        // Every reply is read from its first line.
        m_txtGame->moveCursor(QTextCursor::Start);
        m_txtGame->verticalScrollBar()->setValue(0);
    } else {
        // The game is over: its closing lines, at the end, are what must be
        // seen, with as much of the scene above them as fits.
        m_txtGame->moveCursor(QTextCursor::End);
        m_txtGame->verticalScrollBar()->setValue(m_txtGame->verticalScrollBar()->maximum());
    }
}

} // namespace tarnvale::ui
