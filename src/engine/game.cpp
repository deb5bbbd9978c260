#include "engine/game.h"

#include "engine/dictionary.h"

#include <cmath>
#include <limits>
#include <utility>

namespace tarnvale {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kMinCounter = std::numeric_limits<qint16>::min();
constexpr int kMaxCounter = std::numeric_limits<qint16>::max();

qint16 checkedCounter(double value)
{
    if (!(value >= kMinCounter && value <= kMaxCounter))
        throw CounterOverflow();
    return static_cast<qint16>(value);
}

QString counterLabel(qint16 value, QStringView word)
{
    return QString::number(value).append(word);
}

const QString kMovesWord = u" ходов"_s;
const QString kPointsWord = u" очков"_s;
const QString kMoneyWord = u" руб."_s;
const QString kHardGame = u"сложная игра"_s;
const QString kEasyGame = u"простая игра"_s;
const QString kGameOverLines = u"Ха! Ты завершил игру раньше времени.\r\nИгра Окончена."_s;

// The completion runs inside the command box's change event and re-enters it
// once through its own change of the text; nothing legitimate goes deeper.
constexpr int kMaxChangeDepth = 2;

} // namespace

const QString Game::kOpeningText = u"Ты стоишь на улице. Мимо по дороге проносятся \r\n"
                                   u"машины. Перед тобой магазин, слева тёмный \r\n"
                                   u"переулок, а справа кучка отморозков. Около \r\n"
                                   u"магазина стоит грязная урна.\r\n"_s;
const QString Game::kDefaultReply = u"Это выражение не подходит."_s;
const QString Game::kOverflowNotice = u"Счётчик переполнен, команда не выполнена."_s;

Game::Game(GameSettings &settings, const Story &story, std::function<void()> launchMusic)
    : m_settings(settings), m_story(story), m_launchMusic(std::move(launchMusic))
{
    newGame();
}

void Game::newGame()
{
    // The window as it is designed, before its load handler runs.
    m_window = GameWindow{};
    m_window.txtGame = kOpeningText;
    m_window.lblSteps = u"0 ходов"_s;
    m_window.lblMoney = u"руб."_s;
    m_window.lblPoints = u"очков"_s;
    m_window.lblDiff = u"сложность"_s;
    m_window.txtPwd.visible = false;
    m_state = GameState{};
    m_changeDepth = 0;
    Form_Load();
}

// ---------------------------------------------------------------------------
// The game state and its counters

void Game::Form_Load()
{
    m_state.points = 0;
    m_state.money = 0;
    PointsCounter(0);
    m_window.txtPwd.visible = false;
    m_window.txtCon.visible = true;
    m_window.lblDiff = kHardGame;
    m_window.txtCon.enabled = true;
    m_state = GameState{};
    m_window.lblAction.clear();
    for (QString &slot : m_window.lblInv) {
        if (!slot.isEmpty())
            slot.clear();
    }
    MoneyCounter(60);
    if (m_settings.easyMode == kTrue) {
        m_window.lstItems.clear();
        m_window.lstItems.reserve(int(kDictionary.size()));
        for (QStringView phrase : kDictionary)
            m_window.lstItems.append(phrase.toString());
        m_window.lblDiff = kEasyGame;
    }
    if (m_settings.musicOn == kTrue && m_launchMusic)
        m_launchMusic();
}

void Game::PointsCounter(qint16 addpoints)
{
    if (easyGame()) {
        // The division first, then the sum, rounded to the nearest integer
        // with halves going to the even neighbour.
        const double sum = m_state.points + double(addpoints) / 5.0;
        m_state.points = checkedCounter(std::nearbyint(sum));
    } else {
        m_state.points = checkedCounter(m_state.points + addpoints);
    }
    m_window.lblPoints = counterLabel(m_state.points, kPointsWord);
}

void Game::MoneyCounter(qint16 addmoney)
{
    m_state.money = checkedCounter(m_state.money + addmoney);
    m_window.lblMoney = counterLabel(m_state.money, kMoneyWord);
}

void Game::GameOver()
{
    // The scene that ended the game stays above the closing lines.
    if (m_window.txtGame.isEmpty())
        m_window.txtGame = kGameOverLines;
    else
        m_window.txtGame += u"\r\n\r\n"_s + kGameOverLines;
    m_window.txtCon.enabled = false;
}

// ---------------------------------------------------------------------------
// The command interpreter and the console

void Game::Action()
{
    reply(kDefaultReply);
    const QString command = m_window.txtCon.text();
    const qint16 location = m_state.location;
    if (m_story.runLocation)
        m_story.runLocation(*this, location, command);
    if (m_story.everywhere)
        runRules(*m_story.everywhere, *this, command);
}

void Game::enterTurn()
{
    // A turn is all or nothing: when a counter would overflow anywhere in it,
    // the game is put back as it was before the Enter and says so.
    const GameState stateBefore = m_state;
    const GameWindow windowBefore = m_window;
    try {
        Action();
        m_state.moveCount = checkedCounter(m_state.moveCount + 1);
        m_window.lblSteps = counterLabel(m_state.moveCount, kMovesWord);
        m_window.lblAction = m_window.txtCon.text();
        setConText(QString());
    } catch (const CounterOverflow &) {
        m_state = stateBefore;
        m_window = windowBefore;
        m_window.txtGame = kOverflowNotice;
    }
}

void Game::setConText(const QString &text)
{
    if (m_window.txtCon.setText(text))
        txtCon_Change();
}

