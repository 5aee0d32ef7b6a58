#include "Platform/Wayland/PipeWireScreenStreams.h"

#include "Foundation/Log.h"

#include <QMetaObject>
#include <QRect>

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

namespace {

QImage::Format imageFormat(uint32_t video) {
    switch (video) {
    case SPA_VIDEO_FORMAT_BGRx:
        return QImage::Format_RGB32;
    case SPA_VIDEO_FORMAT_BGRA:
        return QImage::Format_ARGB32;
    case SPA_VIDEO_FORMAT_RGBx:
        return QImage::Format_RGBX8888;
    case SPA_VIDEO_FORMAT_RGBA:
        return QImage::Format_RGBA8888;
    default:
        return QImage::Format_Invalid;
    }
}

bool isUsable(const pw_buffer* buffer) {
    const spa_buffer* b = buffer->buffer;
    if (b->n_datas < 1 || !b->datas[0].data || !b->datas[0].chunk || b->datas[0].chunk->size == 0 ||
        (b->datas[0].chunk->flags & SPA_CHUNK_FLAG_CORRUPTED)) {
        return false;
    }
    const auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(b, SPA_META_Header, sizeof(spa_meta_header)));
    return !header || !(header->flags & SPA_META_HEADER_FLAG_CORRUPTED);
}

} // namespace

struct PipeWireScreenStreams::Impl {
    struct Slot {
        Impl* owner = nullptr;
        pw_stream* stream = nullptr;
        spa_hook listener{};
        spa_video_info_raw format{};
        bool hasFormat = false;
        // The newest usable buffer, kept out of the queue until a newer one replaces it.
        pw_buffer* held = nullptr;
        bool announced = false;
    };

    PipeWireScreenStreams* q = nullptr;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    spa_hook coreListener{};
    std::vector<std::unique_ptr<Slot>> slots;
    std::atomic<bool> failed = false;

    void notify() {
        QMetaObject::invokeMethod(
            q, [q = q] { Q_EMIT q->changed(); }, Qt::QueuedConnection);
    }
    void fail(const QString& why) {
        if (!failed.exchange(true)) {
            Log::error(QStringLiteral("屏幕录制流：") + why);
            notify();
        }
    }

    static void onCoreError(void* data, uint32_t id, int, int res, const char* message) {
        if (id == PW_ID_CORE) {
            static_cast<Impl*>(data)->fail(QStringLiteral("PipeWire 连接出错（") + QString::number(res) +
                                           QStringLiteral("）：") + QString::fromUtf8(message));
        }
    }

    static void onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error) {
        auto* slot = static_cast<Slot*>(data);
        if (state == PW_STREAM_STATE_ERROR) {
            slot->owner->fail(QStringLiteral("流出错：") + QString::fromUtf8(error ? error : ""));
        } else if (state == PW_STREAM_STATE_UNCONNECTED && slot->hasFormat) {
            slot->owner->fail(QStringLiteral("桌面结束了流。"));
        }
    }

    static void onParamChanged(void* data, uint32_t id, const spa_pod* param) {
        auto* slot = static_cast<Slot*>(data);
        if (!param || id != SPA_PARAM_Format) {
            return;
        }
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0 ||
            imageFormat(info.format) == QImage::Format_Invalid) {
            slot->owner->fail(QStringLiteral("桌面给出的画面格式不能用。"));
            return;
        }
        slot->format = info;
        slot->hasFormat = true;
        // Plain memory the process can read; no GPU buffers.
        uint8_t storage[256];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        const spa_pod* params[2];
        params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
            SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
        params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
            SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
        pw_stream_update_params(slot->stream, params, 2);
    }

    static void onRemoveBuffer(void* data, pw_buffer* buffer) {
        auto* slot = static_cast<Slot*>(data);
        if (slot->held == buffer) {
            slot->held = nullptr;
        }
    }

    static void onProcess(void* data) {
        auto* slot = static_cast<Slot*>(data);
        pw_buffer* newest = nullptr;
        while (pw_buffer* buffer = pw_stream_dequeue_buffer(slot->stream)) {
            if (newest) {
                pw_stream_queue_buffer(slot->stream, newest);
            }
            newest = buffer;
        }
        if (!newest) {
            return;
        }
        if (!isUsable(newest)) {
            pw_stream_queue_buffer(slot->stream, newest);
            return;
        }
        if (slot->held) {
            pw_stream_queue_buffer(slot->stream, slot->held);
        }
        slot->held = newest;
        if (!slot->announced) {
            slot->announced = true;
            slot->owner->notify();
        }
    }

    static const pw_core_events& coreEvents() {
        static const pw_core_events events = [] {
            pw_core_events e{};
            e.version = PW_VERSION_CORE_EVENTS;
            e.error = &onCoreError;
            return e;
        }();
        return events;
    }

    static const pw_stream_events& streamEvents() {
        static const pw_stream_events events = [] {
            pw_stream_events e{};
            e.version = PW_VERSION_STREAM_EVENTS;
            e.state_changed = &onStateChanged;
            e.param_changed = &onParamChanged;
            e.remove_buffer = &onRemoveBuffer;
            e.process = &onProcess;
            return e;
        }();
        return events;
    }

    // A view of the slot's held buffer; valid while the loop is locked.
    QImage view(const Slot& slot) const {
        if (!slot.held || !slot.hasFormat) {
            return {};
        }
        const spa_data& d = slot.held->buffer->datas[0];
        const int width = int(slot.format.size.width);
        const int height = int(slot.format.size.height);
        const qsizetype stride = d.chunk->stride > 0 ? d.chunk->stride : qsizetype(width) * 4;
        const qsizetype offset = d.chunk->offset;
        if (width <= 0 || height <= 0 || stride < qsizetype(width) * 4 ||
            offset + stride * (height - 1) + qsizetype(width) * 4 > qsizetype(d.maxsize)) {
            return {};
        }
        return QImage(static_cast<const uchar*>(d.data) + offset, width, height, stride,
                      imageFormat(slot.format.format));
    }
};

