#pragma once

#include "TessaryCore/DocumentLayout.h"
#include "TessaryCore/RecognizedLine.h"

#include <QString>

#include <atomic>
#include <string>
#include <vector>

class QImage;

// A loaded text recognition engine, as the recognition worker sees it. The engine and the
// libraries it needs live in a module that is opened on first use (see RecognitionEngineLoader),
// so that an idle process does not carry them. Everything here is defined in this header: the
// module and the app each get their own copy and share no symbols but the factory.
class RecognitionEngine {
public:
    virtual ~RecognitionEngine() = default;

    // The languages the engine loaded (file names without ".traineddata").
    virtual const std::vector<std::string>& languages() const = 0;

    // The text lines of `image` in the engine's order, boxes normalised with the origin at the
    // bottom left (y up). Setting `cancel` stops the work early. Throws TextRecognitionError.
    virtual std::vector<tessary::RecognizedLine> recognizeLines(const QImage& image,
                                                                const std::atomic<bool>* cancel) = 0;

    // The paragraphs of `image` as a document tree: one page container holding the text blocks'
    // paragraphs, and a table for every table block (one row per paragraph). Boxes in image
    // pixels, top-left origin. Setting `cancel` stops the work early. Throws TextRecognitionError.
    virtual std::vector<tessary::DocumentContainer> recognizeLayout(const QImage& image,
                                                                    const std::atomic<bool>* cancel) = 0;

    // TESSDATA_PREFIX when set (the directory holding the .traineddata files), else Debian's.
    static QString defaultDataPath() {
        const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
        return prefix.isEmpty() ? QStringLiteral("/usr/share/tesseract-ocr/5/tessdata") : prefix;
    }
};

// The one symbol the module exports: a new engine reading `dataPath`, made on the calling thread,
// which becomes the thread the engine recognises on (its parallel loops are confined to it).
// Throws TextRecognitionError. The version in the name keeps a stale module from being used.
using RecognitionEngineFactory = RecognitionEngine* (*)(const QString& dataPath);
inline constexpr char recognitionEngineFactorySymbol[] = "tessary_create_recognition_engine_v2";
