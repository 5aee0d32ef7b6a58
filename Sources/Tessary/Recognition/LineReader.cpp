#include "Recognition/LineReader.h"

#include "Recognition/TextRecognitionError.h"
#include "TessaryCore/RecognitionLanguages.h"

#include <QDir>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>

namespace {

bool cancelRequested(void* flag, int) {
    return static_cast<const std::atomic<bool>*>(flag)->load();
}

bool holds(const QString& text, std::initializer_list<QChar::Script> scripts) {
    const QList<uint> codePoints = text.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(), [&](uint c) {
        const QChar::Script script = QChar::script(char32_t(c));
        return std::find(scripts.begin(), scripts.end(), script) != scripts.end();
    });
}

// The first language leads the layout analysis, as it would in a model of all of them: its settings
// (CJK glyphs are made of many strokes) shape what counts as text. `visit` gets the iterator of a
// page that has any block; the model is left reading single lines again.
template <typename Visit> void analyseLayout(tesseract::TessBaseAPI& api, const QImage& grey, Visit&& visit) {
    api.SetPageSegMode(tesseract::PSM_AUTO);
    api.SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    api.SetSourceResolution(96);
    {
        const std::unique_ptr<tesseract::PageIterator> it(api.AnalyseLayout());
        if (it && !it->Empty(tesseract::RIL_BLOCK)) {
            visit(*it);
        }
    }
    api.Clear();
    api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
}

} // namespace

LineReader::LineReader(const QString& dataPath, const std::vector<std::string>& languages)
    : m_cascade(languages) {
    const QByteArray path = QDir(dataPath).absolutePath().toLocal8Bit();
    QStringList refused;
    QStringList packages;
    for (const std::string& language : languages) {
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        // The engine prints diagnostics (loading errors included) to stderr unless told otherwise.
        api->SetVariable("debug_file", "/dev/null");
        if (api->Init(path.constData(), language.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
            refused << QString::fromStdString(language);
            packages << QString::fromStdString(tessary::RecognitionLanguages::packageName(language));
            continue;
        }
        // A line the model reads badly is read again inverted, for light text on dark. That doubles
        // the cost of every line in a script the model does not know; polarity is settled before.
        api->SetVariable("tessedit_do_invert", "0");
        api->SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        m_models.push_back(std::move(api));
    }
    if (!refused.isEmpty()) {
        throw TextRecognitionError::languageDataUnreadable(refused, packages);
    }
}

LineReader::~LineReader() {
    for (const auto& api : m_models) {
        api->End();
    }
}

LineReader::Layout LineReader::findLayout(const QImage& grey) {
    Layout layout;
    if (m_models.empty()) {
        return layout;
    }
    analyseLayout(*m_models.front(), grey, [&layout](tesseract::PageIterator& it) {
        do {
            int left = 0, top = 0, right = 0, bottom = 0;
            if (!it.BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
                continue;
            }
            const QRect box(QPoint(left, top), QPoint(right - 1, bottom - 1));
            // Tesseract can take CJK strokes for rules or pictures; they are not lines of text.
            (PTIsTextType(it.BlockType()) ? layout.lines : layout.others).push_back(box);
        } while (it.Next(tesseract::RIL_TEXTLINE));
    });
    return layout;
}

std::vector<LineReader::Block> LineReader::findStructure(const QImage& grey) {
    std::vector<Block> blocks;
    if (m_models.empty()) {
        return blocks;
    }
    analyseLayout(*m_models.front(), grey, [&blocks](tesseract::PageIterator& it) {
        bool skipping = false;
        do {
            if (it.IsAtBeginningOf(tesseract::RIL_BLOCK)) {
                // CJK strokes can pass for rules or pictures: only text blocks hold paragraphs.
                skipping = !PTIsTextType(it.BlockType());
                if (!skipping) {
                    blocks.push_back({it.BlockType() == tesseract::PT_TABLE, {}});
                }
            }
            if (skipping) {
                continue;
            }
            int left = 0, top = 0, right = 0, bottom = 0;
            if (it.IsAtBeginningOf(tesseract::RIL_PARA) || blocks.back().paragraphs.empty()) {
                Paragraph paragraph;
                if (it.BoundingBox(tesseract::RIL_PARA, &left, &top, &right, &bottom)) {
                    paragraph.box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
                }
                tesseract::ParagraphJustification justification = tesseract::JUSTIFICATION_UNKNOWN;
                bool isListItem = false;
                bool isCrown = false;
                // Left unset for single lines.
                int firstLineIndent = 0;
                it.ParagraphInfo(&justification, &isListItem, &isCrown, &firstLineIndent);
                switch (justification) {
                case tesseract::JUSTIFICATION_LEFT:
                    paragraph.alignment = tessary::TextBlockAlignment::leading;
                    break;
                case tesseract::JUSTIFICATION_CENTER:
                    paragraph.alignment = tessary::TextBlockAlignment::center;
                    break;
                case tesseract::JUSTIFICATION_RIGHT:
                    paragraph.alignment = tessary::TextBlockAlignment::trailing;
                    break;
                case tesseract::JUSTIFICATION_UNKNOWN:
                    break;
                }
                blocks.back().paragraphs.push_back(std::move(paragraph));
            }
            if (it.BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
                Paragraph& paragraph = blocks.back().paragraphs.back();
                const QRect line(QPoint(left, top), QPoint(right - 1, bottom - 1));
                paragraph.lines.push_back(line);
                int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
                std::optional<double> baseline;
                if (it.Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2)) {
                    baseline = (y1 + y2) / 2.0;
                }
                paragraph.baselines.push_back(baseline);
                paragraph.box = paragraph.box.isEmpty() ? line : paragraph.box;
            }
        } while (it.Next(tesseract::RIL_TEXTLINE));
    });
    return blocks;
}

