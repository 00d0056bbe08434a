#pragma once

#include <QString>

namespace tarnvel {

// Exit codes of the batch report.
enum BatchStatus { BatchWritten = 0, BatchIncomplete = 1, BatchFileError = 2 };

// Computes the scenario file and writes its report with the pictures, with no
// window shown, on a private copy of the store of storeDirectory (the user's
// open scenario is left alone). The messages the window would show go to
// standard error; a question is answered "No"; a dialog counts as closed
// without "OK".
int runBatchReport(const QString &storeDirectory, const QString &scenarioFile, const QString &reportFile);

// The text of --help.
QString batchUsage();

// Exit code of the program when its window has no display to appear on.
constexpr int kNoDisplayStatus = 3;

// Said instead of Qt's platform-plugin failure when there is no display: in
// Russian and English, with the two ways to get the work done anyway.
QString noDisplayNotice(const QString &program);

} // namespace tarnvel
