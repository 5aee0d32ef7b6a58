#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Measures the overlay's redraws during a scripted pointer sweep and reports them to the log
// and, when asked, to a file. Process-wide, main thread only.
class PerfProbe {
public:
    struct State {
        long long expected = 0;
        bool legacy = false;
        double canvasArea = 1;
        double frameBudgetMs = 1000.0 / 60;
        std::optional<QString> outputPath;
        std::vector<double> durations;
        std::vector<double> dirtyAreas;
        std::vector<double> legacyDurations;
        std::vector<double> intervals;
        double lastDrawAt = 0;
        double startedAt = 0;
        bool reported = false;
        // Monotonic seconds; empty = the process clock.
        std::function<double()> clock;
    };

    // Resets the state for `frames` frames and emits the opening line (replacing the report file).
    // A clock (monotonic seconds) replaces the process's for this run.
    static void start(long long frames, bool legacy, double canvasArea, double refreshRate,
                      std::optional<QString> outputPath, std::function<double()> clock = {});
    // Stops measuring and forgets everything, without a report.
    static void reset();
    // Whether draws are being measured now.
    static bool isRecording();
    // One canvas draw: seconds spent, area redrawn (square points), and on the legacy path the
    // seconds spent on the frozen image and dimming.
    static void record(double duration, double dirtyArea,
                       std::optional<double> legacyDuration = std::nullopt);
    // Writes the summary once.
    static void report();
    // Logs `text`; appends it to (or, without `append`, replaces) the report file when one is set.
    static void emit(const QString& text, bool append);

    // The summary lines for a state at time `now` (seconds).
    static QStringList reportLines(const State& state, double now);
    static const State& state();

    // Monotonic seconds on the running probe's clock.
    static double now();

private:
    static State& mutableState();
};
