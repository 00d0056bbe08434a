#pragma once

// The shared start of the test programs: offscreen windows at 96 dpi, a
// locale whose decimal separator is a comma (so that no number text may
// depend on it), and settings kept apart from the user's.

#include <QCoreApplication>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarnvel::test {

// Runs every test of the program inside an Application (QGuiApplication for
// the core's tests, QApplication for the window's); prepare, when given, runs
// once the application exists.
template <class Application, class Prepare>
int runTests(int argc, char **argv, Prepare prepare)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Application app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TarnvelTests"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnvel"));
    // ctest runs test processes side by side: each keeps its settings apart.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    prepare();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace tarnvel::test
