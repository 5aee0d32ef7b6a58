#include "Output/OutputWorker.h"

#include <QCoreApplication>
#include <QThreadPool>

namespace OutputWorker {

QThreadPool* pool() {
    static QThreadPool* instance = [] {
        auto* p = new QThreadPool(QCoreApplication::instance());
        // One at a time keeps a copy and a save from halving each other's speed on two cores.
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(30000);
        return p;
    }();
    return instance;
}

} // namespace OutputWorker
