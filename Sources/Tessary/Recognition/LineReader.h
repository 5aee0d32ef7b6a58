#pragma once

#include "TessaryCore/ColumnGaps.h"
#include "TessaryCore/LanguageCascade.h"
#include "TessaryCore/TextBlockAlignment.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

// One Tesseract model per language, reading one text line at a time with the model the line's
// script calls for (see tessary::LanguageCascade). A model loaded with several languages runs all
// of them on every line; separate models cost the same memory and run one or two. Not
// thread-safe: one thread at a time.
class LineReader {
public:
    // Loads `languages` (present in `dataPath`). Throws TextRecognitionError naming the languages
    // whose data the engine refuses.
    LineReader(const QString& dataPath, const std::vector<std::string>& languages);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    struct Layout {
        std::vector<QRect> lines;  // text lines, in the engine's order
        std::vector<QRect> others; // blocks that are not text (pictures, rules, stray glyphs)
    };
    // The page layout of `grey` (8-bit, dark on light): pixel boxes, rows top-down.
    Layout findLayout(const QImage& grey);

    struct Paragraph {
        QRect box;
        std::vector<QRect> lines;
        // Per line: the baseline's row at the line's middle, or nothing when the engine had none.
        std::vector<std::optional<double>> baselines;
        // Nothing when the engine could not tell (a single line, usually).
        std::optional<tessary::TextBlockAlignment> alignment;
    };
    struct Block {
        bool isTable = false;
        std::vector<Paragraph> paragraphs;
    };
    // The text blocks of `grey` (8-bit, dark on light) with their paragraphs and lines, in the
    // engine's order; pixel boxes, rows top-down. Blocks that are not text are left out.
    std::vector<Block> findStructure(const QImage& grey);

    // The words of the one line in `line` (8-bit grey, dark on light), boxes in its pixels.
    // Starts with the model that read the previous line; restart() forgets it. Setting `cancel`
    // stops early with what was read so far.
    std::vector<tessary::ColumnGaps::Word> read(const QImage& line, const std::atomic<bool>* cancel);
    void restart() { m_cascade.restart(); }

private:
    struct Result {
        tessary::LanguageCascade::Reading reading;
        std::vector<tessary::ColumnGaps::Word> words;
    };
    Result readWith(std::size_t model, const QImage& line, const std::atomic<bool>* cancel);

    std::vector<std::unique_ptr<tesseract::TessBaseAPI>> m_models;
    tessary::LanguageCascade m_cascade;
};
