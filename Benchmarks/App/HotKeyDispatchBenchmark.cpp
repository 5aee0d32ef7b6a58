#include "HotKeys/HotKeyController.h"
#include "Platform/Fake/FakePlatform.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

// From the backend reporting a press to the capture action running: the queued hop onto the next
// loop turn. The X11 end-to-end test measures the same path from a real key event.
static void BM_HotKeyPressToAction(benchmark::State& state) {
    FakePlatform platform;
    FakeGlobalHotKeys& hotKeys = platform.fakeGlobalHotKeys();
    int actions = 0;
    HotKeyController controller(hotKeys, platform.systemShortcuts());
    QObject::connect(&controller, &HotKeyController::triggered, [&] { ++actions; });
    controller.activate();
    const auto combination = tessary::HotKeyCombination::defaultCombination();
    for (auto _ : state) {
        const int before = actions;
        hotKeys.press(combination);
        while (actions == before) {
            QCoreApplication::processEvents();
        }
    }
    state.SetItemsProcessed(actions);
}
BENCHMARK(BM_HotKeyPressToAction);
