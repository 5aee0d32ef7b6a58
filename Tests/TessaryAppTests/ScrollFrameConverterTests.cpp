#include "Scrolling/ScrollFrameConverter.h"

#include "TessaryCore/ScrollStitchSession.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <gtest/gtest.h>

using tessary::GrayscaleFrame;
using tessary::ScrollStitchSession;

namespace {

QImage filled(int width, int height, QColor colour, QImage::Format format) {
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

TEST(ScrollFrameConverter, KeepsEveryRowAndAtMost256Columns) {
    struct Case {
        QSize size;
        std::optional<QSize> grey;
    };
    const Case cases[] = {
        {{1000, 700}, QSize(256, 700)}, {{200, 50}, QSize(200, 50)}, {{256, 3}, QSize(256, 3)},
        {{257, 1}, QSize(256, 1)},      {{1, 1}, QSize(1, 1)},       {{0, 0}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto frame = ScrollFrameConverter::grayscale(
            c.size.isEmpty() ? QImage()
                             : filled(c.size.width(), c.size.height(), Qt::gray, QImage::Format_RGB32));
        ASSERT_EQ(frame.has_value(), c.grey.has_value()) << c.size.width() << "x" << c.size.height();
        if (frame) {
            EXPECT_EQ(QSize(int(frame->width()), int(frame->height())), *c.grey);
        }
    }
}

TEST(ScrollFrameConverter, UsesOneLuminanceForEveryPixelFormat) {
    struct Case {
        QColor colour;
        int grey; // Rec. 601: 0.299 R + 0.587 G + 0.114 B, rounded
    };
    const Case cases[] = {
        {Qt::white, 255},
        {Qt::black, 0},
        {QColor(255, 0, 0), 76},
        {QColor(0, 255, 0), 150},
        {QColor(0, 0, 255), 29},
        {QColor(100, 150, 200), 141},
        {QColor(0, 0, 0, 0), 0},           // transparent shows the black underneath
        {QColor(255, 255, 255, 128), 128}, // half-covered white over black
    };
    const QImage::Format formats[] = {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888,
                                      QImage::Format_ARGB32_Premultiplied, QImage::Format_RGBA8888};
    for (const auto& c : cases) {
        for (const auto format : formats) {
            const QImage image = filled(300, 2, c.colour, format);
            if (c.colour.alpha() < 255 && !image.hasAlphaChannel()) {
                continue;
            }
            const auto frame = ScrollFrameConverter::grayscale(image);
            ASSERT_TRUE(frame.has_value());
            for (const auto pixel : frame->pixels()) {
                ASSERT_EQ(pixel, c.grey)
                    << c.colour.name(QColor::HexArgb).toStdString() << " format " << format;
            }
        }
    }
}

TEST(ScrollFrameConverter, SqueezesSmoothlyAndRowByRow) {
    // Alternating black and white columns, 1024 wide: a smooth squeeze to 256 averages them to mid grey,
    // where picking columns would keep pure black or white. Each row carries its own grey level on top.
    QImage image(1024, 40, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int level = x % 2 ? 2 * y : 255 - 2 * y;
            image.setPixel(x, y, qRgb(level, level, level));
        }
    }
    const auto frame = ScrollFrameConverter::grayscale(image);
    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->width(), 256);
    for (int y = 0; y < image.height(); ++y) {
        for (const auto pixel : frame->row(y)) {
            ASSERT_NEAR(pixel, 127.5, 1.0) << "row " << y;
        }
    }

    // Uniform rows of distinct grey levels come out unchanged and in place.
    QImage ramp(900, 256, QImage::Format_RGB32);
    for (int y = 0; y < ramp.height(); ++y) {
        for (int x = 0; x < ramp.width(); ++x) {
            ramp.setPixel(x, y, qRgb(255 - y, 255 - y, 255 - y));
        }
    }
    const auto rampFrame = ScrollFrameConverter::grayscale(ramp);
    ASSERT_TRUE(rampFrame.has_value());
    for (int y = 0; y < ramp.height(); ++y) {
        for (const auto pixel : rampFrame->row(y)) {
            ASSERT_EQ(pixel, 255 - y) << "row " << y;
        }
    }
}

// A page of ragged paragraphs of text with shaded figures between them, taller than any window.
QImage textPage() {
    QImage page(720, 2600, QImage::Format_RGB32);
    page.fill(QColor(250, 250, 247));
    QPainter painter(&page);
    QFont font("DejaVu Sans");
    font.setPixelSize(15);
    painter.setFont(font);
    const QStringList words =
        QStringLiteral("a frame of rows moves up when the view scrolls, and the matcher finds how far by "
                       "comparing grey bands; fixed toolbars stay put while text, figures and tables pass "
                       "under them until the end of the page is reached at last")
            .split(' ');
    std::uint32_t state = 7;
    const auto next = [&state](std::uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    };
    int y = 10;
    for (int paragraph = 0; y < page.height() - 40; ++paragraph) {
        if (paragraph % 4 == 3) {
            // Shaded: a flat fill would make every row inside the figure alike.
            QLinearGradient shade(0, y, 0, y + 60);
            shade.setColorAt(0, QColor::fromHsv(paragraph * 37 % 360, 160, 240));
            shade.setColorAt(1, QColor::fromHsv(paragraph * 37 % 360, 220, 60));
            painter.fillRect(40 + int(next(200)), y, 200 + int(next(300)), 60, shade);
            y += 80;
            continue;
        }
        const int lines = 3 + int(next(5));
        for (int line = 0; line < lines; ++line) {
            QString text;
            const int count = line == lines - 1 ? 2 + int(next(6)) : 8 + int(next(5));
            for (int w = 0; w < count; ++w) {
                text += words[int(next(std::uint32_t(words.size())))] + ' ';
            }
            painter.setPen(QColor(20 + int(next(60)), 30, 40));
            painter.drawText(24 + (line == 0 ? 30 : 0), y + 15, text);
            y += 21;
        }
        y += 14;
    }
    return page;
}

TEST(ScrollFrameConverter, GreyOffsetsCutTheColourFramesExactly) {
    // A window 720 wide with a fixed toolbar and status bar over a text page, grabbed a few times before
    // scrolling starts, then scrolled down unevenly with one step back.
    const QImage page = textPage();
    QImage header(720, 48, QImage::Format_RGB32);
    header.fill(QColor(60, 90, 160));
    QPainter(&header).fillRect(12, 12, 90, 24, QColor(240, 200, 40));
    QImage footer(720, 30, QImage::Format_RGB32);
    footer.fill(QColor(40, 40, 40));
    QPainter(&footer).fillRect(600, 8, 100, 14, QColor(90, 200, 90));

    const auto window = [&](int top) {
        QImage frame(720, 48 + 600 + 30, QImage::Format_RGB32);
        QPainter painter(&frame);
        painter.drawImage(0, 0, header);
        painter.drawImage(QPoint(0, 48), page, QRect(0, top, 720, 600));
        painter.drawImage(0, 648, footer);
        return frame;
    };

    std::vector<QImage> frames;
    ScrollStitchSession session;
    int top = 0;
    for (const int step : {0, 0, 0, 45, 130, 0, 210, 330, -90, 170, 260, 95, 400, 333, 140, 77}) {
        top = std::min(top + step, page.height() - 600);
        frames.push_back(window(top));
        const auto grey = ScrollFrameConverter::grayscale(frames.back());
        ASSERT_TRUE(grey.has_value());
        const auto outcome = session.accept(*grey);
        EXPECT_NE(outcome.kind(), ScrollStitchSession::Outcome::Kind::rejected)
            << "frame " << frames.size() - 1 << " failure " << int(outcome.failure());
    }
    ASSERT_EQ(top, page.height() - 600);

    const auto segments = session.finish();
    ASSERT_EQ(segments.size(), 1u);
    const auto& segment = segments.front();
    ASSERT_EQ(segment.height, 48 + page.height());
    QImage stitched(720, int(segment.height), QImage::Format_RGB32);
    stitched.fill(Qt::magenta);
    {
        QPainter painter(&stitched);
        for (const auto& p : segment.placements) {
            painter.drawImage(QPoint(0, int(p.canvasRow)), frames[std::size_t(p.frameIndex)],
                              QRect(0, int(p.sourceRow), 720, int(p.rowCount)));
        }
    }
    QImage expected(720, 48 + page.height(), QImage::Format_RGB32);
    {
        QPainter painter(&expected);
        painter.drawImage(0, 0, header);
        painter.drawImage(0, 48, page);
    }
    EXPECT_TRUE(stitched == expected);
}

} // namespace
