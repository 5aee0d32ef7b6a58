#include "Overlay/QR/QRCodeDetector.h"
#include "Overlay/QR/QRCodeRecognizer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

namespace {

// A QR code made by the qrencode tool: 4 pixels per module, 2 modules of quiet zone.
// `binary` encodes the bytes in 8-bit mode.
std::optional<QImage> makeCode(const QByteArray& payload, bool binary = false) {
    QProcess process;
    QStringList arguments{QStringLiteral("-o"),  QStringLiteral("-"),  QStringLiteral("-t"),
                          QStringLiteral("PNG"), QStringLiteral("-s"), QStringLiteral("4"),
                          QStringLiteral("-m"),  QStringLiteral("2")};
    if (binary) {
        arguments << QStringLiteral("-8");
    }
    process.start(QStringLiteral("qrencode"), arguments);
    if (!process.waitForStarted()) {
        return std::nullopt;
    }
    process.write(payload);
    process.closeWriteChannel();
    process.waitForFinished();
    QImage image;
    if (process.exitCode() != 0 || !image.loadFromData(process.readAllStandardOutput(), "PNG")) {
        return std::nullopt;
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

struct Placed {
    QByteArray payload;
    QPoint topLeft; // pixels, y down
    bool binary = false;
};

// A white image with the codes drawn where asked.
QImage scene(QSize size, const std::vector<Placed>& codes) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (const Placed& p : codes) {
        const auto code = makeCode(p.payload, p.binary);
        if (!code) {
            ADD_FAILURE() << "qrencode failed for " << p.payload.toStdString();
            continue;
        }
        painter.drawImage(p.topLeft, *code);
    }
    return image;
}

// Deterministic grey noise.
QImage noise(int width, int height) {
    QImage image(width, height, QImage::Format_Grayscale8);
    quint32 state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.scanLine(y)[x] = uchar(state >> 24);
        }
    }
    return image;
}

bool haveQrencode() {
    return !QStandardPaths::findExecutable(QStringLiteral("qrencode")).isEmpty();
}

void spin(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

bool spinUntil(const std::function<bool()>& condition, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Counts what a detector reports.
struct Recorder {
    int started = 0;
    std::vector<QStringList> finished;
    explicit Recorder(QRCodeDetector& detector) {
        QObject::connect(&detector, &QRCodeDetector::scanStarted, [this] { ++started; });
        QObject::connect(&detector, &QRCodeDetector::scanFinished,
                         [this](const QStringList& payloads) { finished.push_back(payloads); });
    }
};

} // namespace

TEST(QRCodeRecognizerTest, PayloadsInReadingOrderWithoutRepeatsOrBytes) {
    if (!haveQrencode()) {
        GTEST_SKIP() << "qrencode is not installed";
    }
    const QSize size(900, 500);
    const struct {
        const char* name;
        std::vector<Placed> codes;
        QStringList expected;
    } cases[] = {
        {"nothing to find", {}, {}},
        {"side by side at one height: left first",
         {{"https://example.org/right", {500, 150}}, {"https://example.org/left", {60, 150}}},
         {QStringLiteral("https://example.org/left"), QStringLiteral("https://example.org/right")}},
        {"slightly higher on the right still comes second",
         {{"second", {500, 140}}, {"first", {60, 150}}},
         {QStringLiteral("first"), QStringLiteral("second")}},
        {"clearly higher on the right comes first",
         {{"lower", {60, 320}}, {"upper", {500, 40}}},
         {QStringLiteral("upper"), QStringLiteral("lower")}},
        {"the same code twice gives one payload",
         {{"twice", {60, 150}}, {"twice", {500, 150}}},
         {QStringLiteral("twice")}},
        {"a binary code is ignored",
         {{QByteArray("\x00\x01\xfe\xff\x80\x81", 6), {60, 150}, true}, {"text", {500, 150}}},
         {QStringLiteral("text")}},
        {"UTF-8 text comes back intact",
         {{QStringLiteral("二维码 ✓ Grüße").toUtf8(), {300, 150}}},
         {QStringLiteral("二维码 ✓ Grüße")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QRCodeRecognizer::payloads(QRCodeRecognizer::observations(scene(size, c.codes))),
                  c.expected);
    }
}

TEST(QRCodeRecognizerTest, EveryPixelFormatIsRead) {
    if (!haveQrencode()) {
        GTEST_SKIP() << "qrencode is not installed";
    }
    const QImage image = scene({500, 300}, {{"formats", {150, 60}}});
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_Grayscale8,
          QImage::Format_RGB888, QImage::Format_Indexed8}) {
        SCOPED_TRACE(int(format));
        EXPECT_EQ(QRCodeRecognizer::payloads(QRCodeRecognizer::observations(image.convertToFormat(format))),
                  QStringList{QStringLiteral("formats")});
    }
}

