// The windows on a scaled screen. Run once per scale (QT_SCALE_FACTOR 1, 1.5
// and 2): the layout in device-independent pixels is the same at every
// scale, every caption fits its label in the pixels actually painted, and
// the lines drawn by the program (the title strip, the outline, the focus
// mark) stay sharp, with no half-covered grey pixels.
#include "uitest.h"

#include "story/story.h"
#include "ui/desktop.h"
#include "ui/form.h"
#include "ui/frmnew.h"
#include "ui/frmtargame.h"
#include "ui/infowindows.h"
#include "ui/look.h"

#include <QApplication>
#include <QFontMetrics>
#include <QCursor>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>

#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace tarnvale;
using namespace tarnvale::ui;
using namespace tarnvale::ui::test;

namespace {

qreal expectedScale()
{
    bool ok = false;
    const qreal scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok ? scale : 1.0;
}

// The four windows, open together.
struct AllWindows {
    AllWindows() : desktop(settings, tarnvaleStory(), {})
    {
        desktop.start();
        dialog = desktop.newGameDialog();
        dialog->show();
        desktop.startGame();   // closes the dialog; it is shown again below
        desktop.showHelp();
        desktop.showAuthor();
        game = desktop.gameWindow();
        dialogAgain = new frmNew(desktop.program());
        dialogAgain->show();
    }
    ~AllWindows() { delete dialogAgain; }

    QList<QWidget *> windows() const
    {
        return {game, dialogAgain, desktop.helpWindow(), desktop.authorWindow()};
    }

    GameSettings settings;
    Desktop desktop;
    QWidget *dialog = nullptr;
    frmTargame *game = nullptr;
    frmNew *dialogAgain = nullptr;
};

bool exposed(const QList<QWidget *> &windows)
{
    for (QWidget *window : windows) {
        if (!QTest::qWaitForWindowExposed(window))
            return false;
    }
    return true;
}

// Whether any pixel of the column (or row) differs from the background.
bool inkInColumn(const QImage &image, int x)
{
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) != QColor(Qt::black))
            return true;
    }
    return false;
}

bool inkInRow(const QImage &image, int y)
{
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) != QColor(Qt::black))
            return true;
    }
    return false;
}

// Pixels that are neither black nor white in the rectangle (device pixels).
int greyPixels(const QImage &image, const QRect &area)
{
    int grey = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour != QColor(Qt::black) && colour != QColor(Qt::white))
                ++grey;
        }
    }
    return grey;
}

} // namespace

class ScalingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void windowsKeepTheirLayout();
    void captionsFitTheirLabels();
    void longestContentFits();
    void titleStripAndOutlineAreSharp();
    void focusMarkIsSharp();
    void outlineAndSeparatorAreEvenLines();
    void handPointerIsSolidAndCrisp();
};

void ScalingTest::initTestCase()
{
    quietAboutRaise();
    qInfo("scale %g", expectedScale());
}

void ScalingTest::windowsKeepTheirLayout()
{
    AllWindows all;
    QVERIFY(exposed(all.windows()));
    for (QWidget *window : all.windows())
        QCOMPARE(window->devicePixelRatioF(), expectedScale());

    // The same sizes and places in device-independent pixels at every scale.
    QCOMPARE(all.game->size(), QSize(521, 377));
    for (QWidget *window : all.windows().mid(1))
        QCOMPARE(window->size(), QSize(317, 213));
    const auto at = [](QWidget *window, const char *name) { return child<QWidget>(window, name)->geometry(); };
    QCOMPARE(at(all.game, "txtGame"), QRect(8, 40, 353, 305));
    QCOMPARE(at(all.game, "txtCon"), QRect(30, 351, 489, 24));
    QCOMPARE(at(all.game, "lblInv9"), QRect(368, 184, 145, 17));
    QCOMPARE(at(all.game, "lbExit"), QRect(368, 328, 145, 17));
    QCOMPARE(at(all.game, "Line1"), QRect(1, 350, 519, 1));
    QCOMPARE(at(all.game, "Shape1"), QRect(1, 1, 519, 375));
    QCOMPARE(at(all.dialogAgain, "lblExit"), QRect(200, 192, 105, 17));
    QCOMPARE(at(all.desktop.helpWindow(), "lblAdvice"), QRect(8, 120, 297, 65));
    QCOMPARE(at(all.desktop.authorWindow(), "lblDate"), QRect(8, 192, 105, 17));

    // What is painted covers the window at the screen's scale.
    const QImage image = all.game->grab().toImage();
    QCOMPARE(image.size(), QSize(int(std::lround(521 * expectedScale())), int(std::lround(377 * expectedScale()))));
}

