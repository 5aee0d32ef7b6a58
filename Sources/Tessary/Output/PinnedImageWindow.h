#pragma once

#include "TessaryCore/Geometry.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class QMenu;

// A capture kept on screen: a frameless, always-on-top window showing the image at the size
// the selection had, placed where it was. Any number may be open; each keeps itself alive
// (in the process-wide set) until closed.
class PinnedImageWindow : public QWidget {
    Q_OBJECT
public:
    // Creates, places (frame in global model points, y up) and shows a pin.
    static PinnedImageWindow* pin(const QImage& image, const tessary::Rect& globalFrame);
    static QList<PinnedImageWindow*> openWindows();

    const QImage& image() const { return m_image; }
    void copyImage();
    void saveImage();
    void closeWindow();
    // Builds the context menu with the save title that matches the current preference.
    std::unique_ptr<QMenu> makeContextMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    explicit PinnedImageWindow(const QImage& image);

    QImage m_image;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
