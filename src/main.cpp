#include "ui/batch_report.h"
#include "ui/startup.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *g_program = "tarnvel";

void sayNoDisplay()
{
    std::fputs(tarnvel::noDisplayNotice(QString::fromLocal8Bit(g_program)).toUtf8().constData(), stderr);
}

// On X11 and Wayland a window needs one of these; the other platforms
// (offscreen, vnc, ...) are chosen by QT_QPA_PLATFORM.
bool displayMissing()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

// A display that is named but cannot be reached ends Qt's start with a fatal
// platform-plugin message and an abort: the user gets our notice instead.
void startUpMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        sayNoDisplay();
        std::_Exit(tarnvel::kNoDisplayStatus);
    }
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

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
    g_program = argv[0];
    if (!batch && displayMissing()) {
        sayNoDisplay();
        return tarnvel::kNoDisplayStatus;
    }

    const QtMessageHandler usual = qInstallMessageHandler(startUpMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(usual);
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