void ScalingTest::captionsFitTheirLabels()
{
    // Every caption, as laid out and as painted: no letter reaches the right
    // or the bottom edge of its label, where it would be cut off.
    AllWindows all;
    QVERIFY(exposed(all.windows()));
    int checked = 0;
    for (QWidget *window : all.windows()) {
        const QList<QLabel *> labels = window->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
        for (QLabel *label : labels) {
            if (label->text().isEmpty())
                continue;
            const QString what = window->objectName() + u'.' + label->objectName();
            if (label->wordWrap()) {
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(what));
            } else {
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(what));
            }
            label->clearFocus();   // the focus mark is not a letter
            const QImage painted = label->grab().toImage();
            QVERIFY2(!inkInColumn(painted, painted.width() - 1), qPrintable(what + u": cut on the right"_s));
            QVERIFY2(!inkInRow(painted, painted.height() - 1), qPrintable(what + u": cut at the bottom"_s));
            ++checked;
        }
    }
    QCOMPARE(checked, 10 + 11 + 6 + 9);   // game, dialog, help, author
}

void ScalingTest::longestContentFits()
{
    // The longest item name and the widest counters the game can show.
    GameSettings settings;
    frmTargame game(settings, tarnvaleStory());
    game.show();
    QVERIFY(QTest::qWaitForWindowExposed(&game));
    const QList<std::pair<const char *, QString>> widest = {
        {"lblInv0", u"пустая пачка сигарет"_s},
        {"lblInv1", u"дешёвые сигареты"_s},
        {"lblInv2", u"ключ отморозка"_s},
        {"lblMoney", u"-32768 руб."_s},
        {"lblSteps", u"-32768 ходов"_s},
        {"lblPoints", u"-32768 очков"_s},
        {"lblDiff", u"простая игра"_s},
    };
    for (const auto &[name, caption] : widest) {
        auto *label = child<QLabel>(&game, name);
        label->setText(caption);
        QVERIFY2(label->fontMetrics().horizontalAdvance(caption) <= label->width(), name);
        const QImage painted = label->grab().toImage();
        QVERIFY2(!inkInColumn(painted, painted.width() - 1), name);
        QVERIFY2(!inkInRow(painted, painted.height() - 1), name);
    }
    // The opening scene keeps its hand-made lines.
    auto *output = child<QTextEdit>(&game, "txtGame");
    QCOMPARE(output->document()->lineCount(), 5);
}

