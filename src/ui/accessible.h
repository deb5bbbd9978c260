#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace tarnvale::ui {

// What screen readers learn about the windows' own kinds of widget. Qt's
// own description of a label gives only a name, which hides a label whose
// caption changes (the inventory, the counters) behind a fixed name; here
// every label of the windows also offers its caption as text. The label
// buttons are push buttons that can be pressed, the dialog's choices radio
// buttons with a checked state. The title strip is a picture (a title bar
// would reach AT-SPI as text) and the white outline a filler, which screen
// readers pass over.
//
// Installed once, before the first window is made (after the application
// object, whose own factories it must come after); later calls do nothing.
void installAccessibility();

// Sets the accessible name and description of a widget.
void describe(QWidget *widget, const QString &name, const QString &description = {});

// Has a screen reader say `text` now, as news about `widget` (the widget
// with the keyboard): over AT-SPI, as a change of its description, which
// Orca speaks for the focused widget. Qt 6.4 has no announcement of its own,
// and the description change it sends carries no text. Returns whether the
// news went out (not without an accessibility bus).
bool announce(QWidget *widget, const QString &text);

// Changes a label's caption and tells screen readers about it, also when the
// label has a fixed accessible name of its own.
void setCaption(QLabel *label, QStringView caption);

} // namespace tarnvale::ui
