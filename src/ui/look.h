#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

#include "engine/description.h"

class QImage;
class QLabel;
class QPainter;
class QWidget;

namespace tarnvale::ui {

// The windows are laid out in twips, a (device-independent) pixel being
// the description's number of them.
constexpr int px(int twips) { return windows::pixels(twips); }
constexpr QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The colours of the black-and-white windows, as described.
inline QColor qtColour(windows::Colour c) { return QColor(c.r, c.g, c.b); }
inline const QColor kBlack = qtColour(windows::kBlack);
inline const QColor kWhite = qtColour(windows::kWhite);
inline const QColor kGrey = qtColour(windows::kGrey);           // the marker and the last command
inline const QColor kUnchosen = qtColour(windows::kUnchosen);   // the option not chosen in the dialog

// The distance between the lines of a text of several lines: the original
// face's 16-pixel cell, whatever the chosen face's own spacing is.
inline constexpr int kLinePitch = windows::kLinePitchPixels;

// The face of every text in the windows: bold, 13 pixels high (9.75 points
// at 96 dpi), from a family with Cyrillic letters.
QFont windowFont();
// The small note beside the music choice: bold, 9 points, Tahoma where it
// exists.
QFont noteFont();

// The picture of the title strips: a 520 by 17 strip, drawn for the given
// device pixel ratio.
inline constexpr int kTitleImageWidth = 520;
inline constexpr int kTitleImageHeight = 17;
QPixmap titleImage(qreal devicePixelRatio);

// The pointer shown over the label buttons: a small pointing hand, 24 by 24
// device-independent pixels, its hot spot at the tip of the index finger.
QCursor buttonCursor();
inline constexpr QPoint kHandHotSpot{8, 0};
// The hand's picture, drawn for the given device pixel ratio.
QImage handImage(qreal devicePixelRatio);

// The thickness in device pixels of the program's one-pixel lines (the
// outline, the separator, the title strip's stripes, the hand's outline):
// a whole number of pixels, the same on every side.
int deviceLineWidth(qreal devicePixelRatio);
// Makes the painter draw in device pixels and returns the logical rectangle
// there, its edges on whole pixels.
QRect toDevicePixels(QPainter &painter, const QRectF &logical);

// Black background, white text: the palette every window starts from.
void paintBlack(QWidget *widget);
// A label as the windows place them: top left, no margins, one colour.
void placeLabel(QLabel *label, const QString &name, const QRect &geometry, const QString &caption,
                const QColor &colour = kWhite);
QLabel *addLabel(QWidget *parent, const QString &name, const QRect &geometry, const QString &caption,
                 const QColor &colour = kWhite);
void setTextColour(QWidget *widget, const QColor &colour);
QColor textColour(const QWidget *widget);

} // namespace tarnvale::ui
