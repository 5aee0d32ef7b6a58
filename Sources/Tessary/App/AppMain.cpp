#include "App/AppMain.h"

#include "App/AppDelegate.h"
#include "App/AppIdentity.h"
#include "App/SingleInstance.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string_view>

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
    "described in README.md.\n";

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
        if (std::strncmp(argv[i], "--dev-", 6) == 0) {
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
    const bool scripted = hasDevSwitch(argc, argv);
    if (!scripted) {
        const auto request = hasArgument(argc, argv, "--capture-now") ? SingleInstance::Request::captureNow
                                                                      : SingleInstance::Request::activate;
        if (SingleInstance::forward(request)) {
            return 0;
        }
    }

    QApplication app(argc, argv);
    AppIdentity::install();
    QApplication::setQuitOnLastWindowClosed(false);

    AppDelegate delegate(QApplication::arguments());
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
