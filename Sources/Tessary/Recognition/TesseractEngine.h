#pragma once

#include "Recognition/RecognitionEngine.h"
#include "TessaryCore/ColumnGaps.h"
#include "TessaryCore/RecognizedLine.h"

#include <QRect>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QImage;

class LineReader;

// Loaded Tesseract models (LSTM) for a fixed set of languages. Loading costs about half a second
// for three languages, so a process keeps one engine. It reads the lines of an image on up to
// `threads` threads, each with a set of models of its own (about 85 MB each). Not thread-safe: one
// call at a time.
class TesseractEngine : public RecognitionEngine {
public:
    // Loads the supported subset of the desired languages found in `dataPath`. Throws
    // TextRecognitionError when there is no data or the engine refuses it.
    explicit TesseractEngine(const QString& dataPath, int threads = defaultThreads());
    ~TesseractEngine() override;
    TesseractEngine(const TesseractEngine&) = delete;
    TesseractEngine& operator=(const TesseractEngine&) = delete;

    // Two where the machine has two cores or more: lines are read in parallel.
    static int defaultThreads();

    // Tesseract's parallel loops ask for fixed team sizes; on two cores those teams make
    // recognition four to five times slower. Runs the engine's parallel regions on the calling
    // thread alone. Every thread that recognises calls it once.
    static void confineOpenMpToThisThread();
    // The languages whose data `dataPath` holds (file names without ".traineddata"; the script
    // detector "osd" is no language), or nothing when the directory cannot be read.
    static std::optional<std::vector<std::string>> installedLanguages(const QString& dataPath);

    const std::vector<std::string>& languages() const override { return m_languages; }

    // The text lines of `image` in the engine's order, non-text blocks skipped, lines cut at
    // column gaps, spaces between CJK characters removed, boxes normalised with the origin at the
    // bottom left (y up). Setting `cancel` stops the work early. Throws TextRecognitionError.
    std::vector<tessary::RecognizedLine> recognizeLines(const QImage& image,
                                                        const std::atomic<bool>* cancel) override;

    // The paragraphs of the text blocks, each line read as recognizeLines reads it.
    std::vector<tessary::DocumentContainer> recognizeLayout(const QImage& image,
                                                            const std::atomic<bool>* cancel) override;

    // Tesseract addresses pixels with 16-bit coordinates.
    static constexpr int maximumSide = 32767;

private:
    // The words of each line box of `grey`, read on all threads; boxes in image pixels, y up.
    std::vector<std::vector<tessary::ColumnGaps::Word>>
    readLines(const QImage& grey, const std::vector<QRect>& boxes, const std::atomic<bool>* cancel);
    static void checkSize(const QImage& image);

    std::vector<std::unique_ptr<LineReader>> m_readers;
    std::vector<std::string> m_languages;
};