void ScalingTest::titleStripAndOutlineAreSharp()
{
    AllWindows all;
    QVERIFY(exposed(all.windows()));
    const qreal scale = expectedScale();
    for (QWidget *window : all.windows()) {
        const QImage image = window->grab().toImage();
        // the title picture: the stripes right of the name (picture rows 4
        // to 12, below the outline's top edge) are whole device pixels,
        // black or white
        auto *strip = child<QWidget>(window, "picTitlebar");
        const QRect stripes(int(std::lround((strip->x() + 120) * scale)), int(std::lround((strip->y() + 2) * scale)),
                            int(std::lround(150 * scale)), int(std::floor(13 * scale)));
        QCOMPARE(greyPixels(image, stripes), 0);
        // five stripes of one thickness: drawn for this scale, not a picture
        // for another one stretched
        QList<int> runs;
        int run = 0;
        for (int y = stripes.top(); y <= stripes.bottom() + 1; ++y) {
            if (y <= stripes.bottom() && image.pixelColor(stripes.center().x(), y) == QColor(Qt::white)) {
                ++run;
            } else if (run > 0) {
                runs << run;
                run = 0;
            }
        }
        QCOMPARE(runs.size(), 5);
        for (const int thickness : std::as_const(runs))
            QCOMPARE(thickness, std::max(1, int(std::lround(scale))));
        // and the name in it is the picture drawn for this scale, pixel for
        // pixel, not one for another scale stretched
        const QImage painted = strip->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage drawn = titleImage(scale).toImage().convertToFormat(QImage::Format_RGB32);
        const QRect name(0, 0, std::min(painted.width(), int(std::lround(100 * scale))), painted.height());
        QCOMPARE(painted.copy(name), drawn.copy(name));

        // the outline: a whole line of white pixels along each edge
        const QRect outline = child<QWidget>(window, "Shape1")->geometry();
        // (its edges on the nearest device pixels)
        const int left = int(std::lround(outline.left() * scale));
        const int right = int(std::lround((outline.right() + 1) * scale)) - 1;
        const int middle = image.height() / 2;
        QCOMPARE(image.pixelColor(left, middle), QColor(Qt::white));
        QCOMPARE(image.pixelColor(right, middle), QColor(Qt::white));
        QCOMPARE(greyPixels(image, QRect(0, middle - 20, left + 4, 40)), 0);
        QCOMPARE(greyPixels(image, QRect(right - 3, middle - 20, image.width() - right + 3, 40)), 0);
    }
}

void ScalingTest::focusMarkIsSharp()
{
    GameSettings settings;
    frmTargame game(settings, windowTestStory());
    game.show();
    game.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&game));
    auto *button = child<QLabel>(&game, "lblHelp");
    button->setFocus(Qt::TabFocusReason);
    QVERIFY(button->hasFocus());
    const QImage marked = button->grab().toImage();
    // dotted white along the bottom, nothing but black and white
    QVERIFY(inkInRow(marked, marked.height() - 1));
    const int captionEnd = int(std::lround(button->fontMetrics().horizontalAdvance(button->text()) * expectedScale()));
    QCOMPARE(greyPixels(marked, QRect(0, marked.height() - 1, captionEnd, 1)), 0);
}

namespace {

// The length of the run of white pixels that starts at the first white pixel
// met going from `from` in steps of `step`; 0 when there is none.
int whiteRun(const QImage &image, QPoint from, QPoint step)
{
    QPoint at = from;
    const auto inside = [&image](QPoint p) { return p.x() >= 0 && p.y() >= 0 && p.x() < image.width() && p.y() < image.height(); };
    while (inside(at) && image.pixelColor(at) != QColor(Qt::white))
        at += step;
    int run = 0;
    while (inside(at) && image.pixelColor(at) == QColor(Qt::white)) {
        ++run;
        at += step;
    }
    return run;
}

} // namespace

void ScalingTest::outlineAndSeparatorAreEvenLines()
{
    AllWindows all;
    QVERIFY(exposed(all.windows()));
    const int line = std::max(1, int(std::lround(expectedScale())));
    for (QWidget *window : all.windows()) {
        const QString name = window->objectName();
        const QImage image = window->grab().toImage();
        const int w = image.width();
        const int h = image.height();
        // every side of the outline, in the middle of the side and near its
        // ends, is one line of the same whole number of white pixels
        for (const int y : {h / 2, h / 3, h - 12}) {
            QCOMPARE(whiteRun(image, QPoint(0, y), QPoint(1, 0)), line);
            QCOMPARE(whiteRun(image, QPoint(w - 1, y), QPoint(-1, 0)), line);
        }
        for (const int x : {w / 2, w / 3}) {
            QVERIFY2(whiteRun(image, QPoint(x, 0), QPoint(0, 1)) == line, qPrintable(name + u" top"_s));
            QVERIFY2(whiteRun(image, QPoint(x, h - 1), QPoint(0, -1)) == line, qPrintable(name + u" bottom"_s));
        }
        QCOMPARE(greyPixels(image, QRect(0, h / 2 - 10, 6, 20)), 0);
        QCOMPARE(greyPixels(image, QRect(w - 6, h / 2 - 10, 6, 20)), 0);
        QCOMPARE(greyPixels(image, QRect(w / 2 - 10, h - 6, 20, 6)), 0);
    }

    // the separator above the command line: as thick as the outline, crisp,
    // from one side of the outline to the other
    const QImage game = all.game->grab().toImage();
    const QRect separator = child<QWidget>(all.game, "Line1")->geometry();
    const int from = int(std::lround((separator.top() - 4) * expectedScale()));
    for (const int x : {game.width() / 4, game.width() / 2, game.width() - 20}) {
        QCOMPARE(whiteRun(game, QPoint(x, from), QPoint(0, 1)), line);
        QCOMPARE(greyPixels(game, QRect(x, from, 1, int(8 * expectedScale()))), 0);
    }
}