void Game::txtCon_KeyDown(int &keyCode)
{
    TextBox &box = m_window.txtCon;
    switch (keyCode) {
    case kKeyEnter:
        enterTurn();
        break;
    case kKeyEscape:
        setConText(QString());
        break;
    case kKeyUp:
        setConText(m_window.lblAction);
        break;
    case kKeyBackspace:
        // Drops the selection together with the character before it. With
        // the selection at position 0 there is nothing to keep and the
        // shortening fails; the key is swallowed either way.
        if (box.selLength() != 0) {
            if (box.selStart() >= 1)
                setConText(box.text().left(box.selStart() - 1));
            keyCode = kKeyNone;
        }
        break;
    case kKeyDelete:
        // A completed tail cannot be deleted.
        if (box.selLength() != 0 && box.selStart() != 0)
            keyCode = kKeyNone;
        break;
    default:
        break;
    }
}

void Game::txtCon_Change()
{
    if (m_settings.easyMode != kTrue)
        return;
    if (m_changeDepth >= kMaxChangeDepth)
        return;
    ++m_changeDepth;

    TextBox &box = m_window.txtCon;
    const QString typed = box.text();
    m_window.lstItemsIndex = -1;
    if (!typed.isEmpty()) {
        for (int i = 0; i < m_window.lstItems.size(); ++i) {
            if (m_window.lstItems.at(i).startsWith(typed, Qt::CaseInsensitive)) {
                m_window.lstItemsIndex = i;
                break;
            }
        }
    }
    if (m_window.lstItemsIndex >= 0) {
        const int caret = box.selStart();
        setConText(m_window.lstItems.at(m_window.lstItemsIndex));
        box.setSelStart(caret);
        box.setSelLength(int(box.text().size()) - caret);
    }
    --m_changeDepth;
}

void Game::txtPwd_KeyDown(int &keyCode)
{
    TextBox &box = m_window.txtPwd;
    switch (keyCode) {
    case kKeyEnter:
        // A password attempt is not a move: the label is only rewritten.
        m_window.lblSteps = counterLabel(m_state.moveCount, kMovesWord);
        m_window.lblAction = box.text();
        if (m_story.checkPassword)
            m_story.checkPassword(*this, box.text());
        box.setText(QString());
        break;
    case kKeyEscape:
        box.setText(QString());
        break;
    case kKeyUp:
        box.setText(m_window.lblAction);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------
// The player at the keyboard

void Game::pressConKey(int keyCode)
{
    TextBox &box = m_window.txtCon;
    if (!box.acceptsInput())
        return;
    txtCon_KeyDown(keyCode);
    if (keyCode == kKeyBackspace && box.backspace())
        txtCon_Change();
    else if (keyCode == kKeyDelete && box.deleteForward())
        txtCon_Change();
}

void Game::pressPwdKey(int keyCode)
{
    TextBox &box = m_window.txtPwd;
    if (!box.acceptsInput())
        return;
    txtPwd_KeyDown(keyCode);
    if (keyCode == kKeyBackspace)
        box.backspace();
    else if (keyCode == kKeyDelete)
        box.deleteForward();
}

void Game::typeCon(QStringView text)
{
    if (m_window.txtCon.acceptsInput() && m_window.txtCon.type(text))
        txtCon_Change();
}

void Game::typePwd(QStringView text)
{
    if (m_window.txtPwd.acceptsInput())
        m_window.txtPwd.type(text);
}

void Game::editCon(const QString &text, int caret)
{
    if (m_window.txtCon.acceptsInput() && m_window.txtCon.edit(text, caret))
        txtCon_Change();
}

void Game::editPwd(const QString &text, int caret)
{
    if (m_window.txtPwd.acceptsInput())
        m_window.txtPwd.edit(text, caret);
}

void Game::selectCon(int start, int length)
{
    m_window.txtCon.setSelStart(start);
    m_window.txtCon.setSelLength(length);
}

void Game::selectPwd(int start, int length)
{
    m_window.txtPwd.setSelStart(start);
    m_window.txtPwd.setSelLength(length);
}

bool Game::submit(const QString &line)
{
    if (m_window.txtPwd.acceptsInput()) {
        m_window.txtPwd.edit(line, int(line.size()));
        pressPwdKey(kKeyEnter);
        return true;
    }
    if (m_window.txtCon.acceptsInput()) {
        m_window.txtCon.edit(line, int(line.size()));
        pressConKey(kKeyEnter);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Operations of the story scripts

void Game::reply(QStringView text)
{
    m_window.txtGame = text.toString();
}

void Game::putItem(QStringView item)
{
    for (QString &slot : m_window.lblInv) {
        if (slot.isEmpty()) {
            slot = item.toString();
            return;
        }
    }
}

void Game::removeItem(QStringView item)
{
    for (QString &slot : m_window.lblInv) {
        if (slot == item) {
            slot.clear();
            return;
        }
    }
}

bool Game::holdsItem(QStringView item) const
{
    for (const QString &slot : m_window.lblInv) {
        if (slot == item)
            return true;
    }
    return false;
}

void Game::renameItem(QStringView from, QStringView to)
{
    for (QString &slot : m_window.lblInv) {
        if (slot == from) {
            slot = to.toString();
            return;
        }
    }
}

void Game::showPasswordBox()
{
    m_window.txtPwd.visible = true;
    m_window.txtCon.visible = false;
}

void Game::showCommandBox()
{
    m_window.txtPwd.visible = false;
    m_window.txtCon.visible = true;
}

} // namespace tarnvale
