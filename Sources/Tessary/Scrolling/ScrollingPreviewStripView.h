#pragma once

#include <QImage>
#include <QList>
#include <QWidget>

// The live preview of a scrolling capture: the newest strips scaled to the view width, the newest at the
// bottom, older ones dropped once newer ones fill the view.
class ScrollingPreviewStripView : public QWidget {
    Q_OBJECT
public:
    explicit ScrollingPreviewStripView(QWidget* parent = nullptr);

    void append(const QImage& strip);
    const QList<QImage>& strips() const { return strips_; }
    int pixelWidth() const { return pixelWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void trim();

    QList<QImage> strips_;
    int pixelWidth_ = 0;
};
