#pragma once

#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

// Text drawn with real system fonts, for recognition tests.
namespace RenderedText {

struct Run {
    QString text;
    QString family;
    int pixelSize = 16;
    // Left end of the baseline, in pixels (rows top-down).
    QPoint baseline;
};

inline QFont font(const QString& family, int pixelSize) {
    QFont f(family);
    f.setPixelSize(pixelSize);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// Whether the font system really provides `family` (a substitute would make the test meaningless).
inline bool available(const QString& family) {
    return QFontInfo(font(family, 16)).family().compare(family, Qt::CaseInsensitive) == 0;
}

inline QImage render(QSize size, const std::vector<Run>& runs, QColor paper = Qt::white,
                     QColor ink = Qt::black, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(paper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(ink);
    for (const Run& run : runs) {
        painter.setFont(font(run.family, run.pixelSize));
        painter.drawText(run.baseline, run.text);
    }
    return image;
}

// A paragraph: one run per line, 1.6 line heights apart, 20 pixels of margin.
inline QImage paragraph(const QStringList& lines, const QString& family, int pixelSize) {
    const QFontMetrics metrics(font(family, pixelSize));
    int width = 0;
    for (const QString& line : lines) {
        width = std::max(width, metrics.horizontalAdvance(line));
    }
    const int step = pixelSize * 8 / 5;
    std::vector<Run> runs;
    int baseline = 20 + metrics.ascent();
    for (const QString& line : lines) {
        runs.push_back({line, family, pixelSize, {20, baseline}});
        baseline += step;
    }
    return render(QSize(width + 40, baseline - step + metrics.descent() + 20), runs);
}

// 1 − (edit distance in code points ÷ length of the truth).
inline double characterAccuracy(const QString& recognised, const QString& truth) {
    const QList<uint> a = recognised.toUcs4();
    const QList<uint> b = truth.toUcs4();
    std::vector<qsizetype> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j) {
        row[size_t(j)] = j;
    }
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[size_t(j)];
            row[size_t(j)] =
                std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return b.isEmpty() ? (a.isEmpty() ? 1.0 : 0.0) : 1.0 - double(row[size_t(b.size())]) / double(b.size());
}

} // namespace RenderedText
