#pragma once

#include "store/database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tarnvel {

QString storePath(const QString &directory);     // <directory>/TarnvelN.mdb
QString temporaryPath(const QString &directory); // <directory>/TarnvelN.tmp

// The thirteen tables every store has.
const QStringList &storeTables();
// The tables of the open scenario, in the order a new project empties them.
const QStringList &scenarioTables();

// Creates a store with the whole schema and the catalogue at path, which must
// not exist. On failure nothing is left behind.
void createStore(const QString &path);

// Opens the store at path. A file that is not a Tarnvel store (not a database,
// damaged, or without the store's tables) is refused untouched.
std::unique_ptr<Database> openStore(const QString &path);

// Start-up: opens the store of the directory, creating it first when the file
// does not exist yet.
std::unique_ptr<Database> openOrCreateStore(const QString &directory);

using Compactor = std::function<void(const QString &source, const QString &destination)>;
using StatusText = std::function<void(const QString &)>;

// Deletes the rows of the seven scenario tables; the caller decides whether
// that is a transaction of its own or part of a larger one.
void emptyScenario(Database &db);

// The compaction of the store file: close, copy to the temporary file,
// delete, compact the copy into a new store, reopen. A failure after the
// store was deleted puts it back from the copy before the error is passed
// on; db is open again on return, also after a failure.
void compactStore(std::unique_ptr<Database> &db, const QString &directory, const StatusText &status,
                  const Compactor &compact = &Database::compact);

// The store's part of a new project: empties the scenario tables, then copies
// the store to the temporary file, deletes it, compacts the copy into a new
// store and reopens it. status receives the texts the user sees meanwhile.
// When anything fails after the store was deleted, the store is put back from
// the temporary copy before the error is passed on, so the user's data is
// never left only in the temporary file. db is open again on return, also
// after a failure.
void newProjectStore(std::unique_ptr<Database> &db, const QString &directory, const StatusText &status,
                     const Compactor &compact = &Database::compact);

} // namespace tarnvel