std::vector<tessary::ColumnGaps::Word> LineReader::read(const QImage& line, const std::atomic<bool>* cancel) {
    std::vector<Result> results;
    std::vector<tessary::LanguageCascade::Reading> tried;
    while (const std::optional<std::size_t> model = m_cascade.next(tried)) {
        if (cancel && cancel->load()) {
            break;
        }
        results.push_back(readWith(*model, line, cancel));
        tried.push_back(results.back().reading);
    }
    if (results.empty()) {
        return {};
    }
    return std::move(results[m_cascade.settle(tried)].words);
}

LineReader::Result LineReader::readWith(std::size_t model, const QImage& line,
                                        const std::atomic<bool>* cancel) {
    Result result;
    result.reading.model = model;
    tesseract::TessBaseAPI& api = *m_models[model];
    api.SetImage(line.constBits(), line.width(), line.height(), 1, int(line.bytesPerLine()));
    api.SetSourceResolution(96);
    tesseract::ETEXT_DESC monitor;
    if (cancel) {
        monitor.cancel = &cancelRequested;
        monitor.cancel_this = const_cast<std::atomic<bool>*>(cancel);
    }
    if (api.Recognize(&monitor) != 0) {
        api.Clear();
        if (cancel && cancel->load()) {
            return result;
        }
        throw TextRecognitionError::engineFailed();
    }
    double confidenceSum = 0;
    double weakest = 100;
    QString text;
    const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (it && !it->Empty(tesseract::RIL_WORD)) {
        do {
            int left = 0, top = 0, right = 0, bottom = 0;
            if (!it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
                continue;
            }
            const std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_WORD));
            const double confidence = std::clamp(double(it->Confidence(tesseract::RIL_WORD)), 0.0, 100.0);
            confidenceSum += confidence;
            weakest = std::min(weakest, confidence);
            text += QString::fromUtf8(raw ? raw.get() : "");
            result.words.push_back({tessary::Rect{double(left), double(line.height() - bottom),
                                                  double(right - left), double(bottom - top)},
                                    raw ? raw.get() : ""});
        } while (it->Next(tesseract::RIL_WORD));
    }
    api.Clear();
    if (!result.words.empty()) {
        result.reading.confidence = confidenceSum / double(result.words.size());
        result.reading.weakestWord = weakest;
        // Letters only: the CJK models also write a full-width comma at the end of a Latin line.
        result.reading.hasCjk = holds(text, {QChar::Script_Han, QChar::Script_Hiragana,
                                             QChar::Script_Katakana, QChar::Script_Bopomofo});
        result.reading.hasKana = holds(text, {QChar::Script_Hiragana, QChar::Script_Katakana});
    }
    return result;
}