PipeWireScreenStreams::PipeWireScreenStreams(int fd, const QList<quint32>& nodes, QObject* parent)
    : QObject(parent), m_impl(std::make_unique<Impl>()) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });
    Impl& d = *m_impl;
    d.q = this;
    d.loop = pw_thread_loop_new("tessary-cast", nullptr);
    d.context = d.loop ? pw_context_new(pw_thread_loop_get_loop(d.loop), nullptr, 0) : nullptr;
    if (!d.context || pw_thread_loop_start(d.loop) < 0) {
        ::close(fd);
        d.fail(QStringLiteral("PipeWire 起不来。"));
        return;
    }
    pw_thread_loop_lock(d.loop);
    d.core = pw_context_connect_fd(d.context, fd, nullptr, 0);
    if (!d.core) {
        pw_thread_loop_unlock(d.loop);
        d.fail(QStringLiteral("连不上桌面给的 PipeWire。"));
        return;
    }
    pw_core_add_listener(d.core, &d.coreListener, &Impl::coreEvents(), &d);

    spa_rectangle defaultSize{1920, 1080}, minSize{1, 1}, maxSize{16384, 16384};
    spa_fraction defaultRate{30, 1}, minRate{0, 1}, maxRate{240, 1};
    for (const quint32 node : nodes) {
        auto slot = std::make_unique<Impl::Slot>();
        slot->owner = &d;
        slot->stream = pw_stream_new(d.core, "tessary-cast",
                                     pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                       "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        if (!slot->stream) {
            d.fail(QStringLiteral("建不了流。"));
            break;
        }
        pw_stream_add_listener(slot->stream, &slot->listener, &Impl::streamEvents(), slot.get());
        uint8_t storage[512];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof storage);
        const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
            SPA_FORMAT_VIDEO_format,
            SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_RGBx,
                                   SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBA),
            SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &minRate, &maxRate)));
        if (pw_stream_connect(slot->stream, PW_DIRECTION_INPUT, node,
                              pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
                              &format, 1) < 0) {
            d.fail(QStringLiteral("接不上节点 ") + QString::number(node) + QStringLiteral("。"));
        }
        d.slots.push_back(std::move(slot));
    }
    pw_thread_loop_unlock(d.loop);
}

PipeWireScreenStreams::~PipeWireScreenStreams() {
    Impl& d = *m_impl;
    if (d.loop) {
        pw_thread_loop_lock(d.loop);
        for (const auto& slot : d.slots) {
            spa_hook_remove(&slot->listener);
            pw_stream_destroy(slot->stream);
        }
        if (d.core) {
            spa_hook_remove(&d.coreListener);
            pw_core_disconnect(d.core);
        }
        pw_thread_loop_unlock(d.loop);
        pw_thread_loop_stop(d.loop);
    }
    if (d.context) {
        pw_context_destroy(d.context);
    }
    if (d.loop) {
        pw_thread_loop_destroy(d.loop);
    }
}

bool PipeWireScreenStreams::ready() const {
    const Impl& d = *m_impl;
    if (d.failed || d.slots.empty()) {
        return false;
    }
    pw_thread_loop_lock(d.loop);
    const bool all = std::all_of(d.slots.begin(), d.slots.end(), [](const auto& slot) { return slot->held; });
    pw_thread_loop_unlock(d.loop);
    return all;
}

bool PipeWireScreenStreams::failed() const {
    return m_impl->failed;
}

QImage PipeWireScreenStreams::latestFrame(qsizetype index) const {
    const Impl& d = *m_impl;
    if (index < 0 || size_t(index) >= d.slots.size()) {
        return {};
    }
    pw_thread_loop_lock(d.loop);
    const QImage view = d.view(*d.slots[size_t(index)]);
    // A deep copy before the buffer goes back to the desktop.
    QImage frame =
        view.format() == QImage::Format_RGB32 ? view.copy() : view.convertToFormat(QImage::Format_RGB32);
    pw_thread_loop_unlock(d.loop);
    return frame;
}

QImage PipeWireScreenStreams::latestRegion(qsizetype index, const QRect& pixels) const {
    const Impl& d = *m_impl;
    if (index < 0 || size_t(index) >= d.slots.size()) {
        return {};
    }
    pw_thread_loop_lock(d.loop);
    const QImage view = d.view(*d.slots[size_t(index)]);
    QImage region = view.isNull() ? QImage() : view.copy(pixels.intersected(view.rect()));
    pw_thread_loop_unlock(d.loop);
    return region.format() == QImage::Format_RGB32 || region.isNull()
               ? region
               : region.convertToFormat(QImage::Format_RGB32);
}