TEST(QRCodeRecognizerTest, OddInputsGiveNoPayloads) {
    const struct {
        const char* name;
        QImage image;
    } cases[] = {
        {"null image", QImage()},
        {"one pixel", QImage(1, 1, QImage::Format_RGB32)},
        {"noise", noise(300, 200)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(QRCodeRecognizer::payloads(QRCodeRecognizer::observations(c.image)).isEmpty());
    }
}

TEST(QRCodeDetectorTest, SelectionThatKeepsChangingIsScannedOnceAfterItSettles) {
    if (!haveQrencode()) {
        GTEST_SKIP() << "qrencode is not installed";
    }
    const QImage first = scene({400, 300}, {{"first selection", {100, 60}}});
    const QImage second = scene({400, 300}, {{"second selection", {100, 60}}});
    QRCodeDetector detector;
    Recorder recorder(detector);
    int crops = 0;
    const auto cropOf = [&crops](const QImage& image) {
        return [&crops, image] {
            ++crops;
            return image;
        };
    };

    detector.schedule({0, 0, 400, 300}, cropOf(first));
    spin(60);
    // The selection moves within the debounce: the first scan never starts.
    detector.cancel();
    QElapsedTimer sinceSchedule;
    sinceSchedule.start();
    detector.schedule({10, 0, 400, 300}, cropOf(second));
    spin(60);
    // The debounce timer may fire a little early; only a clearly early scan is a fault.
    if (sinceSchedule.elapsed() < 160) {
        EXPECT_EQ(recorder.started, 0);
    }
    EXPECT_TRUE(detector.isBusy());
    ASSERT_TRUE(spinUntil([&] { return !recorder.finished.empty(); }));
    EXPECT_EQ(recorder.started, 1);
    EXPECT_EQ(recorder.finished.front(), QStringList{QStringLiteral("second selection")});
    EXPECT_EQ(detector.payloads(), QStringList{QStringLiteral("second selection")});
    EXPECT_FALSE(detector.isBusy());

    // Releasing the same rectangle again (after an annotation, say) neither crops nor rescans.
    detector.schedule({10, 0, 400, 300}, cropOf(first));
    spin(300);
    EXPECT_EQ(crops, 2);
    EXPECT_EQ(recorder.started, 1);
    EXPECT_EQ(detector.payloads(), QStringList{QStringLiteral("second selection")});
}

TEST(QRCodeDetectorTest, ChangesDuringAScanDropItsResult) {
    if (!haveQrencode()) {
        GTEST_SKIP() << "qrencode is not installed";
    }
    const QImage withCode = scene({1200, 800}, {{"stale", {500, 300}}});
    const QImage other = scene({400, 300}, {{"fresh", {100, 60}}});
    const struct {
        const char* name;
        bool rescheduled;
        std::vector<QStringList> expected;
    } cases[] = {
        {"selection cleared", false, {}},
        {"selection moved", true, {{QStringLiteral("fresh")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Keeps the one worker busy so that the detector's scan is still out when the selection changes.
        QFuture<QStringList> blocker = QRCodeRecognizer::recognize(noise(2400, 1600));
        QRCodeDetector detector;
        Recorder recorder(detector);
        detector.schedule({0, 0, 1200, 800}, [&] { return withCode; });
        ASSERT_TRUE(spinUntil([&] { return recorder.started == 1; }));
        detector.cancel();
        EXPECT_FALSE(detector.scannedSelection());
        EXPECT_TRUE(detector.payloads().isEmpty());
        if (c.rescheduled) {
            detector.schedule({5, 5, 400, 300}, [&] { return other; });
            ASSERT_TRUE(spinUntil([&] { return !recorder.finished.empty(); }));
        }
        // Long enough for the first scan to have come back had it not been dropped.
        spin(400);
        EXPECT_EQ(recorder.finished, c.expected);
        EXPECT_EQ(detector.payloads(), c.expected.empty() ? QStringList() : c.expected.front());
        blocker.waitForFinished();
    }
}

TEST(QRCodeDetectorTest, NoImageNoScan) {
    QRCodeDetector detector;
    Recorder recorder(detector);
    detector.schedule({0, 0, 10, 10}, [] { return QImage(); });
    EXPECT_FALSE(detector.isBusy());
    EXPECT_FALSE(detector.scannedSelection());
    spin(250);
    EXPECT_EQ(recorder.started, 0);
}

TEST(QRCodeDetectorTest, DestroyedDuringAScanIsSafe) {
    if (!haveQrencode()) {
        GTEST_SKIP() << "qrencode is not installed";
    }
    const QImage image = scene({1200, 800}, {{"gone", {500, 300}}});
    int started = 0;
    {
        QRCodeDetector detector;
        QObject::connect(&detector, &QRCodeDetector::scanStarted, [&started] { ++started; });
        detector.schedule({0, 0, 1200, 800}, [&] { return image; });
        ASSERT_TRUE(spinUntil([&] { return started == 1; }));
    }
    // The worker finishes with nobody left to tell; the next request is still served.
    EXPECT_EQ(QRCodeRecognizer::recognize(scene({400, 300}, {{"next", {100, 60}}})).result(),
              QStringList{QStringLiteral("next")});
}
