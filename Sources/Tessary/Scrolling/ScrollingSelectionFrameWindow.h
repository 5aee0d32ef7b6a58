#pragma once

#include <QWidget>

// The thin frame around the region a scrolling capture reads. It lies 2 points outside the region so
// its border is never in a frame, takes no input and never takes focus; only the border is part of the
// window (a shaped window), so the region stays visible without a compositor.
class ScrollingSelectionFrameWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int borderWidth = 2;

    // `region` in Qt global coordinates (points, y down).
    explicit ScrollingSelectionFrameWindow(const QRect& region);

protected:
    void paintEvent(QPaintEvent* event) override;
};
