#include "Platform/X11/X11DisplayCapture.h"

#include "Platform/DisplayImageFit.h"
#include "Platform/PlatformError.h"
#include "Platform/X11/X11Connection.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/randr.h>
#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

namespace {

// X coordinates are 16-bit; nothing beyond this can be a real root window.
constexpr int maximumRootSide = 32767;

QString xError(const char* what, const xcb_generic_error_t* error) {
    return QStringLiteral("抓屏：X 服务器拒绝了 ") + QLatin1String(what) + QStringLiteral("（错误 ") +
           QString::number(error ? error->error_code : 0) + QStringLiteral("）。");
}

QImage opaqueCopy(const uchar* pixels, qsizetype stride, const QRect& rect) {
    QImage image(rect.size(), QImage::Format_RGB32);
    if (image.isNull()) {
        throw PlatformError(QStringLiteral("抓屏：内存不足，放不下 ") + QString::number(rect.width()) +
                            QStringLiteral("x") + QString::number(rect.height()) +
                            QStringLiteral(" 的画面。"));
    }
    // X leaves the pad byte at 0; Qt's RGB32 wants it at 0xff.
    for (int row = 0; row < rect.height(); ++row) {
        const auto* from = reinterpret_cast<const quint32*>(pixels + (rect.y() + row) * stride) + rect.x();
        auto* to = reinterpret_cast<quint32*>(image.scanLine(row));
        for (int column = 0; column < rect.width(); ++column) {
            to[column] = from[column] | 0xff000000u;
        }
    }
    return image;
}

} // namespace

struct X11DisplayCapture::Segment {
    xcb_shm_seg_t id = 0;
    void* address = nullptr;
    size_t size = 0;

    ~Segment() {
        // The server lets go of the segment when the connection closes; the connection may already be
        // gone here, so only the local mapping is released.
        if (address) {
            shmdt(address);
        }
    }
};

X11DisplayCapture::X11DisplayCapture(std::shared_ptr<X11Connection> connection) : m_x(std::move(connection)) {
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(m_x->connection(), &xcb_shm_id);
    m_shmAvailable = shm && shm->present;
    checkPixelFormat();
}

X11DisplayCapture::~X11DisplayCapture() = default;

void X11DisplayCapture::checkPixelFormat() {
    const xcb_setup_t* setup = xcb_get_setup(m_x->connection());
    const xcb_screen_t* screen = nullptr;
    for (auto it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it)) {
        if (it.data->root == m_x->root()) {
            screen = it.data;
        }
    }
    if (!screen) {
        m_formatProblem = QStringLiteral("抓屏：找不到根窗口。");
        return;
    }
    int bitsPerPixel = 0;
    const xcb_format_t* formats = xcb_setup_pixmap_formats(setup);
    for (int i = 0; i < xcb_setup_pixmap_formats_length(setup); ++i) {
        if (formats[i].depth == screen->root_depth) {
            bitsPerPixel = formats[i].bits_per_pixel;
        }
    }
    const xcb_visualtype_t* visual = nullptr;
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen->root_visual) {
                visual = visuals.data;
            }
        }
    }
    const bool argbLayout = visual && visual->red_mask == 0xff0000 && visual->green_mask == 0xff00 &&
                            visual->blue_mask == 0xff && setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    if (bitsPerPixel != 32 || (screen->root_depth != 24 && screen->root_depth != 32) || !argbLayout) {
        m_formatProblem = QStringLiteral("抓屏：不支持的屏幕像素格式（深度 ") +
                          QString::number(screen->root_depth) + QStringLiteral("，每像素 ") +
                          QString::number(bitsPerPixel) + QStringLiteral(" 位）。");
    }
}

QList<CapturableDisplay> X11DisplayCapture::displays() {
    xcb_connection_t* c = m_x->connection();
    QList<CapturableDisplay> result;
    const xcb_query_extension_reply_t* randr = xcb_get_extension_data(c, &xcb_randr_id);
    if (randr && randr->present) {
        xcb_generic_error_t* error = nullptr;
        auto reply =
            xcbReply(xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, m_x->root(), 1), &error));
        std::free(error);
        if (reply) {
            QList<std::pair<QRect, xcb_get_atom_name_cookie_t>> pending;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                const xcb_randr_monitor_info_t* m = it.data;
                pending.append({QRect(m->x, m->y, m->width, m->height), xcb_get_atom_name(c, m->name)});
            }
            for (const auto& [rect, cookie] : pending) {
                auto name = xcbReply(xcb_get_atom_name_reply(c, cookie, nullptr));
                if (name && !rect.isEmpty()) {
                    result.append({QString::fromUtf8(xcb_get_atom_name_name(name.get()),
                                                     xcb_get_atom_name_name_length(name.get())),
                                   rect});
                }
            }
        }
    }
    if (result.isEmpty()) {
        // No monitors from RandR: the whole root is the one display Qt reports.
        xcb_generic_error_t* error = nullptr;
        auto geometry = xcbReply(xcb_get_geometry_reply(c, xcb_get_geometry(c, m_x->root()), &error));
        if (!geometry) {
            std::free(error);
            throw PlatformError(QStringLiteral("抓屏：读不到根窗口的大小。"));
        }
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() == 1) {
            result.append({screens.first()->name(), QRect(0, 0, geometry->width, geometry->height)});
        }
    }
    return result;
}

