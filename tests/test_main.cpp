// Shared main of the test programs: offscreen windows at 96 dpi, a locale
// whose decimal separator is a comma (so that no number text may depend on
// it), settings kept apart from the user's, and no message box or dialog
// that could ever wait for a click.

#include "ui/message_box.h"
#include "ui/modal_dialog.h"

#include <QApplication>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_FONT_DPI", "96");
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TarnvelTests"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnvel"));
    // ctest runs test processes side by side: each keeps its settings apart.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    tarnvel::setMessageResponder([](const tarnvel::ShownMessage &message) {
        return message.buttons == tarnvel::MessageButtons::YesNo ? tarnvel::MessageAnswer::No
                                                                 : tarnvel::MessageAnswer::Ok;
    });
    // A dialog that no test drives is closed as by its close box.
    tarnvel::setModalDriver([](QDialog &) {});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
