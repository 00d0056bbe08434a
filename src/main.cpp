#include "ui/batch_report.h"
#include "ui/startup.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Without arguments: the program. With --report: the batch report, no window.
    const bool help = argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
    const bool batch = argc > 1 && std::strcmp(argv[1], "--report") == 0;
    if (argc > 1 && !help && !batch) {
        std::fputs(tarnvel::batchUsage().toUtf8().constData(), stderr);
        return tarnvel::BatchFileError;
    }
    if (help) {
        std::fputs(tarnvel::batchUsage().toUtf8().constData(), stdout);
        return 0;
    }
    if (batch && argc != 4) {
        std::fputs(tarnvel::batchUsage().toUtf8().constData(), stderr);
        return tarnvel::BatchFileError;
    }
    if (batch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnvel"));

    if (batch) {
        return tarnvel::runBatchReport(QCoreApplication::applicationDirPath(), QString::fromLocal8Bit(argv[2]),
                                       QString::fromLocal8Bit(argv[3]));
    }
    tarnvel::ProgramState state;
    std::unique_ptr<tarnvel::frmMain> window = tarnvel::startUp(state, QCoreApplication::applicationDirPath());
    if (!window)
        return 1;
    return QApplication::exec();
}
