#include "ui/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnvel"));

    tarnvel::ProgramState state;
    std::unique_ptr<tarnvel::frmMain> window = tarnvel::startUp(state, QCoreApplication::applicationDirPath());
    if (!window)
        return 1;
    return QApplication::exec();
}
