#pragma once

#include "TessaryCore/SegmentJoinState.h"

#include <QImage>
#include <QList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class SegmentJoinPreviewView;

// Lets the user join the segments of a scrolling capture that were not joined automatically, one seam at
// a time, starting from overlaps it suggests itself.
class ScrollAlignmentWindow : public QWidget {
    Q_OBJECT
public:
    // At least two segments.
    explicit ScrollAlignmentWindow(QList<QImage> segments);

    // Confirms by itself after `seconds` if still shown (scripted runs).
    void scheduleAutomaticConfirm(double seconds);

    void goPrevious();
    void goNext();
    void autoAlign();
    void confirmTapped();
    void cancelTapped();

    const std::vector<std::int64_t>& overlaps() const { return state_.overlaps(); }
    std::int64_t currentJoin() const { return state_.currentJoin(); }
    SegmentJoinPreviewView* preview() const { return preview_; }
    QString joinText() const;
    QString overlapText() const;
    QPushButton* previousButton() const { return previous_; }
    QPushButton* nextButton() const { return next_; }

    std::function<void(const std::vector<std::int64_t>&)> onConfirm;
    std::function<void()> onCancel;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void suggestAll();
    void showJoin(std::int64_t join);
    void updateLabels();
    void end(bool confirmed);

    QList<QImage> segments_;
    tessary::SegmentJoinState state_;
    SegmentJoinPreviewView* preview_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* joinLabel_ = nullptr;
    QLabel* overlapLabel_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    bool ended_ = false;
};
