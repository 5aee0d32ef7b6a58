#include "Recognition/TesseractEngine.h"

#include "Recognition/LineReader.h"
#include "Recognition/TextRecognitionError.h"
#include "TessaryCore/CjkSpacing.h"
#include "TessaryCore/ColumnGaps.h"
#include "TessaryCore/LineGrouping.h"
#include "TessaryCore/LineMetrics.h"
#include "TessaryCore/RecognitionLanguages.h"
#include "TessaryCore/StrayGlyphs.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <future>
#include <thread>

#include <dlfcn.h>

namespace {

QStringList packagesFor(const std::vector<std::string>& languages) {
    QStringList packages;
    for (const std::string& language : languages) {
        packages << QString::fromStdString(tessary::RecognitionLanguages::packageName(language));
    }
    return packages;
}

// The most common grey level, from a sample of at most about 64k pixels: a screenshot's background.
int dominantLevel(const QImage& grey) {
    std::array<int, 256> histogram{};
    const int step = std::max(1, int(std::sqrt(double(grey.width()) * grey.height() / 65536.0)));
    for (int y = 0; y < grey.height(); y += step) {
        const uchar* row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); x += step) {
            ++histogram[row[x]];
        }
    }
    return int(std::max_element(histogram.begin(), histogram.end()) - histogram.begin());
}

// A line's box with a margin, within the image.
QRect lineArea(const QImage& grey, const QRect& line) {
    const int side = std::max(4, line.height() / 2);
    const int margin = std::max(2, line.height() / 5);
    return line.adjusted(-side, -margin, side, margin) & grey.rect();
}

// The pixels of `area`, dark on light: a light line in a dark panel of a light page (or the
// reverse) is turned round here, as the models read only dark text.
QImage darkOnLight(const QImage& grey, const QRect& area) {
    QImage crop = grey.copy(area);
    if (dominantLevel(crop) < 128) {
        crop.invertPixels();
    }
    return crop;
}

// 8-bit grey, dark ink on a light background. Transparent pixels count as white paper. The engine
// reads dark text on light; it can retry a line inverted, but only after a failed first reading,
// per language, which doubles the cost of a dark theme.
QImage greyImage(const QImage& image) {
    QImage grey;
    if (!image.hasAlphaChannel()) {
        grey = image.convertToFormat(QImage::Format_Grayscale8);
    } else {
        QImage flattened(image.size(), QImage::Format_RGB32);
        flattened.fill(Qt::white);
        QPainter painter(&flattened);
        painter.drawImage(0, 0, image);
        painter.end();
        grey = flattened.convertToFormat(QImage::Format_Grayscale8);
    }
    if (dominantLevel(grey) < 128) {
        grey.invertPixels();
    }
    return grey;
}

// `box` widened to the ink that touches it on the left and right within its margin: the engine's
// boxes can leave out a final full stop, whose pixels would then show beside a cover.
QRect inkExtent(const QImage& grey, const QRect& box) {
    const QRect area = lineArea(grey, box);
    if (area.isEmpty()) {
        return box;
    }
    const QImage crop = darkOnLight(grey, area);
    const int paper = dominantLevel(crop);
    const auto inked = [&](int x) {
        for (int y = box.top() - area.top(); y <= box.bottom() - area.top(); ++y) {
            if (y >= 0 && y < crop.height() && crop.constScanLine(y)[x] + 64 < paper) {
                return true;
            }
        }
        return false;
    };
    QRect result = box;
    // Gaps of up to two columns are bridged: antialiased glyphs seldom leave wider ones.
    for (int x = box.right() + 1 - area.left(), gap = 0; x < crop.width() && gap <= 2; ++x) {
        gap = inked(x) ? 0 : gap + 1;
        if (gap == 0) {
            result.setRight(area.left() + x);
        }
    }
    for (int x = box.left() - 1 - area.left(), gap = 0; x >= 0 && gap <= 2; --x) {
        gap = inked(x) ? 0 : gap + 1;
        if (gap == 0) {
            result.setLeft(area.left() + x);
        }
    }
    return result;
}

// `box` narrowed to its inked rows. A line cut into columns gives its pieces the line's height;
// a short piece (a button's label) then reaches into the frame around it.
QRect inkRows(const QImage& grey, const QRect& box) {
    const QRect area = box & grey.rect();
    if (area.isEmpty()) {
        return box;
    }
    const QImage crop = darkOnLight(grey, area);
    const int paper = dominantLevel(crop);
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < crop.height(); ++y) {
        const uchar* row = crop.constScanLine(y);
        if (std::any_of(row, row + crop.width(), [paper](uchar level) { return level + 64 < paper; })) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    return top < 0 ? box : QRect(area.left(), area.top() + top, area.width(), bottom - top + 1);
}

