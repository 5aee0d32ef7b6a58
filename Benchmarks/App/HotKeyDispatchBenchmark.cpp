#include "HotKeys/HotKeyController.h"
#include "Platform/Fake/FakePlatform.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

// From the backend reporting a press to the capture action running: the hop through the
// registration table and the queued call onto the next loop turn. The X11 end-to-end test measures
// the same path from a real key event.
static void BM_HotKeyPressToAction(benchmark::State& state) {
    Platform::setInstanceForTesting(std::make_unique<FakePlatform>());
    FakeGlobalHotKeys& hotKeys = FakePlatform::current()->fakeGlobalHotKeys();
    int actions = 0;
    HotKeyController controller([&] { ++actions; });
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
    Platform::setInstanceForTesting(nullptr);
}
BENCHMARK(BM_HotKeyPressToAction);