bool X11DisplayCapture::ensureSegment(size_t bytes) {
    if (m_segment && m_segment->size >= bytes) {
        return true;
    }
    m_segment.reset();
    xcb_connection_t* c = m_x->connection();
    const int shmId = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (shmId < 0) {
        return false;
    }
    void* address = shmat(shmId, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(shmId, IPC_RMID, nullptr);
        return false;
    }
    auto segment = std::make_unique<Segment>();
    segment->address = address;
    segment->size = bytes;
    segment->id = xcb_generate_id(c);
    xcb_generic_error_t* error = xcb_request_check(c, xcb_shm_attach_checked(c, segment->id, shmId, 0));
    // Marked for removal now: it disappears once both sides have detached, even after a crash.
    shmctl(shmId, IPC_RMID, nullptr);
    if (error) {
        std::free(error);
        return false;
    }
    m_segment = std::move(segment);
    return true;
}

const uchar* X11DisplayCapture::readRoot(const QRect& area, qsizetype& stride,
                                         std::unique_ptr<uchar, decltype(&std::free)>& owner) {
    xcb_connection_t* c = m_x->connection();
    const auto x = static_cast<int16_t>(area.x());
    const auto y = static_cast<int16_t>(area.y());
    const auto w = static_cast<uint16_t>(area.width());
    const auto h = static_cast<uint16_t>(area.height());
    stride = qsizetype(area.width()) * 4;
    const size_t bytes = size_t(stride) * size_t(area.height());
    if (m_shmAvailable && ensureSegment(bytes)) {
        xcb_generic_error_t* error = nullptr;
        auto reply = xcbReply(xcb_shm_get_image_reply(
            c,
            xcb_shm_get_image(c, m_x->root(), x, y, w, h, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment->id, 0),
            &error));
        if (!reply) {
            const QString message = xError("共享内存读屏", error);
            std::free(error);
            throw PlatformError(message);
        }
        return static_cast<const uchar*>(m_segment->address);
    }
    // Without MIT-SHM (a remote server) the pixels travel in the reply.
    m_shmAvailable = false;
    xcb_generic_error_t* error = nullptr;
    auto reply = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_x->root(), x, y, w, h, ~0u), &error);
    if (!reply) {
        const QString message = xError("读屏", error);
        std::free(error);
        throw PlatformError(message);
    }
    owner.reset(reinterpret_cast<uchar*>(reply));
    if (size_t(xcb_get_image_data_length(reply)) < bytes) {
        throw PlatformError(QStringLiteral("抓屏：X 服务器返回的画面不完整。"));
    }
    return xcb_get_image_data(reply);
}

QList<QImage> X11DisplayCapture::grab(const QList<DisplayGrabRequest>& requests) {
    if (requests.isEmpty()) {
        return {};
    }
    if (!m_formatProblem.isEmpty()) {
        throw PlatformError(m_formatProblem);
    }
    QRect area;
    for (const DisplayGrabRequest& request : requests) {
        area |= request.display.nativeGeometry;
    }
    checkArea(area);
    qsizetype stride = 0;
    std::unique_ptr<uchar, decltype(&std::free)> owner(nullptr, &std::free);
    const uchar* pixels = readRoot(area, stride, owner);

    QList<QImage> images;
    for (const DisplayGrabRequest& request : requests) {
        const QRect rect = request.display.nativeGeometry.translated(-area.topLeft());
        const QImage image = opaqueCopy(pixels, stride, rect);
        images.append(fitDisplayImage(image, request.pixelSize));
    }
    return images;
}

void X11DisplayCapture::checkArea(const QRect& area) const {
    if (area.isEmpty() || area.left() < 0 || area.top() < 0 || area.right() >= maximumRootSide ||
        area.bottom() >= maximumRootSide) {
        throw PlatformError(QStringLiteral("抓屏：屏幕区域不在根窗口里。"));
    }
}

QImage X11DisplayCapture::grabRegion(const QRect& nativePixels) {
    if (!m_formatProblem.isEmpty()) {
        throw PlatformError(m_formatProblem);
    }
    checkArea(nativePixels);
    qsizetype stride = 0;
    std::unique_ptr<uchar, decltype(&std::free)> owner(nullptr, &std::free);
    const uchar* pixels = readRoot(nativePixels, stride, owner);
    return opaqueCopy(pixels, stride, QRect(QPoint(0, 0), nativePixels.size()));
}
