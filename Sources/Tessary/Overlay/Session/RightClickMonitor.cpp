#include "Overlay/Session/RightClickMonitor.h"

#include <QCoreApplication>
#include <QMouseEvent>

RightClickMonitor::RightClickMonitor(std::function<bool()> handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {
    QCoreApplication::instance()->installEventFilter(this);
}

RightClickMonitor::~RightClickMonitor() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

void RightClickMonitor::dispose() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
    deleteLater();
}

bool RightClickMonitor::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton && handler_) {
        // The first object to see the press (the native window) decides for the whole dispatch.
        return handler_();
    }
    return QObject::eventFilter(watched, event);
}
