#pragma once

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

// One join of the manual alignment: the end of the upper segment above a marked line, the start of the
// lower one below it, its first `overlap` rows hidden. Dragging or the Up/Down arrow keys change the overlap.
class SegmentJoinPreviewView : public QWidget {
    Q_OBJECT
public:
    explicit SegmentJoinPreviewView(QWidget* parent = nullptr);

    void setImages(const QImage& upper, const QImage& lower);
    std::int64_t overlap() const { return overlap_; }
    // Redraws and notifies when the value changes.
    void setOverlap(std::int64_t overlap);

    std::function<void(std::int64_t)> onOverlapChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    double scale() const;

    QImage upper_;
    QImage lower_;
    std::int64_t overlap_ = 0;
    std::optional<QPointF> dragStartPoint_;
    std::int64_t dragStartOverlap_ = 0;
};
