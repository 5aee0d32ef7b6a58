#pragma once

#include "TessaryCore/RecognizedLine.h"

#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QImage;

namespace tesseract {
class TessBaseAPI;
}

// One loaded Tesseract engine (LSTM) for a fixed set of languages. Loading costs about half a second
// for three languages, so a process keeps one. Not thread-safe: one thread at a time.
class TesseractEngine {
public:
    // Loads the supported subset of the desired languages found in `dataPath`. Throws
    // TextRecognitionError when there is no data or the engine refuses it.
    explicit TesseractEngine(const QString& dataPath);
    ~TesseractEngine();
    TesseractEngine(const TesseractEngine&) = delete;
    TesseractEngine& operator=(const TesseractEngine&) = delete;

    // TESSDATA_PREFIX when set (the directory holding the .traineddata files), else Debian's.
    static QString defaultDataPath();
    // The languages whose data `dataPath` holds (file names without ".traineddata"; the script
    // detector "osd" is no language), or nothing when the directory cannot be read.
    static std::optional<std::vector<std::string>> installedLanguages(const QString& dataPath);

    const std::vector<std::string>& languages() const { return m_languages; }

    // The text lines of `image` in the engine's order, non-text blocks skipped, lines cut at
    // column gaps, spaces between CJK characters removed, boxes normalised with the origin at the
    // bottom left (y up). Setting `cancel` stops the work early. Throws TextRecognitionError.
    std::vector<tessary::RecognizedLine> recognizeLines(const QImage& image, const std::atomic<bool>* cancel);

    // Tesseract addresses pixels with 16-bit coordinates.
    static constexpr int maximumSide = 32767;

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    std::vector<std::string> m_languages;
};
