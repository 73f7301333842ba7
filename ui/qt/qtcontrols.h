// The Qt widgets behind the control kinds that plain Qt widgets do not draw as the
// windows need: labels and picture boxes with pictures, and timers whose ticks never
// overlap.
#pragma once

#include "ui/toolkit.h"

#include <QCheckBox>
#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace examclient::qt {

// The picture of that file name from the compiled-in images; a null pixmap when there
// is none, which then draws nothing.
QPixmap loadPicture(const char* fileName);

// Fills the widget with the face colour and draws the picture over it as `mode` says,
// the tiling anchored at the widget's own top-left corner.
void paintBackground(QWidget& widget, ui::BackgroundMode mode, const QPixmap& picture);

// A label whose background is the face colour with a picture over it (tiled from the
// label's own corner, wherever the label sits); the text goes over that without a
// background of its own.
class PictureLabel final : public QLabel {
public:
    PictureLabel(QWidget* parent, const ui::ControlStyle& style);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ui::BackgroundMode m_mode;
    QPixmap m_picture;
};

// A borderless box that draws its picture at natural size from its top-left corner,
// cropped to the box, on the face colour. Controls may sit inside it.
class PictureBox final : public QWidget {
public:
    PictureBox(QWidget* parent, const char* picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

// A check box that toggles on a click anywhere in its rectangle, not only on the box
// and its text.
class CheckBox final : public QCheckBox {
public:
    CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) { setAutoFillBackground(true); }

protected:
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }
};

// A window timer. A tick that comes while the previous tick's handler still runs (in a
// nested loop) waits, at most one; ticks missed while the thread was busy are dropped.
class WindowTimer final : public QObject {
public:
    explicit WindowTimer(QObject* parent);

    void setOnTick(std::function<void()> onTick) { m_onTick = std::move(onTick); }

    void setPeriod(int milliseconds);
    int period() const { return m_period; }
    void setSuppressed(bool suppressed) { m_suppressed = suppressed; }
    bool isSuppressed() const { return m_suppressed; }
    bool isRunning() const { return m_timer.isActive(); }

private:
    void timedOut();
    void postTick();
    void runTick();

    QTimer m_timer;
    std::function<void()> m_onTick;
    int m_period = 0;
    bool m_suppressed = false;
    bool m_inHandler = false;
    bool m_tickWaiting = false;
    bool m_tickPosted = false;
    unsigned m_start = 0; // counts restarts, so a stale waiting tick is dropped
};

} // namespace examclient::qt
