#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

#include "engine/program.h"
#include "story/windows.h"
#include "ui/look.h"

class QTextLayout;

namespace tarnvale::ui {

// A flat label that works as a button: it shows the hand pointer and reports
// a click of the left button, pressed and released over it.
//
// From the keyboard it is reached with Tab (a click does not take the focus
// away from where the player types) and pressed with Enter or Space while it
// has the focus; a dotted white line under the caption marks the focus.
// One of a pair of choices (the dialog's difficulty and music) is checkable:
// screen readers learn which of the pair is chosen from its checked state.
//
// What a press does is the program's to decide (Program::press): a press of
// the mouse that comes too soon after its window appeared is no press there.
// A label that Tab can reach, marked while it has the keyboard by a dotted
// white line under its caption: the counters and the items carried, which a
// screen reader then reads, and the label buttons.
class TabLabel : public QLabel {
    Q_OBJECT
public:
    explicit TabLabel(QWidget *parent) : QLabel(parent) {}

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

class LabelButton : public TabLabel {
    Q_OBJECT
    // What screen readers are told of it.
    Q_PROPERTY(bool plainNote READ isPlainNote)
    Q_PROPERTY(bool checkable READ isCheckable)
    Q_PROPERTY(bool chosen READ isChosen)
public:
    LabelButton(QWidget *parent, Control control);
    Control control() const { return m_control; }

    // Tab reaches the button (not the note); called once its caption is set.
    void takeKeyboardFocus();

    // A button that only explains (the dialog's note) reports its clicks but
    // is no stop for the keyboard and no button for a screen reader.
    void setPlainNote(bool note);
    bool isPlainNote() const { return m_note; }

    void setCheckable(bool checkable) { m_checkable = checkable; }
    bool isCheckable() const { return m_checkable; }
    // Chosen: white and checked; not chosen: grey and unchecked.
    void setChosen(bool chosen);
    bool isChosen() const { return m_chosen; }

public Q_SLOTS:
    // What Enter, Space and a screen reader's press come to.
    void click();

Q_SIGNALS:
    // `at` is when the button went down; a press from the keyboard is never
    // held back.
    void clicked(qint64 at, bool byMouse);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Control m_control;
    qint64 m_pressedAt = -1;   // while the left button is down over it
    bool m_note = false;
    bool m_checkable = false;
    bool m_chosen = false;
};

// A label whose caption is wrapped at word boundaries onto lines
// kLinePitch pixels apart.
class WrappedLabel : public QLabel {
    Q_OBJECT
public:
    explicit WrappedLabel(QWidget *parent);
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int layOut(QTextLayout &layout, int width) const;
};

// The white rectangle that frames a window (`Shape1`). It lies over the other
// widgets but lets the mouse through.
class Outline : public QWidget {
    Q_OBJECT
public:
    explicit Outline(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A one-pixel white line (`Line1`).
class Separator : public QWidget {
    Q_OBJECT
public:
    explicit Separator(QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The title strip along the top edge of every window (`picTitlebar`): it
// shows the title picture and drags its window.
class TitleBar : public QWidget {
    Q_OBJECT
public:
    explicit TitleBar(QWidget *parent);

    // Runs on every mouse move over the strip. With exactly the left button
    // held the window is dragged: by the window manager where it offers an
    // interactive move, otherwise by following the pointer until the button
    // is released. With no button or any other combination nothing moves.
    void MoveForm(Qt::MouseButtons buttons, const QPoint &globalPos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPoint m_lastPointer;
    bool m_tracking = false;
    QPixmap m_image;
};

// The time on the clock that every window's presses are measured by.
qint64 nowMillis();

// A window of the program, built from its description: borderless and
// black, framed by a white outline, with a title strip along its top edge,
// and every widget of the description in its order (which is the tab
// order). Every window is destroyed when it is closed (unloaded).
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const windows::Form &description, QWidget *parent = nullptr);

    const windows::Form &description() const { return m_description; }
    TitleBar *titleBar() const { return m_titleBar; }
    LabelButton *button(Control control) const;

Q_SIGNALS:
    // One of the window's buttons was pressed (see LabelButton::clicked).
    void pressed(tarnvale::Control control, qint64 at, bool byMouse);
    // The window came up on the screen.
    void appeared(qint64 at);

protected:
    // Makes the widgets of the description in order. The kinds that only
    // one window has (the output, input and list boxes) come from
    // makeWidget, which the window's own constructor provides: build() runs
    // from there.
    void build();
    virtual QWidget *makeWidget(const windows::Widget &widget);
    void showEvent(QShowEvent *event) override;
    // Esc presses the window's "закрыть", where it has one.
    void keyPressEvent(QKeyEvent *event) override;

private:
    const windows::Form &m_description;
    TitleBar *m_titleBar;
    Outline *m_outline;
    QList<LabelButton *> m_buttons;
};

// Ends the program at once: every window closes, the event loop stops.
void endProgram();

} // namespace tarnvale::ui
