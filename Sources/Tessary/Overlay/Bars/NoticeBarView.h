#pragma once

#include <QString>
#include <QWidget>

#include <functional>

// One line of notice text with an info icon on a translucent rounded pill, 30 points high.
class NoticeBarView : public QWidget {
    Q_OBJECT
public:
    static constexpr double barHeight = 30;

    explicit NoticeBarView(QWidget* parent = nullptr);

    // Sizes the bar for `text`, no wider than `maxWidth` (the text is cut with an ellipsis).
    void setText(const QString& text, double maxWidth);
    const QString& text() const { return text_; }
    // The text as drawn (possibly elided).
    QString displayedText() const;
    QRectF labelRect() const { return labelRect_; }

    void setOnClick(std::function<void()> onClick);
    bool hasClickAction() const { return static_cast<bool>(onClick_); }

    // Painting opacity, for fading inside an overlay.
    void setOpacity(double opacity);
    double opacity() const { return opacity_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString text_;
    QRectF labelRect_;
    std::function<void()> onClick_;
    double opacity_ = 1;
};
