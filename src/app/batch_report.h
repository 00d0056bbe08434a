#pragma once

#include "store/store_location.h"

#include <QString>

namespace tarnvel {

// Exit codes of the batch report.
enum BatchStatus { BatchWritten = 0, BatchIncomplete = 1, BatchFileError = 2 };

// Computes the scenario file and writes its report with the pictures, with no
// window shown, on a private copy of the store (the user's open scenario is
// left alone; an installed program's first run, with no store of the user's
// yet, takes the seed beside the program or the built-in catalogue, and
// creates nothing). What went wrong, and the notes the scenario's
// reading leaves, go to standard error. Needs a QGuiApplication: the diagrams
// are drawn with text.
int runBatchReport(const StoreLocation &store, const QString &scenarioFile, const QString &reportFile);

// The text of --help.
QString batchUsage();

} // namespace tarnvel
