#include "FakePlatformScope.h"

#include "Overlay/Session/PerfProbe.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ProbeClock {
public:
    std::function<double()> function() {
        return [this] { return now; };
    }
    double now = 100;
};

QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(PerfProbe, ReportsDrawTimesDirtyAreasAndFrameIntervals) {
    FakePlatformScope scope;
    ProbeClock clock;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("perf.txt"));
    {
        QFile stale(path);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("an older report\n");
    }
    PerfProbe::start(20, false, 1000, 50, path, clock.function());
    // Draws of 1 … 20 ms every 25 ms; two of them repaint the whole canvas.
    for (int i = 1; i <= 20; ++i) {
        clock.now += 0.025;
        PerfProbe::record(i / 1000.0, i == 7 || i == 12 ? 1000 : 100);
    }
    EXPECT_FALSE(PerfProbe::isRecording()) << "the report is written once the frames are in";
    PerfProbe::record(0.5, 1000);
    const QStringList lines = fileLines(path);
    ASSERT_EQ(lines.size(), 3) << qPrintable(lines.join(QLatin1Char('\n')));
    EXPECT_EQ(lines[0], QStringLiteral("性能探针：开始，目标 20 帧，绘制路径＝优化后（图层 + "
                                       "脏矩形），屏幕刷新率 50 Hz（帧预算 20.00 ms）"));
    EXPECT_EQ(
        lines[1],
        QStringLiteral("性能探针：20 帧　绘制路径＝优化后　耗时 平均 10.50 / p50 11.00 / p95 19.00 / 最大 "
                       "20.00 ms　脏区 p50 100 平方点（10.0%）　整屏帧 2 个"));
    // 19 intervals of 25 ms, all over the 20 ms budget; 210 ms of drawing in 500 ms.
    EXPECT_EQ(
        lines[2],
        QStringLiteral("　　　　　　帧间隔 p50 25.00 / p95 25.00 / 最大 25.00 ms　超帧预算(20.00 ms)的帧占 "
                       "100.0%（19/19）　主线程被重绘占用 42.0%"));
    EXPECT_EQ(scope.logLines().mid(scope.logLines().size() - 3), lines) << "the log has the same lines";
}

TEST(PerfProbe, LegacyPathAddsTheBackdropShare) {
    FakePlatformScope scope;
    ProbeClock clock;
    PerfProbe::start(10, true, 0.5, 0, std::nullopt, clock.function());
    for (int i = 0; i < 10; ++i) {
        PerfProbe::record(0.004, 1, 0.003);
    }
    const QStringList lines = scope.logLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[lines.size() - 3],
              QStringLiteral("性能探针：开始，目标 10 帧，绘制路径＝优化前（每帧全屏重画），屏幕刷新率 0 "
                             "Hz（帧预算 1000.00 ms）"));
    EXPECT_TRUE(lines[lines.size() - 2].contains(QStringLiteral("整屏帧 10 个")))
        << "area 1 fills a canvas of 1";
    EXPECT_EQ(
        lines.last(),
        QStringLiteral("　　　　　　其中「全屏底图 + 遮罩」占 平均 3.00 / p50 3.00 / p95 3.00 / 最大 3.00 "
                       "ms（约占总耗时的 75%）"));
}

TEST(PerfProbe, TooFewFramesAreNotReportedAndNothingIsRecordedWhenOff) {
    FakePlatformScope scope;
    ProbeClock clock;
    PerfProbe::start(5, false, 100, 60, std::nullopt, clock.function());
    for (int i = 0; i < 4; ++i) {
        PerfProbe::record(0.001, 10);
    }
    PerfProbe::report();
    EXPECT_EQ(scope.logLines().last(), QStringLiteral("性能探针：只采到 4 帧，样本不足，本次不报告。"));
    EXPECT_EQ(PerfProbe::state().durations.size(), 4u);
    PerfProbe::record(0.001, 10);
    EXPECT_EQ(PerfProbe::state().durations.size(), 4u) << "nothing after the report";
    PerfProbe::start(0, false, 100, 60, std::nullopt);
    EXPECT_FALSE(PerfProbe::isRecording());
}
