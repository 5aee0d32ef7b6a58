#include "Output/PinnedImageWindow.h"

#include "Foundation/CoordinateSpace.h"
#include "Foundation/L10n.h"
#include "Output/Clipboard.h"
#include "Output/ImageSaver.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <memory>

namespace {

// Strong references: a pin lives exactly as long as it is in this list.
QList<PinnedImageWindow*>& pinned() {
    static QList<PinnedImageWindow*> windows;
    return windows;
}

} // namespace

PinnedImageWindow::PinnedImageWindow(const QImage& image) : QWidget(nullptr), m_image(image) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    setWindowTitle(QStringLiteral("Tessary"));
}

PinnedImageWindow* PinnedImageWindow::pin(const QImage& image, const tessary::Rect& globalFrame) {
    auto* window = new PinnedImageWindow(image);
    window->setGeometry(CoordinateSpace::toQtGlobal(globalFrame).toAlignedRect());
    pinned().append(window);
    window->show();
    window->raise();
    return window;
}

QList<PinnedImageWindow*> PinnedImageWindow::openWindows() {
    return pinned();
}

void PinnedImageWindow::copyImage() {
    Clipboard::write(m_image);
}

void PinnedImageWindow::saveImage() {
    if (ImageSaver::Preference::alwaysAskWhereToSave()) {
        ImageSaver::presentSavePanel(m_image, this);
    } else {
        ImageSaver::saveToDefaultDirectory(m_image);
    }
}

void PinnedImageWindow::closeWindow() {
    hide();
    pinned().removeAll(this);
    deleteLater();
}

std::unique_ptr<QMenu> PinnedImageWindow::makeContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    connect(menu->addAction(L10n::text(QStringLiteral("pin.copy"))), &QAction::triggered, this,
            &PinnedImageWindow::copyImage);
    const bool ask = ImageSaver::Preference::alwaysAskWhereToSave();
    connect(menu->addAction(L10n::text(ask ? QStringLiteral("pin.save") : QStringLiteral("pin.saveDirect"))),
            &QAction::triggered, this, &PinnedImageWindow::saveImage);
    menu->addSeparator();
    connect(menu->addAction(L10n::text(QStringLiteral("pin.close"))), &QAction::triggered, this,
            &PinnedImageWindow::closeWindow, Qt::QueuedConnection);
    return menu;
}

void PinnedImageWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), m_image);
    // A thin light frame separates the pin from whatever lies beneath it.
    painter.setPen(QPen(QColor(255, 255, 255, qRound(0.7 * 255)), 1.0));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void PinnedImageWindow::keyPressEvent(QKeyEvent* event) {
    const bool command = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_Escape) {
        closeWindow();
        return;
    }
    if (command && event->key() == Qt::Key_C) {
        copyImage();
        return;
    }
    if (command && event->key() == Qt::Key_W) {
        closeWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PinnedImageWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    activateWindow();
    // Let the window manager move the window when it can; drag by hand otherwise.
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void PinnedImageWindow::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
    }
}

void PinnedImageWindow::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

void PinnedImageWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        closeWindow();
    }
}

void PinnedImageWindow::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu = makeContextMenu();
    menu->exec(event->globalPos());
}