void ScalingTest::handPointerIsSolidAndCrisp()
{
    const qreal scale = expectedScale();
    const QImage hand = handImage(scale).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(hand.size(), QSize(int(std::ceil(24 * scale)), int(std::ceil(24 * scale))));
    const auto clear = [&hand](int x, int y) { return qAlpha(hand.pixel(x, y)) == 0; };

    // No holes: every clear pixel is reached from the border through clear
    // pixels.
    QList<bool> reached(hand.width() * hand.height(), false);
    QList<QPoint> todo;
    for (int x = 0; x < hand.width(); ++x)
        todo << QPoint(x, 0) << QPoint(x, hand.height() - 1);
    for (int y = 0; y < hand.height(); ++y)
        todo << QPoint(0, y) << QPoint(hand.width() - 1, y);
    while (!todo.isEmpty()) {
        const QPoint p = todo.takeLast();
        if (p.x() < 0 || p.y() < 0 || p.x() >= hand.width() || p.y() >= hand.height())
            continue;
        const qsizetype index = p.y() * hand.width() + p.x();
        if (reached[index] || !clear(p.x(), p.y()))
            continue;
        reached[index] = true;
        todo << p + QPoint(1, 0) << p - QPoint(1, 0) << p + QPoint(0, 1) << p - QPoint(0, 1);
    }
    int holes = 0;
    int white = 0;
    for (int y = 0; y < hand.height(); ++y) {
        for (int x = 0; x < hand.width(); ++x) {
            holes += clear(x, y) && !reached[y * hand.width() + x];
            white += hand.pixel(x, y) == qRgba(255, 255, 255, 255);
        }
    }
    QCOMPARE(holes, 0);
    QVERIFY(white > 60 * scale * scale);

    // Crisp: across the straight part of the index finger the pixels are
    // clear, or wholly black or white, and its outline is a whole line.
    const int line = std::max(1, int(std::lround(scale)));
    const int row = int(std::lround(5 * scale));
    QString across;
    for (int x = 0; x < int(std::lround(11 * scale)); ++x) {
        const QRgb pixel = hand.pixel(x, row);
        QVERIFY2(qAlpha(pixel) == 0 || pixel == qRgba(0, 0, 0, 255) || pixel == qRgba(255, 255, 255, 255),
                 qPrintable(u"half-covered pixel at %1,%2"_s.arg(x).arg(row)));
        across += qAlpha(pixel) == 0 ? u'.' : (qRed(pixel) == 0 ? u'#' : u'o');
    }
    const QString edge(line, u'#');
    QVERIFY2(across.contains(edge + u'o') && across.contains(u'o' + edge + u'.'), qPrintable(across));
    QVERIFY2(!across.contains(edge + u'#'), qPrintable(across));

    // The hot spot is the fingertip: the top row of the picture, where only
    // the index finger reaches.
    const QCursor cursor = buttonCursor();
    QCOMPARE(cursor.hotSpot(), QPoint(8, 0));
    const QPoint tip(int(cursor.hotSpot().x() * scale), int(cursor.hotSpot().y() * scale));
    QVERIFY(!clear(tip.x(), tip.y()));
    for (int x = 0; x < hand.width(); ++x) {
        if (!clear(x, 0))
            QVERIFY2(std::abs(x - tip.x()) <= 2 * scale, qPrintable(u"ink at %1,0"_s.arg(x)));
    }
}

QTEST_MAIN(ScalingTest)
#include "tst_scaling.moc"
