#pragma once

#include "TessaryCore/ScrollingProgress.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class ScrollingPreviewStripView;

// The floating panel beside a running scrolling capture: live preview, status and notice lines, Cancel
// and Done. It never takes focus or the pointer grab from the window being scrolled.
class ScrollingCapturePanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 268;
    static constexpr int panelHeight = 392;

    ScrollingCapturePanel();

    // `hotKeyDisplay`: the capture hot key as the menu shows it, if one is registered.
    void buildContent(const std::optional<QString>& hotKeyDisplay);
    // Beside `region` (Qt global points), inside the visible area of its screen.
    void placeNear(const QRect& region);
    void updateStatus(std::int64_t frames, std::int64_t height, std::int64_t segments);
    // An absent notice keeps the line as it is.
    void showNotice(std::optional<tessary::ScrollingNotice> notice);
    // Shows the final message and closes the panel `seconds` later.
    void presentResult(const QString& text, double seconds);
    // The same for a capture that could not run, with the reason.
    void presentProblem(const QString& text, double seconds);

    ScrollingPreviewStripView* preview() const { return preview_; }
    QString statusText() const;
    QString noticeText() const;
    QPushButton* doneButton() const { return done_; }
    QPushButton* cancelButton() const { return cancel_; }

    std::function<void()> onDone;
    std::function<void()> onCancel;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ScrollingPreviewStripView* preview_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* notice_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* done_ = nullptr;
};
