#include "Output/PngEncoder.h"

#include "Foundation/HugePages.h"

#include <QImage>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr int kLevel = 1;
// Run-length matching only: on a 4K desktop half photo, half text it is twice as fast as
// level 1's hash matching for 1% more bytes (text alone grows by about a third, but text
// compresses tenfold either way, and photo-like content sets the worst-case time).
constexpr int kStrategy = Z_RLE;
constexpr qsizetype kIdatPayload = 256 * 1024;
// Rows are filtered into a buffer of about this size before deflate sees them: big enough
// to keep per-call overhead low, small enough to stay in cache.
constexpr qsizetype kBatchBytes = 64 * 1024;
constexpr qsizetype kChunkOverhead = 12; // length, type, CRC

void putBigEndian(unsigned char* at, quint32 value) {
    at[0] = static_cast<unsigned char>(value >> 24);
    at[1] = static_cast<unsigned char>(value >> 16);
    at[2] = static_cast<unsigned char>(value >> 8);
    at[3] = static_cast<unsigned char>(value);
}

// Formats read straight from the image; anything else goes through Qt's conversion a few
// rows at a time.
enum class Layout { Xrgb, Argb, ArgbPremultiplied, Rgba, Rgb, Other };

Layout layoutOf(QImage::Format format) {
    switch (format) {
    case QImage::Format_RGB32:
        return Layout::Xrgb;
    case QImage::Format_ARGB32:
        return Layout::Argb;
    case QImage::Format_ARGB32_Premultiplied:
        return Layout::ArgbPremultiplied;
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBX8888:
        return Layout::Rgba;
    case QImage::Format_RGB888:
        return Layout::Rgb;
    default:
        return Layout::Other;
    }
}

// An alpha channel every pixel leaves opaque (painted screenshots are premultiplied ARGB)
// is dropped: a quarter less to compress, and the same picture.
bool needsAlpha(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return false;
    }
    const Layout layout = layoutOf(image.format());
    if (layout != Layout::Argb && layout != Layout::ArgbPremultiplied && layout != Layout::Rgba) {
        return true;
    }
    // Byte 3 of RGBA8888 and the top byte of a little-endian QRgb are both alpha.
    const quint32 alphaMask = layout == Layout::Rgba ? qToLittleEndian(0xFF000000u) : 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixels = reinterpret_cast<const quint32*>(image.constScanLine(y));
        quint32 all = alphaMask;
        for (int x = 0; x < image.width(); ++x) {
            all &= pixels[x];
        }
        if (all != alphaMask) {
            return true;
        }
    }
    return false;
}

// Produces Sub-filtered PNG rows (filter byte first) from a band of image rows.
class RowFilter {
public:
    RowFilter(const QImage& image, bool withAlpha)
        : m_image(image), m_layout(layoutOf(image.format())), m_channels(withAlpha ? 4 : 3),
          m_rowBytes(1 + static_cast<qsizetype>(image.width()) * m_channels) {
        // Qt's unpremultiplication rounds differently from qUnpremultiply(); its conversion
        // keeps the colours identical to every other export of the image.
        if (m_layout == Layout::ArgbPremultiplied && withAlpha) {
            m_layout = Layout::Other;
        }
        if (m_layout == Layout::Other) {
            m_target = withAlpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888;
        }
    }

    qsizetype rowBytes() const { return m_rowBytes; }

    // Writes rows [first, last) into out, which holds (last - first) * rowBytes().
    void filter(int first, int last, unsigned char* out) {
        if (m_layout == Layout::Other) {
            // Qt's conversion handles palettes, grey and high bit depths exactly as a whole
            // image conversion would.
            const QImage band = QImage(m_image.constScanLine(first), m_image.width(), last - first,
                                       m_image.bytesPerLine(), m_image.format())
                                    .convertToFormat(m_target);
            for (int y = 0; y < last - first; ++y) {
                filterBytes(band.constScanLine(y), out + y * m_rowBytes);
            }
            return;
        }
        for (int y = first; y < last; ++y) {
            filterRow(m_image.constScanLine(y), out + static_cast<qsizetype>(y - first) * m_rowBytes);
        }
    }

private:
    // Source already in PNG byte order with the output's channel count.
    void filterBytes(const uchar* source, unsigned char* out) const {
        out[0] = 1;
        unsigned char* dst = out + 1;
        const qsizetype n = m_rowBytes - 1;
        for (qsizetype i = 0; i < m_channels; ++i) {
            dst[i] = source[i];
        }
        for (qsizetype i = m_channels; i < n; ++i) {
            dst[i] = static_cast<unsigned char>(source[i] - source[i - m_channels]);
        }
    }