// The baseline under the ink of `box`: the row below the last one that is at least a third as
// inked as the busiest (descenders ink only a few columns). Nothing without ink.
std::optional<double> inkBaseline(const QImage& grey, const QRect& box) {
    const QRect area = box & grey.rect();
    if (area.isEmpty()) {
        return std::nullopt;
    }
    const QImage crop = darkOnLight(grey, area);
    const int paper = dominantLevel(crop);
    std::vector<int> counts(std::size_t(crop.height()), 0);
    for (int y = 0; y < crop.height(); ++y) {
        const uchar* row = crop.constScanLine(y);
        counts[std::size_t(y)] =
            int(std::count_if(row, row + crop.width(), [paper](uchar level) { return level + 64 < paper; }));
    }
    const int busiest = *std::max_element(counts.begin(), counts.end());
    if (busiest == 0) {
        return std::nullopt;
    }
    int last = 0;
    for (int y = 0; y < int(counts.size()); ++y) {
        if (3 * counts[std::size_t(y)] >= busiest) {
            last = y;
        }
    }
    return double(area.top() + last + 1);
}

tessary::Rect toRect(const QRect& box) {
    return {double(box.x()), double(box.y()), double(box.width()), double(box.height())};
}

QRect toQRect(const tessary::Rect& box) {
    return QRect(int(box.minX()), int(box.minY()), int(box.maxX() - box.minX()),
                 int(box.maxY() - box.minY()));
}

} // namespace

