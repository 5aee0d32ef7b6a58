#include "App/AppIdentity.h"
#include "Foundation/Log.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Qt tests need one application object for the whole process; offscreen and the Fake backend
// unless told otherwise. Settings go to a private folder so tests never see the user's.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (qEnvironmentVariableIsEmpty("TESSARY_PLATFORM")) {
        qputenv("TESSARY_PLATFORM", "fake");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    AppIdentity::install();
    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    Log::setFilePath(QString());
    return RUN_ALL_TESTS();
}
