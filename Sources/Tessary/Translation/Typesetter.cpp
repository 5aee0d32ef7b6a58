#include "Translation/Typesetter.h"

#include <QFontDatabase>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace Typesetter {

namespace {

// Text is laid out on a device of 72 dots per inch, where a point of font size is one pixel: the
// canvas measures in points, and fractional sizes survive (pixel sizes are whole numbers).
const QPaintDevice* pointDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = int(std::lround(72 / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}

QString cjkFamily(const QString& language) {
    const QString tag = language.toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    if (tag.startsWith(QLatin1String("ja"))) {
        return QStringLiteral("Noto Sans CJK JP");
    }
    if (tag.startsWith(QLatin1String("ko"))) {
        return QStringLiteral("Noto Sans CJK KR");
    }
    if (tag.startsWith(QLatin1String("zh")) &&
        (tag.contains(QLatin1String("hant")) || tag.endsWith(QLatin1String("-tw")) ||
         tag.endsWith(QLatin1String("-hk")) || tag.endsWith(QLatin1String("-mo")))) {
        return QStringLiteral("Noto Sans CJK TC");
    }
    return QStringLiteral("Noto Sans CJK SC");
}

bool isCjkLanguage(const QString& language) {
    const QString tag = language.toLower();
    return tag.startsWith(QLatin1String("zh")) || tag.startsWith(QLatin1String("ja")) ||
           tag.startsWith(QLatin1String("ko"));
}

} // namespace

QFont font(double size, const QString& language) {
    // Looked up once: the bisection asks for a font at every step.
    static const QString sans = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    const QString cjk = cjkFamily(language);
    QFont result;
    // CJK targets take their own glyph forms first; others fall back to them for stray ideographs.
    result.setFamilies(isCjkLanguage(language) ? QStringList{cjk, sans} : QStringList{sans, cjk});
    result.setStyleHint(QFont::SansSerif);
    result.setWeight(QFont::Normal);
    result.setPointSizeF(std::max(size, 1.0));
    return result;
}

std::unique_ptr<QTextLayout> layoutText(const QString& text, const QFont& font, double width,
                                        tessary::TextBlockAlignment alignment) {
    auto layout = std::make_unique<QTextLayout>(text, font, const_cast<QPaintDevice*>(pointDevice()));
    QTextOption option(qtAlignment(alignment));
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    double y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max(width, 1.0));
        const double step = lineStep(line, font);
        // A line taller than its step is centred on it: the extra is empty ascent and descent.
        line.setPosition(QPointF(0, y - (line.height() - step) / 2));
        y += step;
    }
    layout->endLayout();
    return layout;
}

double lineStep(const QTextLine& line, const QFont& font) {
    return std::min(line.height(), maximumLineSpacing * font.pointSizeF());
}

double measure(const QString& text, const QFont& font, double width) {
    const std::unique_ptr<QTextLayout> layout =
        layoutText(text, font, width, tessary::TextBlockAlignment::leading);
    double height = 0;
    for (int i = 0; i < layout->lineCount(); ++i) {
        height += lineStep(layout->lineAt(i), font);
    }
    return height;
}

TypesetTranslation typeset(const tessary::TranslationOverlay& overlay, const QImage& image,
                           const tessary::Rect& imageArea) {
    const QString target = QString::fromStdString(overlay.targetLanguage);
    const tessary::Rect area = imageArea.standardized();
    const auto probe = [&](tessary::Point p) -> std::optional<tessary::RgbColor> {
        if (image.isNull() || !(area.width > 0) || !(area.height > 0)) {
            return std::nullopt;
        }
        const double fx = std::floor((p.x - area.minX()) * image.width() / area.width);
        const double fy = std::floor((area.maxY() - p.y) * image.height() / area.height);
        if (!std::isfinite(fx) || !std::isfinite(fy)) {
            return std::nullopt;
        }
        const int x = int(std::clamp(fx, 0.0, double(image.width() - 1)));
        const int y = int(std::clamp(fy, 0.0, double(image.height() - 1)));
        const QColor color = image.pixelColor(x, y).toRgb();
        return tessary::RgbColor{color.redF(), color.greenF(), color.blueF()};
    };
    const auto measured = [&](const std::string& text, double size, double width) {
        return measure(QString::fromStdString(text), font(size, target), width);
    };
    return {tessary::TranslationLayouts::layout(overlay, probe, measured), target};
}

Qt::Alignment qtAlignment(tessary::TextBlockAlignment alignment) {
    switch (alignment) {
    case tessary::TextBlockAlignment::center:
        return Qt::AlignHCenter;
    case tessary::TextBlockAlignment::trailing:
        return Qt::AlignRight;
    case tessary::TextBlockAlignment::leading:
        break;
    }
    // Visual alignment, whatever the writing direction.
    return Qt::AlignLeft | Qt::AlignAbsolute;
}

} // namespace Typesetter