    void filterRow(const uchar* source, unsigned char* out) const {
        const int width = m_image.width();
        out[0] = 1;
        unsigned char* dst = out + 1;
        std::array<unsigned char, 4> previous{};
        auto put = [&](unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
            dst[0] = static_cast<unsigned char>(r - previous[0]);
            dst[1] = static_cast<unsigned char>(g - previous[1]);
            dst[2] = static_cast<unsigned char>(b - previous[2]);
            if (m_channels == 4) {
                dst[3] = static_cast<unsigned char>(a - previous[3]);
            }
            previous = {r, g, b, a};
        };
        switch (m_layout) {
        case Layout::Xrgb:
        case Layout::Argb:
        case Layout::ArgbPremultiplied: {
            const auto* pixels = reinterpret_cast<const QRgb*>(source);
            // Premultiplied images reach here only when opaque.
            for (int x = 0; x < width; ++x, dst += m_channels) {
                const QRgb p = pixels[x];
                const auto a = static_cast<unsigned char>(qAlpha(p));
                dst[0] = static_cast<unsigned char>(qRed(p) - previous[0]);
                dst[1] = static_cast<unsigned char>(qGreen(p) - previous[1]);
                dst[2] = static_cast<unsigned char>(qBlue(p) - previous[2]);
                if (m_channels == 4) {
                    dst[3] = static_cast<unsigned char>(a - previous[3]);
                }
                previous = {static_cast<unsigned char>(qRed(p)), static_cast<unsigned char>(qGreen(p)),
                            static_cast<unsigned char>(qBlue(p)), a};
            }
            break;
        }
        case Layout::Rgba:
            for (int x = 0; x < width; ++x, dst += m_channels, source += 4) {
                put(source[0], source[1], source[2], source[3]);
            }
            break;
        case Layout::Rgb:
            for (int x = 0; x < width; ++x, dst += m_channels, source += 3) {
                put(source[0], source[1], source[2], 255);
            }
            break;
        case Layout::Other:
            break;
        }
    }

    const QImage& m_image;
    Layout m_layout;
    qsizetype m_channels;
    qsizetype m_rowBytes;
    QImage::Format m_target = QImage::Format_Invalid;
};

// Deflate output framed straight into IDAT chunks of a buffer sized for the worst case, so
// the compressed bytes are written once and never moved. With a sink, each finished chunk is
// handed on instead and the buffer only needs room for one chunk.
class IdatWriter {
public:
    IdatWriter(unsigned char* buffer, qsizetype capacity, const PngEncoder::Sink* sink = nullptr)
        : m_begin(buffer), m_end(buffer), m_limit(buffer + capacity), m_sink(sink) {}

    // Room for the next deflate output; opens a chunk when none is open. No room once the
    // capacity is spent (the caller fails rather than write past it).
    std::pair<unsigned char*, uInt> room() {
        if (m_failed) {
            return {m_end, 0};
        }
        if (!m_chunk) {
            if (m_limit - m_end < kChunkOverhead + 1) {
                return {m_end, 0};
            }
            m_chunk = m_end;
            m_end += 8;
        }
        const qsizetype used = m_end - (m_chunk + 8);
        const qsizetype left = std::min<qsizetype>(kIdatPayload - used, m_limit - 4 - m_end);
        return {m_end, static_cast<uInt>(std::max<qsizetype>(0, left))};
    }

    void advanceTo(unsigned char* end) {
        m_end = end;
        if (m_end - (m_chunk + 8) == kIdatPayload) {
            close();
        }
    }

    void close() {
        if (!m_chunk) {
            return;
        }
        const auto length = static_cast<quint32>(m_end - (m_chunk + 8));
        putBigEndian(m_chunk, length);
        std::memcpy(m_chunk + 4, "IDAT", 4);
        putBigEndian(m_end, static_cast<quint32>(crc32(0, m_chunk + 4, length + 4)));
        m_end += 4;
        m_chunk = nullptr;
        if (m_sink) {
            m_failed = !(*m_sink)(reinterpret_cast<const char*>(m_begin), size());
            m_end = m_begin;
        }
    }

    // One chunk of room: what a writer with a sink needs.
    static constexpr qsizetype chunkCapacity = kIdatPayload + kChunkOverhead;

    qsizetype size() const { return m_end - m_begin; }
    // The sink refused a chunk.
    bool failed() const { return m_failed; }

    // Worst case for `payload` compressed bytes, framing included.
    static qsizetype bound(qsizetype payload) {
        return payload + (payload / kIdatPayload + 2) * kChunkOverhead;
    }

private:
    unsigned char* m_begin;
    unsigned char* m_end;
    unsigned char* m_limit;
    unsigned char* m_chunk = nullptr;
    const PngEncoder::Sink* m_sink;
    bool m_failed = false;
};

struct Part {
    int firstRow = 0;
    int lastRow = 0;
    bool zlibHeader = true; // else a raw deflate stream
    bool last = true;       // ends the stream, else ends on a byte boundary for the next part
    uLong adler = 1;
    bool ok = false;
};

