#include "App/AppMain.h"

#include "App/AppDelegate.h"
#include "App/AppIdentity.h"
#include "App/SingleInstance.h"
#include "Platform/Platform.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr const char* usage =
    "Usage: tessary [--capture-now] [--dev-...]\n"
    "\n"
    "Tessary lives in the system tray. Press the capture hot key (Ctrl+Alt+A unless you chose\n"
    "another) or use the tray menu to freeze every display and select a region.\n"
    "\n"
    "  --capture-now     start a capture at once (hands it to the running Tessary if there is one)\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "\n"
    "Developer switches for scripted runs (--dev-demo-selection, --dev-selection-rect=x,y,w,h,\n"
    "--dev-auto-action=confirm|save|pin|ocr|scroll|translate, --dev-save-to=PATH, ...) are\n"
    "described in tessary(1).\n";

bool hasArgument(int argc, char** argv, std::string_view wanted) {
    for (int i = 1; i < argc; ++i) {
        if (wanted == argv[i]) {
            return true;
        }
    }
    return false;
}

bool hasDevSwitch(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).starts_with("--dev-")) {
            return true;
        }
    }
    return false;
}

} // namespace

namespace AppMain {

int run(int argc, char** argv) {
    if (hasArgument(argc, argv, "--help")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (hasArgument(argc, argv, "--version")) {
        std::printf("tessary %s\n", TESSARY_VERSION);
        return 0;
    }
    // Scripted runs are self-contained: they neither hand over to nor serve another instance.
    // The launcher has usually tried to forward already; asking again covers an instance that
    // started in between.
    const bool scripted = hasDevSwitch(argc, argv);
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    if (const auto request = tessary::InstanceForwarding::requestToForward(arguments)) {
        if (tessary::InstanceForwarding::forward(*request, tessary::InstanceForwarding::socketPath())) {
            return 0;
        }
    }

    // X names windows after argv[0]; the launcher keeps "tessary" there, but a restart or a direct
    // start runs tessary-app, and window-manager rules must keep matching either way.
    if (!qEnvironmentVariableIsSet("RESOURCE_NAME")) {
        qputenv("RESOURCE_NAME", "tessary");
    }
    QApplication app(argc, argv);
    AppIdentity::install();
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<Platform> platform = Platform::createDefault();
    AppDelegate delegate(QApplication::arguments(), *platform);
    SingleInstance instance;
    if (!scripted) {
        instance.listen();
        QObject::connect(&instance, &SingleInstance::requestReceived, &delegate,
                         [&delegate](SingleInstance::Request request) {
                             if (request == SingleInstance::Request::captureNow) {
                                 delegate.startCapture();
                             }
                         });
    }
    QTimer::singleShot(0, &delegate, [&delegate] { delegate.applicationDidFinishLaunching(); });
    return app.exec();
}

} // namespace AppMain
