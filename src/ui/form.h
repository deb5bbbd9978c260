#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

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
// A press that comes too soon after its window appeared is not a press (see
// Form::takesPresses): it finishes a double click begun in another window.
class LabelButton : public QLabel {
    Q_OBJECT
public:
    explicit LabelButton(QWidget *parent);

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
    // What a click, Enter, Space and a screen reader's press all come to.
    void click();

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
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

// A window of the program: borderless and black, framed by a white outline,
// with a title strip along its top edge. Every window is destroyed when it is
// closed (unloaded).
class Form : public QWidget {
    Q_OBJECT
public:
    // The client area and the outline in twips; the title strip runs along
    // the top inside the outline's corner, as wide as the outline allows.
    Form(const QString &name, QSize clientTwips, QRect outlineTwips, QWidget *parent = nullptr);

    TitleBar *titleBar() const { return m_titleBar; }

    // Whether the label buttons take a mouse press now. A window that has
    // just appeared, or come to the front, may lie under the pointer of a
    // double click or a quick second click begun in the window that opened
    // it, and that second press must not land on one of its buttons. So for
    // the platform's double-click interval after the window appeared its
    // buttons ignore presses. The keyboard is not held back.
    bool takesPresses() const;
    // Starts that interval again: the window has come to the front.
    void holdPresses();

protected:
    LabelButton *addButton(const QString &name, const QRect &geometry, const QString &caption,
                           const QColor &colour = kWhite);
    WrappedLabel *addWrappedLabel(const QString &name, const QRect &geometry, const QString &caption);
    void showEvent(QShowEvent *event) override;

private:
    TitleBar *m_titleBar;
    Outline *m_outline;
    QElapsedTimer m_appeared;
};

// Ends the program at once: every window closes, the event loop stops.
void endProgram();

} // namespace tarnvale::ui
