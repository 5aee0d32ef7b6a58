#pragma once

#include "TessaryCore/Geometry.h"

#include <QImage>
#include <QStringList>

#include <optional>

// What a finishing action receives from the canvas, taken when the user picks the action.
struct CaptureOutput {
    // The frozen pixels under the selection; null without a selection.
    QImage cropped;
    // The crop with the canvas's layers drawn over it; only for actions that hand out the picture
    // (confirm, save, pin), null otherwise.
    QImage rendered;
    // The selection in global points (y up).
    std::optional<tessary::Rect> globalSelection;
    // Device pixels per point of the display the selection is on.
    double scale = 1;
    // QR payloads found in the selection.
    QStringList qrPayloads;
};
