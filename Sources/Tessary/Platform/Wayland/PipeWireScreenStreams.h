#pragma once

#include <QImage>
#include <QList>
#include <QObject>

#include <memory>

// Video streams of whole outputs from a PipeWire remote the desktop handed over (the ScreenCast
// portal's OpenPipeWireRemote). Each stream keeps the newest buffer it received instead of copying
// every frame: a static desktop costs nothing, and a capture copies one frame per output. PipeWire
// runs on a thread of its own; `changed` is delivered on the thread that owns this object.
class PipeWireScreenStreams : public QObject {
    Q_OBJECT
public:
    // Takes ownership of `fd`. Connects one stream per node id, in order.
    PipeWireScreenStreams(int fd, const QList<quint32>& nodes, QObject* parent = nullptr);
    ~PipeWireScreenStreams() override;

    // Whether every stream has delivered a frame (and none has failed).
    bool ready() const;
    // Whether the remote or a stream broke; the streams stay silent afterwards.
    bool failed() const;
    // A copy of stream `index`'s newest frame as RGB32, or a null image before the first one.
    QImage latestFrame(qsizetype index) const;
    // The part `pixels` (in the stream's frame) of stream `index`'s newest frame, as RGB32.
    QImage latestRegion(qsizetype index, const QRect& pixels) const;

Q_SIGNALS:
    // A first frame arrived or a stream failed.
    void changed();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
