#pragma once

#include "TessaryCore/Geometry.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class NoticeBarView;
class QScreen;
class QTimer;
class QPropertyAnimation;

// A transient notice near where the user worked, above everything else and never taking focus.
// At most one is visible at a time.
class NoticePanel : public QWidget {
    Q_OBJECT
public:
    // `anchor` in global points (y up); with a click action the notice takes clicks.
    NoticePanel(const QString& text, const std::optional<tessary::Rect>& anchor,
                std::function<void()> onClick = {});
    ~NoticePanel() override;

    // The usual call: dismisses the visible notice, shows this text as the new one and logs it
    // (callers that log the notice themselves pass false).
    static NoticePanel* show(const QString& text, const std::optional<tessary::Rect>& anchor = std::nullopt,
                             std::function<void()> onClick = {}, bool logNotice = true);
    static NoticePanel* visible();

    void present();
    void dismiss();
    void fadeOut();

    NoticeBarView* bar() const { return bar_; }
    // Seconds until the fade starts.
    double displaySeconds() const;
    // Frame in global points (y up).
    tessary::Rect globalFrame() const;
    QScreen* targetScreen() const { return screen_; }

    // Characters as a reader counts them (grapheme clusters).
    static qsizetype characterCount(const QString& text);

private:
    void position(const std::optional<tessary::Rect>& anchor);

    NoticeBarView* bar_ = nullptr;
    QTimer* timer_ = nullptr;
    QPropertyAnimation* fade_ = nullptr;
    std::function<void()> onClick_;
    QPointer<QScreen> screen_;
    tessary::Rect globalFrame_;
    bool dismissed_ = false;
};
