#include "Recognition/TesseractEngine.h"

#include "Recognition/TextRecognitionError.h"
#include "TessaryCore/CjkSpacing.h"
#include "TessaryCore/ColumnGaps.h"
#include "TessaryCore/RecognitionLanguages.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

QStringList packagesFor(const std::vector<std::string>& languages) {
    QStringList packages;
    for (const std::string& language : languages) {
        packages << QString::fromStdString(tessary::RecognitionLanguages::packageName(language));
    }
    return packages;
}

QStringList toStringList(const std::vector<std::string>& values) {
    QStringList list;
    for (const std::string& value : values) {
        list << QString::fromStdString(value);
    }
    return list;
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

bool cancelRequested(void* flag, int) {
    return static_cast<const std::atomic<bool>*>(flag)->load();
}

} // namespace

TesseractEngine::TesseractEngine(const QString& dataPath)
    : m_api(std::make_unique<tesseract::TessBaseAPI>()) {
    m_languages = tessary::RecognitionLanguages::supportedSubset(tessary::RecognitionLanguages::desired(),
                                                                 installedLanguages(dataPath));
    if (m_languages.empty()) {
        throw TextRecognitionError::languageDataMissing(
            packagesFor(tessary::RecognitionLanguages::desired()));
    }
    std::string joined;
    for (const std::string& language : m_languages) {
        joined += (joined.empty() ? "" : "+") + language;
    }
    // The engine prints diagnostics (loading errors included) to stderr unless told otherwise.
    m_api->SetVariable("debug_file", "/dev/null");
    const QByteArray path = QDir(dataPath).absolutePath().toLocal8Bit();
    if (m_api->Init(path.constData(), joined.c_str(), tesseract::OEM_LSTM_ONLY) != 0) {
        throw TextRecognitionError::languageDataUnreadable(toStringList(m_languages),
                                                           packagesFor(m_languages));
    }
    m_api->SetPageSegMode(tesseract::PSM_AUTO);
}

TesseractEngine::~TesseractEngine() {
    m_api->End();
}

QString TesseractEngine::defaultDataPath() {
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    return prefix.isEmpty() ? QStringLiteral("/usr/share/tesseract-ocr/5/tessdata") : prefix;
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
    if (image.width() > maximumSide || image.height() > maximumSide) {
        throw TextRecognitionError::imageTooLarge(image.width(), image.height());
    }
    const QImage grey = greyImage(image);
    const double width = grey.width();
    const double height = grey.height();
    m_api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    m_api->SetSourceResolution(96);

    tesseract::ETEXT_DESC monitor;
    if (cancel) {
        monitor.cancel = &cancelRequested;
        monitor.cancel_this = const_cast<std::atomic<bool>*>(cancel);
    }
    const int status = m_api->Recognize(&monitor);
    if (cancel && cancel->load()) {
        m_api->Clear();
        throw TextRecognitionError::cancelled();
    }
    if (status != 0) {
        m_api->Clear();
        throw TextRecognitionError::engineFailed();
    }

    std::vector<tessary::RecognizedLine> lines;
    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (it && !it->Empty(tesseract::RIL_BLOCK)) {
        do {
            // Tesseract can take CJK strokes for rules or pictures; their "text" is noise.
            if (!PTIsTextType(it->BlockType())) {
                continue;
            }
            std::vector<tessary::ColumnGaps::Word> words;
            do {
                int left = 0, top = 0, right = 0, bottom = 0;
                if (it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
                    const std::unique_ptr<char[]> raw(it->GetUTF8Text(tesseract::RIL_WORD));
                    words.push_back({tessary::Rect{double(left), height - bottom, double(right - left),
                                                   double(bottom - top)},
                                     raw ? raw.get() : ""});
                }
            } while (!it->IsAtFinalElement(tesseract::RIL_TEXTLINE, tesseract::RIL_WORD) &&
                     it->Next(tesseract::RIL_WORD));
            for (const tessary::ColumnGaps::Segment& segment : tessary::ColumnGaps::split(words)) {
                const tessary::Rect& box = segment.box;
                lines.push_back(
                    {tessary::Rect{box.x / width, box.y / height, box.width / width, box.height / height},
                     tessary::CjkSpacing::removeSpacesBetweenCjk(segment.text)});
            }
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    m_api->Clear();
    return lines;
}
