#include "ui/look.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPalette>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace tarnvale::ui {

using namespace Qt::Literals::StringLiterals;

namespace {

// The first of the families that the system has, or the last one, which
// fontconfig then substitutes as best it can.
QString firstInstalled(const QStringList &families)
{
    for (const QString &family : families) {
        if (QFontDatabase::hasFamily(family))
            return family;
    }
    return families.back();
}

} // namespace

QFont windowFont()
{
    // The text was written for a heavy, fairly narrow system face: the output
    // lines are broken by hand at about 46 letters for a 353-pixel box, and
    // "пустая пачка сигарет" has to fit a 145-pixel inventory slot. Faces
    // with Arial's widths fit both with room to spare, so they come first:
    // Liberation Sans and Nimbus Sans (Debian's fonts-liberation2 and
    // fonts-urw-base35; fontconfig maps Arial to them) and Arial itself on
    // Windows and macOS. Condensed DejaVu still fits; plain DejaVu Sans is
    // the last resort, present everywhere on Debian but too wide for the
    // layout.
    // The choice is made once: a single family spares every later font
    // look-up the walk through the whole list.
    static const QString family = firstInstalled({u"Liberation Sans"_s, u"Arial"_s, u"Nimbus Sans"_s,
                                                  u"DejaVu Sans Condensed"_s, u"DejaVu Sans"_s});
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    // Pixels, not points: the layout is in device-independent pixels, so the
    // text has to scale with it whatever the logical dpi of the screen is.
    font.setPixelSize(windows::kTextPixels);
    font.setWeight(QFont::Bold);
    return font;
}