qsizetype partBound(const RowFilter& filter, const Part& part) {
    const qsizetype raw = static_cast<qsizetype>(part.lastRow - part.firstRow) * filter.rowBytes();
    z_stream probe{};
    if (deflateInit2(&probe, kLevel, Z_DEFLATED, part.zlibHeader ? 15 : -15, 8, kStrategy) != Z_OK) {
        return -1;
    }
    const auto bound = static_cast<qsizetype>(deflateBound(&probe, static_cast<uLong>(raw)));
    deflateEnd(&probe);
    return IdatWriter::bound(bound + 16);
}

void compressPart(const QImage& image, bool withAlpha, Part* part, IdatWriter* writer) {
    RowFilter filter(image, withAlpha);
    z_stream stream{};
    if (deflateInit2(&stream, kLevel, Z_DEFLATED, part->zlibHeader ? 15 : -15, 8, kStrategy) != Z_OK) {
        return;
    }
    const int batchRows = static_cast<int>(std::max<qsizetype>(1, kBatchBytes / filter.rowBytes()));
    std::vector<unsigned char> rows(static_cast<size_t>(batchRows * filter.rowBytes()));
    uLong adler = adler32(0, nullptr, 0);
    bool ok = true;
    for (int y = part->firstRow; ok && y < part->lastRow; y += batchRows) {
        const int end = std::min(y + batchRows, part->lastRow);
        filter.filter(y, end, rows.data());
        const auto length = static_cast<uInt>((end - y) * filter.rowBytes());
        if (!part->zlibHeader) {
            adler = adler32(adler, rows.data(), length); // deflate keeps it only for zlib streams
        }
        stream.next_in = rows.data();
        stream.avail_in = length;
        const bool finalBatch = end == part->lastRow;
        const int flush = !finalBatch ? Z_NO_FLUSH : part->last ? Z_FINISH : Z_FULL_FLUSH;
        for (;;) {
            auto [out, room] = writer->room();
            if (room == 0) {
                ok = false;
                break;
            }
            stream.next_out = out;
            stream.avail_out = room;
            const int status = deflate(&stream, flush);
            writer->advanceTo(stream.next_out);
            if (status == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            if (status == Z_STREAM_END || (stream.avail_in == 0 && stream.avail_out != 0)) {
                break;
            }
        }
    }
    if (part->zlibHeader) {
        adler = stream.adler;
    }
    deflateEnd(&stream);
    writer->close();
    part->adler = adler;
    part->ok = ok && !writer->failed();
}

void appendChunk(QByteArray* out, const char* type, const unsigned char* data, quint32 length) {
    unsigned char header[8];
    putBigEndian(header, length);
    std::memcpy(header + 4, type, 4);
    out->append(reinterpret_cast<const char*>(header), 8);
    uLong crc = crc32(0, header + 4, 4);
    if (length > 0) {
        out->append(reinterpret_cast<const char*>(data), length);
        crc = crc32(crc, data, length);
    }
    unsigned char trailer[4];
    putBigEndian(trailer, static_cast<quint32>(crc));
    out->append(reinterpret_cast<const char*>(trailer), 4);
}

// Signature, IHDR and pHYs.
QByteArray header(const QImage& image, bool withAlpha) {
    QByteArray out;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    out.append(reinterpret_cast<const char*>(signature), 8);
    unsigned char ihdr[13];
    putBigEndian(ihdr, static_cast<quint32>(image.width()));
    putBigEndian(ihdr + 4, static_cast<quint32>(image.height()));
    ihdr[8] = 8;                 // bit depth
    ihdr[9] = withAlpha ? 6 : 2; // RGBA : RGB
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    appendChunk(&out, "IHDR", ihdr, sizeof ihdr);
    // 72 dpi = 2835 pixels per metre, so the image pastes at one point per pixel.
    unsigned char phys[9];
    putBigEndian(phys, 2835);
    putBigEndian(phys + 4, 2835);
    phys[8] = 1;
    appendChunk(&out, "pHYs", phys, sizeof phys);
    return out;
}

// The first half of the rows and a zlib header, or all rows when the image is small.
std::vector<Part> splitRows(const RowFilter& filter, int height) {
    const qsizetype rawBytes = static_cast<qsizetype>(height) * filter.rowBytes();
    if (rawBytes >= PngEncoder::kParallelThresholdBytes && height >= 2 &&
        std::thread::hardware_concurrency() > 1) {
        return {{0, height / 2, true, false}, {height / 2, height, false, true}};
    }
    return {{0, height, true, true}};
}

// The compressed second half of a stream split in two, kept in memory until the first is out.
struct SecondHalf {
    std::unique_ptr<unsigned char[]> bytes;
    qsizetype size = 0;
};

// Compresses every part: the first into `first` on this thread, the second (when the rows were
// split) into a buffer of `secondBound` bytes on a thread of its own. False when the buffer
// cannot be had; the parts' own flags tell whether compression succeeded.
bool compressParts(const QImage& image, bool withAlpha, std::vector<Part>& parts, IdatWriter& first,
                   qsizetype secondBound, SecondHalf* second) {
    if (parts.size() == 1) {
        compressPart(image, withAlpha, &parts[0], &first);
        return true;
    }
    second->bytes.reset(new (std::nothrow) unsigned char[secondBound]);
    if (!second->bytes) {
        return false;
    }
    HugePages::advise(second->bytes.get(), secondBound);
    IdatWriter secondWriter(second->bytes.get(), secondBound);
    const auto compressSecond = [&] { compressPart(image, withAlpha, &parts[1], &secondWriter); };
    std::thread thread;
    try {
        thread = std::thread(compressSecond);
    } catch (const std::system_error&) {
        // No thread to be had: the same stream, one half after the other.
    }
    compressPart(image, withAlpha, &parts[0], &first);
    if (thread.joinable()) {
        thread.join();
    } else {
        compressSecond();
    }
    second->size = secondWriter.size();
    return true;
}

// The IDAT chunk that closes a stream split in two: the Adler-32 of all filtered data.
void appendJoinedAdler(QByteArray* out, const RowFilter& filter, const std::vector<Part>& parts) {
    const qsizetype secondRawBytes =
        static_cast<qsizetype>(parts[1].lastRow - parts[1].firstRow) * filter.rowBytes();
    unsigned char adler[4];
    putBigEndian(adler, static_cast<quint32>(adler32_combine(parts[0].adler, parts[1].adler,
                                                             static_cast<z_off_t>(secondRawBytes))));
    appendChunk(out, "IDAT", adler, 4);
}

bool allOk(const std::vector<Part>& parts) {
    return std::all_of(parts.begin(), parts.end(), [](const Part& part) { return part.ok; });
}

} // namespace