TesseractEngine::TesseractEngine(const QString& dataPath, int threads) {
    m_languages = tessary::RecognitionLanguages::supportedSubset(tessary::RecognitionLanguages::desired(),
                                                                 installedLanguages(dataPath));
    if (m_languages.empty()) {
        throw TextRecognitionError::languageDataMissing(
            packagesFor(tessary::RecognitionLanguages::desired()));
    }
    // The models of every thread load at the same time, each on the thread that will use it.
    std::vector<std::future<std::unique_ptr<LineReader>>> others;
    for (int i = 1; i < threads; ++i) {
        others.push_back(std::async(std::launch::async,
                                    [&] { return std::make_unique<LineReader>(dataPath, m_languages); }));
    }
    std::exception_ptr failure;
    try {
        m_readers.push_back(std::make_unique<LineReader>(dataPath, m_languages));
    } catch (...) {
        failure = std::current_exception();
    }
    for (auto& other : others) {
        try {
            m_readers.push_back(other.get());
        } catch (...) {
            failure = failure ? failure : std::current_exception();
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

TesseractEngine::~TesseractEngine() = default;

int TesseractEngine::defaultThreads() {
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

void TesseractEngine::confineOpenMpToThisThread() {
    // A max-active-levels of 0 is a per-thread setting. The symbol is looked up at run time so that
    // an engine built without OpenMP needs nothing.
    using SetLevels = void (*)(int);
    static const auto setLevels =
        reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (setLevels) {
        setLevels(0);
    }
}

std::optional<std::vector<std::string>> TesseractEngine::installedLanguages(const QString& dataPath) {
    const QDir dir(dataPath);
    if (!dir.exists() || !dir.isReadable()) {
        return std::nullopt;
    }
    std::vector<std::string> languages;
    const QStringList files =
        dir.entryList({QStringLiteral("*.traineddata")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& file : files) {
        const QString language = file.chopped(int(sizeof(".traineddata") - 1));
        if (!language.isEmpty() && language != QLatin1String("osd")) {
            languages.push_back(language.toStdString());
        }
    }
    return languages;
}

std::vector<tessary::RecognizedLine> TesseractEngine::recognizeLines(const QImage& image,
                                                                     const std::atomic<bool>* cancel) {
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        return {};
    }
    checkSize(image);
    const QImage grey = greyImage(image);
    const double width = grey.width();
    const double height = grey.height();

    LineReader::Layout layout = m_readers.front()->findLayout(grey);
    std::vector<tessary::Rect> found;
    std::vector<tessary::Rect> others;
    std::transform(layout.lines.begin(), layout.lines.end(), std::back_inserter(found), toRect);
    std::transform(layout.others.begin(), layout.others.end(), std::back_inserter(others), toRect);
    std::vector<QRect> boxes;
    for (const tessary::Rect& box : tessary::StrayGlyphs::attach(std::move(found), others)) {
        boxes.push_back(toQRect(box));
    }

    const std::vector<std::vector<tessary::ColumnGaps::Word>> words = readLines(grey, boxes, cancel);

    std::vector<tessary::RecognizedLine> lines;
    for (const std::vector<tessary::ColumnGaps::Word>& lineWords : words) {
        for (const tessary::ColumnGaps::Segment& segment : tessary::ColumnGaps::split(lineWords)) {
            const tessary::Rect& box = segment.box;
            lines.push_back(
                {tessary::Rect{box.x / width, box.y / height, box.width / width, box.height / height},
                 tessary::CjkSpacing::removeSpacesBetweenCjk(segment.text)});
        }
    }
    return lines;
}

void TesseractEngine::checkSize(const QImage& image) {
    if (image.width() > maximumSide || image.height() > maximumSide) {
        throw TextRecognitionError::imageTooLarge(image.width(), image.height());
    }
}

std::vector<std::vector<tessary::ColumnGaps::Word>>
TesseractEngine::readLines(const QImage& grey, const std::vector<QRect>& boxes,
                           const std::atomic<bool>* cancel) {
    const double height = grey.height();
    // Each thread takes every n-th line, so that all of them walk through the paragraphs in order
    // and keep finding the language of the line before; the split is the same on every run.
    std::vector<std::vector<tessary::ColumnGaps::Word>> words(boxes.size());
    const auto readShare = [&](std::size_t first, std::size_t stride) {
        LineReader& reader = *m_readers[first];
        reader.restart();
        for (std::size_t i = first; i < boxes.size() && !(cancel && cancel->load()); i += stride) {
            const QRect area = lineArea(grey, boxes[i]);
            if (area.isEmpty()) {
                continue;
            }
            words[i] = reader.read(darkOnLight(grey, area), cancel);
            // From the line's pixels to the image's, both y up.
            const double dy = height - double(area.y() + area.height());
            for (tessary::ColumnGaps::Word& word : words[i]) {
                word.box = word.box.offsetBy(area.x(), dy);
            }
        }
    };
    const std::size_t threads = std::min(m_readers.size(), boxes.size());
    std::vector<std::future<void>> helpers;
    for (std::size_t t = 1; t < threads; ++t) {
        helpers.push_back(std::async(std::launch::async, [&, t] {
            confineOpenMpToThisThread();
            readShare(t, threads);
        }));
    }
    std::exception_ptr failure;
    try {
        readShare(0, std::max<std::size_t>(threads, 1));
    } catch (...) {
        failure = std::current_exception();
    }
    for (auto& helper : helpers) {
        try {
            helper.get();
        } catch (...) {
            failure = failure ? failure : std::current_exception();
        }
    }
    if (cancel && cancel->load()) {
        throw TextRecognitionError::cancelled();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }

    return words;
}

std::vector<tessary::DocumentContainer> TesseractEngine::recognizeLayout(const QImage& image,
                                                                         const std::atomic<bool>* cancel) {
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        return {};
    }
    checkSize(image);
    const QImage grey = greyImage(image);
    const double height = grey.height();
    const std::vector<LineReader::Block> blocks = m_readers.front()->findStructure(grey);
    std::vector<QRect> boxes;
    for (const LineReader::Block& block : blocks) {
        for (const LineReader::Paragraph& paragraph : block.paragraphs) {
            boxes.insert(boxes.end(), paragraph.lines.begin(), paragraph.lines.end());
        }
    }
    const std::vector<std::vector<tessary::ColumnGaps::Word>> words = readLines(grey, boxes, cancel);

    tessary::DocumentContainer page;
    std::size_t next = 0;
    for (const LineReader::Block& block : blocks) {
        tessary::DocumentTable table;
        for (const LineReader::Paragraph& paragraph : block.paragraphs) {
            // Each line as its column pieces, top-left boxes widened to their ink.
            std::vector<std::vector<tessary::DocumentLine>> lines;
            for (std::size_t l = 0; l < paragraph.lines.size(); ++l) {
                const QRect& line = paragraph.lines[l];
                const std::optional<double> baseline =
                    l < paragraph.baselines.size() ? paragraph.baselines[l] : std::nullopt;
                const std::vector<tessary::ColumnGaps::Segment> segments =
                    tessary::ColumnGaps::split(words[next++]);
                std::vector<tessary::DocumentLine>& pieces = lines.emplace_back();
                for (const tessary::ColumnGaps::Segment& segment : segments) {
                    std::string text = tessary::CjkSpacing::removeSpacesBetweenCjk(segment.text);
                    if (text.empty()) {
                        continue;
                    }
                    // A single piece keeps the engine's line box; a cut line takes its words' boxes.
                    QRect box = line;
                    if (segments.size() > 1) {
                        const tessary::Rect& b = segment.box;
                        const QPoint topLeft(int(std::floor(b.x)), int(std::floor(height - b.y - b.height)));
                        const QPoint bottomRight(int(std::ceil(b.x + b.width)) - 1,
                                                 int(std::ceil(height - b.y)) - 1);
                        box = inkRows(grey,
                                      QRect(topLeft, bottomRight).intersected(line.adjusted(-2, -2, 2, 2)));
                    }
                    // The pieces of a cut line can sit on baselines of their own (a button beside a label).
                    const std::optional<double> pieceBaseline =
                        segments.size() > 1 ? inkBaseline(grey, box) : baseline;
                    pieces.push_back({std::move(text), tessary::LineMetrics::typographicBox(
                                                           toRect(inkExtent(grey, box)), pieceBaseline)});
                }
            }
            for (tessary::DocumentTextItem& item : tessary::LineGrouping::group(lines, paragraph.alignment)) {
                if (block.isTable) {
                    tessary::DocumentContainer cell;
                    cell.paragraphs.push_back(std::move(item));
                    table.rows.push_back({std::move(cell)});
                } else {
                    page.paragraphs.push_back(std::move(item));
                }
            }
        }
        if (!table.rows.empty()) {
            page.tables.push_back(std::move(table));
        }
    }
    return {std::move(page)};
}
