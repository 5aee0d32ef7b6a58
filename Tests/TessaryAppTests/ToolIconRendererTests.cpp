#include "Overlay/Bars/ToolIconRenderer.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Copies the icons of `kinds` from the bundled set into `directory`.
void copyIcons(const QString& directory, std::initializer_list<ToolKind> kinds) {
    for (const ToolKind kind : kinds) {
        const QString file = ToolIconRenderer::iconFile(kind);
        ASSERT_TRUE(QFile::copy(QStringLiteral(":/ToolbarIcons/") + file, QDir(directory).filePath(file)));
    }
}

} // namespace

TEST(ToolIconRendererTest, EveryToolHasABundledIcon) {
    const auto resources = ToolIconRenderer::resourceDirectory();
    ASSERT_TRUE(resources);
    EXPECT_TRUE(ToolIconRenderer::missingIconFiles({*resources}).isEmpty());
    EXPECT_EQ(QDir(*resources).entryList({QStringLiteral("*.svg")}).size(), 17);
}

TEST(ToolIconRendererTest, MissingIconsAreListedAcrossTheSearchedPlaces) {
    QTemporaryDir first;
    QTemporaryDir second;
    copyIcons(first.path(), {ToolKind::rectangle, ToolKind::ellipse, ToolKind::sticker, ToolKind::arrow,
                             ToolKind::pen, ToolKind::mosaic, ToolKind::text, ToolKind::colorPicker});
    copyIcons(second.path(), {ToolKind::translate, ToolKind::ocr, ToolKind::qrCode,
                              ToolKind::scrollingCapture, ToolKind::undo, ToolKind::save, ToolKind::pin});
    QStringList all;
    for (const ToolKind kind : allToolKinds) {
        all << ToolIconRenderer::iconFile(kind);
    }
    const struct {
        const char* name;
        QStringList directories;
        QStringList missing;
    } cases[] = {
        {"both places together lack cancel and done",
         {first.path(), second.path()},
         {QStringLiteral("tool-cancel.svg"), QStringLiteral("tool-done.svg")}},
        {"one place alone", {second.path()}, all.mid(0, 8) + all.mid(15)},
        {"nowhere to look", {}, all},
        {"a directory that does not exist", {first.path() + QStringLiteral("/nope")}, all},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToolIconRenderer::missingIconFiles(c.directories), c.missing);
    }
    EXPECT_EQ(ToolIconRenderer::resolve(ToolKind::pin, {first.path(), second.path()}),
              QDir(second.path()).filePath(QStringLiteral("tool-pin.svg")));
}

TEST(ToolIconRendererTest, IconsAreTintedShapesOfReasonableWeight) {
    // TESSARY_ICON_DUMP=<dir> keeps the rendered icons for a look.
    const QString dump = qEnvironmentVariable("TESSARY_ICON_DUMP");
    const QColor tint(40, 120, 200);
    for (const qreal ratio : {1.0, 2.0}) {
        for (const ToolKind kind : allToolKinds) {
            SCOPED_TRACE(ToolKinds::name(kind).toStdString());
            const QImage icon = ToolIconRenderer::bundledImage(kind, tint, ratio);
            ASSERT_FALSE(icon.isNull());
            EXPECT_EQ(icon.size(), QSize(int(24 * ratio), int(24 * ratio)));
            EXPECT_EQ(icon.devicePixelRatio(), ratio);
            const QImage plain = icon.convertToFormat(QImage::Format_ARGB32);
            int inked = 0;
            int offColour = 0;
            for (int y = 0; y < plain.height(); ++y) {
                for (int x = 0; x < plain.width(); ++x) {
                    const QRgb p = plain.pixel(x, y);
                    if (qAlpha(p) < 128) {
                        continue;
                    }
                    ++inked;
                    if (std::abs(qRed(p) - tint.red()) > 2 || std::abs(qGreen(p) - tint.green()) > 2 ||
                        std::abs(qBlue(p) - tint.blue()) > 2) {
                        ++offColour;
                    }
                }
            }
            const double coverage = double(inked) / (plain.width() * plain.height());
            // A line icon: visible, but not a filled block.
            EXPECT_GT(coverage, 0.05);
            EXPECT_LT(coverage, 0.6);
            EXPECT_EQ(offColour, 0);
            if (!dump.isEmpty()) {
                QDir().mkpath(dump);
                QImage sheet(plain.size(), QImage::Format_ARGB32);
                sheet.fill(Qt::white);
                QImage pixels = plain;
                pixels.setDevicePixelRatio(1);
                QPainter(&sheet).drawImage(0, 0, pixels);
                sheet.save(QDir(dump).filePath(ToolKinds::iconFileName(kind) +
                                               QStringLiteral("@%1x.png").arg(ratio)));
            }
        }
    }
}
