#include "Overlay/QR/QRCodeRecognizer.h"

#include "TessaryCore/QRCodePayloads.h"

#include <QCoreApplication>
#include <QPromise>
#include <QSysInfo>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <stdexcept>

namespace QRCodeRecognizer {

namespace {

QThreadPool* worker() {
    // Parented to the application so its thread is joined before Qt shuts down.
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool(QCoreApplication::instance());
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(-1);
        p->setObjectName(QStringLiteral("QRCodeRecognizer"));
        return p;
    }();
    return pool;
}

// Qt's 32-bit formats hold 0xAARRGGBB words; their byte order in memory follows the CPU's.
ZXing::ImageFormat xrgbFormat() {
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? ZXing::ImageFormat::BGRX
                                                         : ZXing::ImageFormat::XRGB;
}

} // namespace

std::vector<tessary::QRCodeObservation> observations(const QImage& image) {
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) {
        return {};
    }
    // Screen captures arrive as 32-bit pixels; ZXing reads those directly, which saves a grey copy.
    QImage pixels = image;
    ZXing::ImageFormat format = ZXing::ImageFormat::Lum;
    switch (image.format()) {
    case QImage::Format_Grayscale8:
        break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        format = xrgbFormat();
        break;
    default:
        pixels = image.convertToFormat(QImage::Format_RGB32);
        format = xrgbFormat();
        break;
    }
    const ZXing::ImageView view(pixels.constBits(), pixels.width(), pixels.height(), format,
                                static_cast<int>(pixels.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);

    std::vector<tessary::QRCodeObservation> found;
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid()) {
            continue;
        }
        tessary::QRCodeObservation observation;
        observation.isQRCode = result.format() == ZXing::BarcodeFormat::QRCode;
        // Bytes are not text: showing or pasting them as Latin-1 would only produce garbage.
        if (result.contentType() != ZXing::ContentType::Binary) {
            observation.payload = result.text();
        }
        const auto& position = result.position();
        int minX = position[0].x, maxX = position[0].x, minY = position[0].y, maxY = position[0].y;
        for (const auto& corner : position) {
            minX = std::min(minX, corner.x);
            maxX = std::max(maxX, corner.x);
            minY = std::min(minY, corner.y);
            maxY = std::max(maxY, corner.y);
        }
        observation.boundingBox =
            tessary::QRCodePayloads::normalizedBox(minX, minY, maxX, maxY, pixels.width(), pixels.height());
        found.push_back(std::move(observation));
    }
    return found;
}

QStringList payloads(std::vector<tessary::QRCodeObservation> observations) {
    QStringList list;
    for (const std::string& payload : tessary::QRCodePayloads::payloads(std::move(observations))) {
        list << QString::fromStdString(payload);
    }
    return list;
}

QFuture<QStringList> recognize(QImage image) {
    return QtConcurrent::run(worker(), [image = std::move(image)](QPromise<QStringList>& promise) {
        if (promise.isCanceled()) {
            return;
        }
        try {
            QStringList result = payloads(observations(image));
            if (!promise.isCanceled()) {
                promise.addResult(std::move(result));
            }
        } catch (const std::exception& error) {
            promise.setException(std::make_exception_ptr(std::runtime_error(error.what())));
        }
    });
}

} // namespace QRCodeRecognizer