QFont noteFont()
{
    QFont font;
    font.setFamilies({u"Tahoma"_s, u"DejaVu Sans"_s, u"Liberation Sans"_s, u"Arial"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(windows::kNotePixels);
    font.setWeight(QFont::Bold);
    return font;
}

QPixmap titleImage(qreal devicePixelRatio)
{
    // Stripes on black with the program's name cut into them, drawn in device
    // pixels so that the one-pixel lines stay sharp at any scale.
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const auto dev = [dpr](qreal logical) { return int(std::lround(logical * dpr)); };
    QPixmap pixmap(int(std::ceil(kTitleImageWidth * dpr)), int(std::ceil(kTitleImageHeight * dpr)));
    pixmap.fill(kBlack);

    QFont font = windowFont();
    font.setPixelSize(dev(12));
    const QString title = u"tarnvale"_s;
    const int textLeft = dev(18);
    const int textWidth = QFontMetrics(font).horizontalAdvance(title);
    const int gap = dev(6);

    QPainter painter(&pixmap);
    const int line = deviceLineWidth(dpr);
    for (int row = 4; row <= 12; row += 2) {
        const int y = dev(row);
        painter.fillRect(QRect(dev(3), y, textLeft - gap - dev(3), line), kWhite);
        painter.fillRect(QRect(textLeft + textWidth + gap, y, pixmap.width(), line), kWhite);
    }
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(kWhite);
    painter.drawText(QRect(textLeft, 0, textWidth + 1, pixmap.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     title);
    painter.end();
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

QImage handImage(qreal dpr)
{
    // A white hand with a black outline, the index finger up; it shows on the
    // black windows and on anything else the pointer may cross. It is drawn
    // in device pixels: every straight edge of the fingers and the palm lies
    // on a pixel boundary, the outline is a whole number of pixels thick, and
    // the parts are united into one outline, so that no overlap leaves a hole.
    constexpr int kSize = 24;
    const qreal scale = dpr > 0 ? dpr : 1.0;
    const auto dev = [scale](qreal logical) { return qreal(std::lround(logical * scale)); };
    const auto part = [&](qreal x, qreal y, qreal w, qreal h, qreal radius) {
        QPainterPath path;
        path.addRoundedRect(QRectF(QPointF(dev(x), dev(y)), QPointF(dev(x + w), dev(y + h))), radius * scale,
                            radius * scale);
        return path;
    };
    QImage image(int(std::ceil(kSize * scale)), int(std::ceil(kSize * scale)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);

    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    hand = hand.united(part(kHandHotSpot.x() - 2, kHandHotSpot.y(), 4, 12, 2));   // index finger
    hand = hand.united(part(9, 6, 4, 7, 2));        // middle finger
    hand = hand.united(part(12, 7, 4, 7, 2));       // ring finger
    hand = hand.united(part(15, 8, 3.5, 6, 1.75));  // little finger
    hand = hand.united(part(5, 9, 13.5, 11, 3));    // palm
    QPainterPath thumb;
    thumb.moveTo(6.5 * scale, 12 * scale);
    thumb.lineTo(3.5 * scale, 9.5 * scale);
    thumb.cubicTo(1.5 * scale, 8 * scale, 0.5 * scale, 10.5 * scale, 1.8 * scale, 12 * scale);
    thumb.lineTo(6 * scale, 17.5 * scale);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();

    // The outline runs inside the silhouette, as thick as the title strip's
    // lines: the white is the silhouette less a band along its edge.
    const qreal line = std::max(1.0, dev(1));
    QPainterPathStroker edge;
    edge.setWidth(2 * line);
    edge.setJoinStyle(Qt::MiterJoin);
    const QPainterPath inside = hand.subtracted(edge.createStroke(hand));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBlack);
    painter.drawPath(hand);
    painter.setBrush(kWhite);
    painter.drawPath(inside);
    // the folds between the fingers, whole pixels wide
    const int width = int(line);
    painter.fillRect(QRect(int(dev(10)), int(dev(9)), width, int(dev(12) - dev(9))), kBlack);
    painter.fillRect(QRect(int(dev(13)), int(dev(9)), width, int(dev(12.5) - dev(9))), kBlack);
    painter.fillRect(QRect(int(dev(16)), int(dev(10)), width, int(dev(13) - dev(10))), kBlack);
    painter.end();
    image.setDevicePixelRatio(scale);
    return image;
}

QCursor buttonCursor()
{
    // Every label button wears the hand: draw it once per pixel ratio, and
    // share the one pointer made of it.
    static QCursor hand;
    static qreal drawnFor = 0;
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    if (drawnFor == 0 || !qFuzzyCompare(drawnFor, dpr)) {
        hand = QCursor(QPixmap::fromImage(handImage(dpr)), kHandHotSpot.x(), kHandHotSpot.y());
        drawnFor = dpr;
    }
    return hand;
}

int deviceLineWidth(qreal devicePixelRatio)
{
    return std::max(1, int(std::lround(devicePixelRatio)));
}

QRect toDevicePixels(QPainter &painter, const QRectF &logical)
{
    // From here on the painter draws in the device's own pixels.
    const QTransform toDevice = painter.deviceTransform();
    const QRectF mapped = toDevice.mapRect(logical);
    painter.setWorldTransform(toDevice.inverted(), true);
    const int left = int(std::lround(mapped.left()));
    const int top = int(std::lround(mapped.top()));
    return QRect(QPoint(left, top), QPoint(int(std::lround(mapped.right())) - 1, int(std::lround(mapped.bottom())) - 1));
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

QColor textColour(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

void paintBlack(QWidget *widget)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, kBlack);
        palette.setColor(group, QPalette::Base, kBlack);
        palette.setColor(group, QPalette::WindowText, kWhite);
        palette.setColor(group, QPalette::Text, kWhite);
        palette.setColor(group, QPalette::ButtonText, kWhite);
        palette.setColor(group, QPalette::Button, kBlack);
        palette.setColor(group, QPalette::Highlight, kWhite);
        palette.setColor(group, QPalette::HighlightedText, kBlack);
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, kGrey);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, kGrey);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void placeLabel(QLabel *label, const QString &name, const QRect &geometry, const QString &caption,
                const QColor &colour)
{
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setMargin(0);
    label->setIndent(0);
    label->setText(caption);
    setTextColour(label, colour);
}

QLabel *addLabel(QWidget *parent, const QString &name, const QRect &geometry, const QString &caption,
                 const QColor &colour)
{
    auto *label = new QLabel(parent);
    placeLabel(label, name, geometry, caption, colour);
    return label;
}

} // namespace tarnvale::ui
