#pragma once

#include "TessaryCore/QRCodeObservation.h"

#include <QFuture>
#include <QImage>
#include <QStringList>

#include <vector>

// QR codes in an image, turned into an ordered list of distinct text payloads.
namespace QRCodeRecognizer {

// Every QR code ZXing finds, boxes normalised with the origin at the image's lower-left corner.
// A code that carries bytes rather than text has no payload.
std::vector<tessary::QRCodeObservation> observations(const QImage& image);

// Reading order, no repeats, text payloads only.
QStringList payloads(std::vector<tessary::QRCodeObservation> observations);

// Runs on the one shared worker thread, one image at a time, in the order asked. Cancelling the
// future skips a request that has not started and drops the result of one that has. A detection
// failure fails the future with the error.
QFuture<QStringList> recognize(QImage image);

} // namespace QRCodeRecognizer
