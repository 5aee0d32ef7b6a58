#pragma once

#include "TessaryCore/Geometry.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

// Looks for QR codes in a canvas's selection once it has settled. A scan starts 180 ms after it
// is scheduled, so a selection that keeps changing is never scanned; any change of the selection
// cancels the scan, and a result that comes back for an older selection is dropped.
class QRCodeDetector : public QObject {
    Q_OBJECT
public:
    static constexpr int debounceMilliseconds = 180;

    explicit QRCodeDetector(QObject* parent = nullptr);
    ~QRCodeDetector() override;

    // The selection settled (canvas points). Nothing when this selection was already scheduled or
    // scanned; otherwise `crop` is asked for its pixels now (a null image: nothing).
    void schedule(const tessary::Rect& selection, const std::function<QImage()>& crop);
    // The selection changed or went away: stop the scan, forget its selection and payloads.
    void cancel();

    // The selection the current scan or payloads belong to.
    const std::optional<tessary::Rect>& scannedSelection() const { return selection_; }
    // Empty until a scan of the current selection finished.
    const QStringList& payloads() const { return payloads_; }
    // Waiting out the debounce or scanning.
    bool isBusy() const;

Q_SIGNALS:
    // The debounce ended and the pixels went to the worker.
    void scanStarted();
    // A scan of the current selection finished; `payloads` may be empty.
    void scanFinished(const QStringList& payloads);

private:
    void start();
    void finished(quint64 generation);

    QTimer debounce_;
    QImage pending_;
    std::optional<tessary::Rect> selection_;
    QStringList payloads_;
    // Bumped on every cancel so that a late result can tell it is outdated.
    quint64 generation_ = 0;
    QFutureWatcher<QStringList>* watcher_ = nullptr;
};
