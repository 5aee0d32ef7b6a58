#include "Overlay/Session/PerfProbe.h"

#include "Foundation/Log.h"
#include "TessaryCore/PerfStatistics.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace {

double ms(double seconds) {
    return seconds * 1000;
}

std::vector<double> sorted(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values;
}

} // namespace

PerfProbe::State& PerfProbe::mutableState() {
    static State state;
    return state;
}

const PerfProbe::State& PerfProbe::state() {
    return mutableState();
}

double PerfProbe::now() {
    if (const auto& clock = state().clock) {
        return clock();
    }
    static QElapsedTimer timer;
    if (!timer.isValid()) {
        timer.start();
    }
    // Offset by one second so that 0 keeps meaning "never".
    return 1.0 + static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

void PerfProbe::start(long long frames, bool legacy, double canvasArea, double refreshRate,
                      std::optional<QString> outputPath, std::function<double()> clock) {
    State& s = mutableState();
    s = State{};
    s.clock = std::move(clock);
    s.expected = frames;
    s.legacy = legacy;
    s.canvasArea = canvasArea <= 1 ? 1 : canvasArea;
    s.frameBudgetMs = 1000.0 / std::max(refreshRate, 1.0);
    s.outputPath = std::move(outputPath);
    s.lastDrawAt = 0;
    s.startedAt = now();
    s.reported = false;
    const QString path =
        legacy ? QStringLiteral("优化前（每帧全屏重画）") : QStringLiteral("优化后（图层 + 脏矩形）");
    emit(QString::asprintf("性能探针：开始，目标 %lld 帧，绘制路径＝%s，屏幕刷新率 %.0f Hz（帧预算 %.2f ms）",
                           frames, path.toUtf8().constData(), refreshRate, s.frameBudgetMs),
         false);
}

void PerfProbe::reset() {
    mutableState() = State{};
}

bool PerfProbe::isRecording() {
    const State& s = mutableState();
    return s.expected > 0 && !s.reported;
}

void PerfProbe::record(double duration, double dirtyArea, std::optional<double> legacyDuration) {
    State& s = mutableState();
    if (s.expected <= 0 || s.reported) {
        return;
    }
    const double t = now();
    if (s.lastDrawAt > 0) {
        s.intervals.push_back(ms(t - s.lastDrawAt));
    }
    s.lastDrawAt = t;
    s.durations.push_back(duration);
    s.dirtyAreas.push_back(dirtyArea);
    if (legacyDuration) {
        s.legacyDurations.push_back(*legacyDuration);
    }
    if (static_cast<long long>(s.durations.size()) >= s.expected) {
        report();
    }
}

QStringList PerfProbe::reportLines(const State& s, double now) {
    using tessary::PerfStatistics::mean;
    using tessary::PerfStatistics::percentile;
    QStringList lines;
    const auto count = static_cast<long long>(s.durations.size());
    if (count < 10) {
        lines << QStringLiteral("性能探针：只采到 ") + QString::number(count) +
                     QStringLiteral(" 帧，样本不足，本次不报告。");
        return lines;
    }
    const std::vector<double> durations = sorted(s.durations);
    const std::vector<double> areas = sorted(s.dirtyAreas);
    const double areaP50 = percentile(areas, 0.5);
    const auto fullFrames = std::count_if(s.dirtyAreas.begin(), s.dirtyAreas.end(),
                                          [&](double area) { return area >= 0.99 * s.canvasArea; });
    const QByteArray path = (s.legacy ? QStringLiteral("优化前") : QStringLiteral("优化后")).toUtf8();
    lines << QString::asprintf(
        "性能探针：%lld 帧　绘制路径＝%s　耗时 平均 %.2f / p50 %.2f / p95 %.2f / 最大 %.2f ms　"
        "脏区 p50 %.0f 平方点（%.1f%%）　整屏帧 %lld 个",
        count, path.constData(), ms(mean(durations)), ms(percentile(durations, 0.5)),
        ms(percentile(durations, 0.95)), ms(percentile(durations, 1)), areaP50, areaP50 / s.canvasArea * 100,
        static_cast<long long>(fullFrames));
    if (s.intervals.size() >= 10) {
        const std::vector<double> intervals = sorted(s.intervals);
        const auto over = std::count_if(intervals.begin(), intervals.end(),
                                        [&](double interval) { return interval > s.frameBudgetMs; });
        double busy = 0;
        for (double d : s.durations) {
            busy += d;
        }
        lines << QString::asprintf(
            "　　　　　　帧间隔 p50 %.2f / p95 %.2f / 最大 %.2f ms　超帧预算(%.2f ms)的帧占 %.1f%%"
            "（%lld/%lld）　主线程被重绘占用 %.1f%%",
            percentile(intervals, 0.5), percentile(intervals, 0.95), percentile(intervals, 1),
            s.frameBudgetMs, static_cast<double>(over) / static_cast<double>(intervals.size()) * 100,
            static_cast<long long>(over), static_cast<long long>(intervals.size()),
            busy / std::max(now - s.startedAt, 0.001) * 100);
    }
    if (!s.legacyDurations.empty()) {
        const std::vector<double> legacy = sorted(s.legacyDurations);
        const double legacyMean = ms(mean(legacy));
        lines << QString::asprintf(
            "　　　　　　其中「全屏底图 + 遮罩」占 平均 %.2f / p50 %.2f / p95 %.2f / 最大 %.2f "
            "ms（约占总耗时的 %.0f%%）",
            legacyMean, ms(percentile(legacy, 0.5)), ms(percentile(legacy, 0.95)), ms(percentile(legacy, 1)),
            legacyMean / std::max(ms(mean(durations)), 0.0001) * 100);
    }
    return lines;
}

void PerfProbe::report() {
    State& s = mutableState();
    if (s.reported) {
        return;
    }
    s.reported = true;
    for (const QString& line : reportLines(s, now())) {
        emit(line, true);
    }
}

void PerfProbe::emit(const QString& text, bool append) {
    Log::info(text);
    const std::optional<QString>& path = mutableState().outputPath;
    if (!path || path->isEmpty()) {
        return;
    }
    const QByteArray line = text.toUtf8() + '\n';
    if (append) {
        QFile file(*path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            file.write(line);
            return;
        }
    }
    QSaveFile file(*path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(line);
        file.commit();
    }
}
