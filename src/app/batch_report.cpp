#include "app/batch_report.h"

#include "analysis/calculation.h"
#include "files/file_names.h"
#include "files/report.h"
#include "files/scenario_file.h"
#include "platform/platform.h"
#include "store/store_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>

namespace tarnvel {

namespace {

void printError(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// A consistent snapshot of the user's store with its catalogue (bearings the
// user added included), or a fresh store when there is none or it cannot be
// read. The user's file is only read. The copy is thrown away after the
// report: nothing of it is flushed to the disk.
std::unique_ptr<Database> privateStore(const StoreLocation &store, const QString &work)
{
    constexpr Database::Durability throwaway = Database::Durability::Throwaway;
    QString own = store.directory.isEmpty() ? QString() : storePath(store.directory);
    if (!QFileInfo::exists(own))
        own = store.seed;
    if (!own.isEmpty() && QFileInfo::exists(own)) {
        try {
            Database::snapshot(own, storePath(work), throwaway);
            return openStore(storePath(work), throwaway);
        } catch (const StoreError &error) {
            printError(QStringLiteral("Tarnvel: %1\nРасчёт выполняется со встроенным каталогом.").arg(error.message()));
            QFile::remove(storePath(work));
        }
    }
    return openOrCreateStore(work, nullptr, throwaway);
}

// A batch killed midway leaves its work folder in the temporary directory.
// Each carries the id of its process: one whose process is gone is nobody's.
// A folder whose id a live process has taken over waits for a later run.
void removeAbandonedWorkFolders()
{
    static const QRegularExpression pattern(QStringLiteral("^Tarnvel-(\\d+)-.{6}$"));
    const QFileInfoList folders = QDir(QDir::tempPath()).entryInfoList(
        { QStringLiteral("Tarnvel-*") }, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo &folder : folders) {
        const QRegularExpressionMatch match = pattern.match(folder.fileName());
        const qint64 owner = match.hasMatch() ? match.captured(1).toLongLong() : 0;
        if (!platform::ownedByUser(folder) || !platform::processGone(owner))
            continue;
        QDir(folder.absoluteFilePath()).removeRecursively();
    }
}

QString workFolderTemplate()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("Tarnvel-%1-XXXXXX").arg(QCoreApplication::applicationPid()));
}

} // namespace

QString batchUsage()
{
    return QStringLiteral(
        "Использование:\n"
        "  tarnvel                                   открыть программу\n"
        "  tarnvel СЦЕНАРИЙ.tvd                      открыть программу со сценарием расчёта\n"
        "  tarnvel --report СЦЕНАРИЙ.tvd ОТЧЁТ.htm   рассчитать сценарий и записать отчёт без окон\n"
        "  tarnvel --help                            эта справка\n"
        "\n"
        "Отчёт пишется вместе с папкой рисунков эпюр <имя>.files. Расчёт идёт на копии базы данных:\n"
        "открытый в программе сценарий не меняется. Сообщения выводятся в стандартный поток ошибок;\n"
        "опора без выбранного подшипника остаётся без подшипника.\n"
        "Код завершения: 0 - отчёт записан, 1 - расчёт остановлен из-за недостающих данных,\n"
        "2 - файл не удалось прочитать или записать.\n");
}

int runBatchReport(const StoreLocation &store, const QString &scenarioFile, const QString &reportFile)
{
    const QString file = withExtension(QFileInfo(reportFile).absoluteFilePath(), QStringLiteral(".htm"));
    const QString folder = QFileInfo(file).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        printError(QStringLiteral("Отчёт не сохранён: папка %1 не существует.").arg(QDir::toNativeSeparators(folder)));
        return BatchFileError;
    }
    if (platform::sameFile(file, scenarioFile)) {
        printError(QStringLiteral("Отчёт не сохранён: файл %1 - это сценарий расчёта, отчёт записался бы на его место.")
                       .arg(QDir::toNativeSeparators(file)));
        return BatchFileError;
    }
    removeAbandonedWorkFolders();
    QTemporaryDir work(workFolderTemplate());
    if (!work.isValid()) {
        printError(QStringLiteral("Tarnvel: нет временной папки для расчёта."));
        return BatchFileError;
    }
    QString error;
    const std::optional<Scenario> scenario = loadScenarioFile(scenarioFile, &error);
    if (!scenario) {
        printError(QStringLiteral("Сценарий не открыт из файла %1:\n%2").arg(QDir::toNativeSeparators(scenarioFile), error));
        return BatchFileError;
    }

    try {
        std::unique_ptr<Database> db = privateStore(store, work.path());
        QStringList notes;
        {
            Database::Transaction transaction(*db);
            emptyScenario(*db);
            writeScenarioToStore(*db, *scenario, &notes);
            transaction.commit();
        }
        for (const QString &note : std::as_const(notes))
            printError(note);
        // A support whose bearing this installation's catalogue lacks would
        // be reported without its life, as if none had been chosen.
        const SchemeInputs inputs = readScheme(*db);
        for (int side = 0; side < 2; ++side) {
            if (scenario->bearings[side].bearingId > 0 && !inputs.supports.at(static_cast<std::size_t>(side)).settings)
                return BatchIncomplete;
        }
        CalculationRequest request;
        request.diagrams = true;
        const Calculation results = calculate(inputs, request);
        storeResults(*db, results);
        if (results.missing) {
            printError(results.missing->message);
            return BatchIncomplete;
        }
        for (const SupportResult &support : results.supports) {
            const QString problem = support.chosen ? bearingLifeProblem(support.result.factors, support.settings.alpha) : QString();
            if (!problem.isEmpty())
                printError(problem);
        }
        ReportSettings settings;
        settings.reportFile = file;
        settings.locale = QLocale();
        if (!writeCalculationReport(inputs, results, settings, &error)) {
            printError(QStringLiteral("Отчёт не сохранён в файле %1:\n%2").arg(QDir::toNativeSeparators(file), error));
            return BatchFileError;
        }
    } catch (const std::exception &failure) {
        printError(QString::fromUtf8(failure.what()));
        return BatchFileError;
    }
    std::printf("%s\n", QStringLiteral("Отчёт сохранён в файле: %1").arg(QDir::toNativeSeparators(file)).toUtf8().constData());
    return BatchWritten;
}

} // namespace tarnvel
