#include "Foundation/CoordinateSpace.h"
#include "Overlay/Session/OnScreenWindowList.h"
#include "Overlay/Session/ScreenCapturer.h"
#include "Platform/FrontmostWindow.h"
#include "Platform/Platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

// Checks against a real X server, run by capture_x11.sh: it starts Xvfb with two monitors and
// openbox, paints a known pattern on the root, opens probe windows and passes what it measured
// with the X tools in TESSARY_X11_* variables.

namespace {

// The driver's one backend, created once the application object exists.
Platform& platform() {
    static const std::unique_ptr<Platform> created = Platform::createDefault();
    return *created;
}

bool onPreparedServer() {
    return platform().name() == QLatin1String("x11") && qEnvironmentVariableIsSet("TESSARY_X11_FRAMES");
}

// The root pattern painted by paint_root.
QRgb rootPattern(int x, int y) {
    return qRgb(x & 0xff, y & 0xff, ((x >> 8) & 0xf) << 4 | ((y >> 8) & 0xf));
}

// "Name=x,y,w,h;Name=..." as measured on the window manager's frame windows.
QList<std::pair<QString, QRect>> measuredFrames() {
    QList<std::pair<QString, QRect>> frames;
    for (const QString& entry :
         qEnvironmentVariable("TESSARY_X11_FRAMES").split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList v = entry.section(QLatin1Char('='), 1).split(QLatin1Char(','));
        if (v.size() == 4) {
            frames.append({entry.section(QLatin1Char('='), 0, 0),
                           QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt())});
        }
    }
    return frames;
}

// Rectangles "x,y,w,h;..." covered by windows, where the root does not show.
QList<QRect> coveredAreas() {
    QList<QRect> areas;
    for (const QString& entry :
         qEnvironmentVariable("TESSARY_X11_COVERED").split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList v = entry.split(QLatin1Char(','));
        if (v.size() == 4) {
            areas.append(QRect(v[0].toInt(), v[1].toInt(), v[2].toInt(), v[3].toInt()));
        }
    }
    return areas;
}

} // namespace

TEST(X11Capture, GrabMatchesTheRootPatternOnEveryMonitorWithoutPointer) {
    ASSERT_TRUE(onPreparedServer()) << "run by capture_x11.sh";
    ScreenCapturer capturer(platform().displayCapture(), platform().capturePermission());
    const QList<CapturedDisplay> displays = capturer.captureAllDisplays();
    const QStringList names = qEnvironmentVariable("TESSARY_X11_MONITORS").split(QLatin1Char(','));
    ASSERT_EQ(displays.size(), names.size());
    const QList<QRect> covered = coveredAreas();
    ASSERT_FALSE(covered.isEmpty());
    const double expectedScale =
        qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0;
    for (int i = 0; i < displays.size(); ++i) {
        const CapturedDisplay& d = displays[i];
        ASSERT_TRUE(d.screen);
        EXPECT_EQ(d.screen->name(), names[i]);
        // With a Qt scale factor the image stays at the monitor's pixels (1920 x 1080 here).
        EXPECT_EQ(d.scale, expectedScale);
        ASSERT_EQ(d.image.size(), QSize(1920, 1080));
        EXPECT_EQ(d.image.size(), d.geometry.size() * expectedScale);
        EXPECT_EQ(d.frame, CoordinateSpace::fromQtGlobal(QRectF(d.geometry)));
        int mismatches = 0;
        int checked = 0;
        for (int y = 0; y < d.image.height(); y += 7) {
            for (int x = 0; x < d.image.width(); x += 5) {
                // Qt keeps a screen's top-left in X pixels, so image pixels sit at that offset.
                const QPoint global = d.geometry.topLeft() + QPoint(x, y);
                if (std::any_of(covered.begin(), covered.end(),
                                [&](const QRect& r) { return r.contains(global); })) {
                    continue;
                }
                ++checked;
                mismatches += d.image.pixel(x, y) != rootPattern(global.x(), global.y());
            }
        }
        EXPECT_EQ(mismatches, 0) << qPrintable(d.screen->name());
        EXPECT_GT(checked, 1920 * 1080 / 35 / 2) << qPrintable(d.screen->name());
    }
    // The pointer sits over the first monitor; every pixel around it is still the root's.
    const QStringList pointer = qEnvironmentVariable("TESSARY_X11_POINTER").split(QLatin1Char(','));
    ASSERT_EQ(pointer.size(), 2);
    const QPoint at(pointer[0].toInt(), pointer[1].toInt());
    int hidden = 0;
    for (int dy = -4; dy < 24; ++dy) {
        for (int dx = -4; dx < 24; ++dx) {
            hidden +=
                displays[0].image.pixel(at.x() + dx, at.y() + dy) != rootPattern(at.x() + dx, at.y() + dy);
        }
    }
    EXPECT_EQ(hidden, 0);
}

TEST(X11Capture, WindowListMatchesTheWindowManagersFrames) {
    ASSERT_TRUE(onPreparedServer()) << "run by capture_x11.sh";
    const std::vector<tessary::OnScreenWindow> windows =
        OnScreenWindowList::snapshot(platform().windowList());
    QStringList order;
    for (const tessary::OnScreenWindow& w : windows) {
        order.append(QString::fromStdString(w.appName));
    }
    for (const auto& [name, rect] : measuredFrames()) {
        const auto it = std::find_if(windows.begin(), windows.end(), [&](const tessary::OnScreenWindow& w) {
            return w.appName == name.toStdString();
        });
        ASSERT_NE(it, windows.end()) << qPrintable(name) << " missing from "
                                     << qPrintable(order.join(QLatin1Char(',')));
        EXPECT_EQ(it->frame, CoordinateSpace::fromQtGlobal(QRectF(rect))) << qPrintable(name);
    }
    for (const QString& name :
         qEnvironmentVariable("TESSARY_X11_ABSENT").split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        EXPECT_FALSE(order.contains(name)) << qPrintable(name);
    }
    // Front-most first: the listed probes appear in this relative order.
    const QStringList expectedOrder = qEnvironmentVariable("TESSARY_X11_ORDER").split(QLatin1Char(','));
    QStringList seen;
    for (const QString& name : order) {
        if (expectedOrder.contains(name)) {
            seen.append(name);
        }
    }
    EXPECT_EQ(seen, expectedOrder);
}

TEST(X11Capture, FrontmostWindowIsReadAndActivatedAgain) {
    ASSERT_TRUE(onPreparedServer()) << "run by capture_x11.sh";
    FrontmostWindow& frontmost = platform().frontmostWindow();
    const FrontmostWindow::Handle active = qEnvironmentVariable("TESSARY_X11_ACTIVE").toULongLong();
    const FrontmostWindow::Handle other = qEnvironmentVariable("TESSARY_X11_OTHER").toULongLong();
    ASSERT_NE(active, 0u);
    ASSERT_NE(other, 0u);
    EXPECT_EQ(frontmost.current(), active);

    frontmost.activate(other);
    QElapsedTimer timer;
    timer.start();
    while (frontmost.current() != other && timer.elapsed() < 3000) {
        QThread::msleep(20);
    }
    EXPECT_EQ(frontmost.current(), other);
    frontmost.activate(active);
    while (frontmost.current() != active && timer.elapsed() < 6000) {
        QThread::msleep(20);
    }
    EXPECT_EQ(frontmost.current(), active);
    // A window that no longer exists is ignored.
    EXPECT_NO_FATAL_FAILURE(frontmost.activate(0x7ffffff0));
}
