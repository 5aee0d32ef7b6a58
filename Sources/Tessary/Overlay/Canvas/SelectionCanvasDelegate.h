#pragma once

#include "Overlay/Canvas/CaptureOutput.h"
#include "Overlay/Bars/ToolKind.h"

class SelectionCanvasView;

// What a selection canvas tells the capture session. The canvas holds its delegate weakly:
// the implementing class must also derive from QObject.
class SelectionCanvasDelegate {
public:
    virtual ~SelectionCanvasDelegate() = default;

    // A press started a new selection on `canvas`.
    virtual void selectionCanvasDidBeginSelection(SelectionCanvasView* canvas) = 0;
    // A toolbar action the session carries out (translate, ocr, qrCode, scrollingCapture, save, pin,
    // cancel, confirm), with what the canvas holds for it.
    virtual void selectionCanvasDidInvoke(SelectionCanvasView* canvas, ToolKind tool,
                                          const CaptureOutput& output) = 0;
    // Return or Enter with a selection.
    virtual void confirm(const CaptureOutput& output) = 0;
    // Escape: end the session without output.
    virtual void finish() = 0;
};
