#include "app/batch_report.h"
#include "platform/platform.h"
#include "store/store_location.h"
#include "ui/startup.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *g_program = "tarnvel";

// Exit code of the program when its window has no display to appear on.
constexpr int kNoDisplayStatus = 3;

// Said instead of Qt's platform-plugin failure when there is no display: in
// Russian and English, with the two ways to get the work done anyway.
QString noDisplayNotice(const QString &program)
{
    return QStringLiteral(
               "Tarnvel: окну программы нужен графический дисплей, а он недоступен.\n"
               "Расчёт можно сделать и без окна:\n"
               "  %1 --report СЦЕНАРИЙ.tvd ОТЧЁТ.htm\n"
               "или показать окно через VNC:\n"
               "  QT_QPA_PLATFORM=vnc %1\n"
               "и подключиться к этому компьютеру VNC-клиентом (порт 5900).\n"
               "\n"
               "Tarnvel: the window needs a display, and none is available.\n"
               "Work without the window:\n"
               "  %1 --report SCENARIO.tvd REPORT.htm\n"
               "or show the window over VNC:\n"
               "  QT_QPA_PLATFORM=vnc %1\n"
               "and connect a VNC viewer to this machine (port 5900).\n")
        .arg(program);
}

void sayNoDisplay()
{
    std::fputs(noDisplayNotice(QString::fromLocal8Bit(g_program)).toUtf8().constData(), stderr);
}

// A display that is named but cannot be reached ends Qt's start with a fatal
// platform-plugin message and an abort: the user gets our notice instead.
void startUpMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        sayNoDisplay();
        std::_Exit(kNoDisplayStatus);
    }
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void nameProgram()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tarnvel"));
}

} // namespace

int main(int argc, char *argv[])
{
    // Without arguments: the program. With a file: the program with that
    // scenario open (a file manager's double click). With --report: the
    // batch report, no window.
    const bool help = argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
    const bool batch = argc > 1 && std::strcmp(argv[1], "--report") == 0;
    const bool scenario = argc == 2 && argv[1][0] != '-' && argv[1][0] != '\0';
    if (argc > 1 && !help && !batch && !scenario) {
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
    g_program = argv[0];

    if (batch) {
        // The diagrams are drawn with text, which needs the GUI part of Qt,
        // but no window is ever shown.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        const QtMessageHandler usual = qInstallMessageHandler(startUpMessages);
        QGuiApplication app(argc, argv);
        qInstallMessageHandler(usual);
        nameProgram();
        // Qt's own reading of the command line: the names as the system gave
        // them, on Windows too.
        const QStringList arguments = QCoreApplication::arguments();
        return tarnvel::runBatchReport(tarnvel::locateStore(QCoreApplication::applicationDirPath()), arguments.value(2),
                                       arguments.value(3));
    }

    if (tarnvel::platform::displayMissing()) {
        sayNoDisplay();
        return kNoDisplayStatus;
    }
    const QtMessageHandler usual = qInstallMessageHandler(startUpMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(usual);
    nameProgram();
    const QString file = scenario ? QFileInfo(QCoreApplication::arguments().value(1)).absoluteFilePath() : QString();
    tarnvel::ProgramState state;
    std::unique_ptr<tarnvel::frmMain> window
        = tarnvel::startUp(state, tarnvel::locateStore(QCoreApplication::applicationDirPath()), file);
    if (!window)
        return 1;
    return QApplication::exec();
}