namespace PngEncoder {

QByteArray encode(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    const bool withAlpha = needsAlpha(image);
    const RowFilter filter(image, withAlpha);
    std::vector<Part> parts = splitRows(filter, image.height());
    const qsizetype firstBound = partBound(filter, parts[0]);
    const qsizetype secondBound = parts.size() > 1 ? partBound(filter, parts[1]) : 0;
    if (firstBound < 0 || secondBound < 0) {
        return {};
    }
    QByteArray out = header(image, withAlpha);
    // Capacity for the worst case; pages never written cost nothing.
    const qsizetype tailBytes = 16 + 12;
    out.reserve(out.size() + firstBound + secondBound + tailBytes);
    const qsizetype start = out.size();
    out.resize(start + firstBound); // uninitialised: written only as far as the data reaches
    auto* base = reinterpret_cast<unsigned char*>(out.data());
    HugePages::advise(base, out.size());
    IdatWriter firstWriter(base + start, firstBound);
    SecondHalf second;
    if (!compressParts(image, withAlpha, parts, firstWriter, secondBound, &second) || !allOk(parts)) {
        return {};
    }
    out.resize(start + firstWriter.size());
    if (parts.size() > 1) {
        out.append(reinterpret_cast<const char*>(second.bytes.get()), second.size);
        appendJoinedAdler(&out, filter, parts);
    }
    appendChunk(&out, "IEND", nullptr, 0);
    return out;
}

bool encodeTo(const QImage& image, const Sink& sink) {
    if (image.isNull()) {
        return false;
    }
    const bool withAlpha = needsAlpha(image);
    const RowFilter filter(image, withAlpha);
    std::vector<Part> parts = splitRows(filter, image.height());
    const qsizetype secondBound = parts.size() > 1 ? partBound(filter, parts[1]) : 0;
    if (secondBound < 0) {
        return false;
    }
    const QByteArray head = header(image, withAlpha);
    if (!sink(head.constData(), head.size())) {
        return false;
    }
    // The first part goes out chunk by chunk while it is compressed, so writing overlaps the
    // compression of the second, which waits in memory until the first is out.
    std::vector<unsigned char> chunk(static_cast<size_t>(IdatWriter::chunkCapacity));
    IdatWriter firstWriter(chunk.data(), IdatWriter::chunkCapacity, &sink);
    SecondHalf second;
    if (!compressParts(image, withAlpha, parts, firstWriter, secondBound, &second) || !allOk(parts)) {
        return false;
    }
    QByteArray tail;
    if (parts.size() > 1) {
        if (!sink(reinterpret_cast<const char*>(second.bytes.get()), second.size)) {
            return false;
        }
        appendJoinedAdler(&tail, filter, parts);
    }
    appendChunk(&tail, "IEND", nullptr, 0);
    return sink(tail.constData(), tail.size());
}

} // namespace PngEncoder
