#pragma once

#include "Foundation/CoordinateSpace.h"
#include "Overlay/Canvas/SelectionCanvasDelegate.h"
#include "Overlay/Canvas/SelectionCanvasView.h"
#include "Overlay/Session/CapturedDisplay.h"
#include "Platform/Fake/FakeDisplayCapture.h"
#include "ScreenLayoutChild.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace OverlayTest {

// Runs the event loop for `ms` milliseconds.
inline void spin(int ms) {
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    } while (timer.elapsed() < ms);
}

// Runs the event loop until `condition` holds or `timeoutMs` passes; returns the condition.
inline bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// A display of `points` at `scale` whose pixels encode their own position (the fake capture's pattern).
inline CapturedDisplay patternDisplay(QSize points, double scale, tessary::Point origin = {0, 0}) {
    CapturedDisplay display;
    const QSize pixels(int(points.width() * scale), int(points.height() * scale));
    display.image = FakeDisplayCapture::patternImage(pixels);
    display.scale = scale;
    display.frame = {origin.x, origin.y, double(points.width()), double(points.height())};
    display.geometry = QRect(QPoint(0, 0), points);
    return display;
}

// Mouse and keys in canvas points (y up), delivered like the window system would.
inline void mouse(QWidget* target, QEvent::Type type, tessary::Point p,
                  Qt::MouseButton button = Qt::LeftButton) {
    const QPointF local = CoordinateSpace::toWidget(p, target->height());
    Qt::MouseButtons buttons = Qt::NoButton;
    if (type == QEvent::MouseButtonPress || (type == QEvent::MouseMove && button != Qt::NoButton)) {
        buttons = button;
    }
    QMouseEvent event(type, local, target->mapToGlobal(local),
                      type == QEvent::MouseMove ? Qt::NoButton : button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}
inline void press(QWidget* w, tessary::Point p) {
    mouse(w, QEvent::MouseButtonPress, p);
}
inline void drag(QWidget* w, tessary::Point p) {
    mouse(w, QEvent::MouseMove, p, Qt::LeftButton);
}
inline void release(QWidget* w, tessary::Point p) {
    mouse(w, QEvent::MouseButtonRelease, p);
}
inline void hover(QWidget* w, tessary::Point p) {
    mouse(w, QEvent::MouseMove, p, Qt::NoButton);
}
inline void dragFromTo(QWidget* w, tessary::Point from, tessary::Point to) {
    press(w, from);
    drag(w, to);
    release(w, to);
}
inline void key(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(w, &event);
}

// Records what a canvas tells its session.
class RecordingDelegate : public QObject, public SelectionCanvasDelegate {
public:
    void selectionCanvasDidBeginSelection(SelectionCanvasView* canvas) override { began.push_back(canvas); }
    void selectionCanvasDidInvoke(SelectionCanvasView*, ToolKind tool, const CaptureOutput& output) override {
        invoked.push_back(tool);
        outputs.push_back(output);
    }
    void confirm(const CaptureOutput& output) override {
        ++confirms;
        outputs.push_back(output);
    }
    void finish() override { ++finishes; }

    std::vector<SelectionCanvasView*> began;
    std::vector<ToolKind> invoked;
    std::vector<CaptureOutput> outputs;
    int confirms = 0;
    int finishes = 0;
};

using ScreenLayoutChild::inLayout;
using ScreenLayoutChild::runInLayout;

} // namespace OverlayTest
