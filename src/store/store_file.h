#pragma once

#include "store/database.h"

#include <QFileInfo>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tarnvel {

QString storePath(const QString &directory);     // <directory>/TarnvelN.mdb
QString temporaryPath(const QString &directory); // <directory>/TarnvelN.tmp
QString windowLockPath(const QString &directory); // <directory>/TarnvelN.lock

// The window's claim on the store of a directory, held while the window
// lives. Two windows on one store would each write it behind the other's back
// and lose edits silently, so a second one is refused with StoreError
// (Fault::InUse) naming the store. The claim is a lock file the system ties
// to the process: a program that crashed leaves a stale one, which the next
// start takes over. A folder that cannot take the lock file gives no claim
// and no error (the store cannot be written there either, and opening it
// says so). The batch report never claims: it works on its own copy.
std::unique_ptr<QLockFile> claimStoreForWindow(const QString &directory);

// One line of the catalogue's CSV files into fields; a field may be quoted,
// with its inner quotes doubled.
QStringList csvFields(const QString &line);

// The thirteen tables every store has. An older store may lack a later
// table (RequiredLife, ShaftSteels): opening it adds that.
const QStringList &storeTables();
// The tables of the open scenario, in the order a new project empties them.
const QStringList &scenarioTables();

// Creates a store with the whole schema and the catalogue at path, which must
// not exist. On failure nothing is left behind.
void createStore(const QString &path, Database::Durability durability = Database::Durability::Durable);

// Opens the store at path. A file that is not a Tarnvel store (not a database,
// damaged, or without the store's tables) is refused untouched.
std::unique_ptr<Database> openStore(const QString &path,
                                    Database::Durability durability = Database::Durability::Durable);

// Whether the user may write the file or folder as its permissions are set:
// the bits count, not only what the system would allow (an administrator may
// write anywhere, but a file marked read-only is meant to stay as it is).
bool userMayWrite(const QFileInfo &info);

// Start-up: opens the store of the directory, creating it first when the file
// does not exist yet: from the catalogue of the store at seed when one is
// given and can be read (its scenario and results are not taken), otherwise
// with the built-in catalogue, and then notice says why the seed was not used. A compaction that was interrupted may have left the
// temporary file: when the store did not survive and the copy is sound, the
// store is taken back from it and notice tells the user so; otherwise the
// copy is removed. A read-only folder or store file is refused with a
// message saying so.
std::unique_ptr<Database> openOrCreateStore(const QString &directory, QString *notice = nullptr,
                                            Database::Durability durability = Database::Durability::Durable,
                                            const QString &seed = QString());

using Compactor = std::function<void(const QString &source, const QString &destination)>;
using StatusText = std::function<void(const QString &)>;

// Deletes the rows of the seven scenario tables; the caller decides whether
// that is a transaction of its own or part of a larger one.
void emptyScenario(Database &db);

// The compaction of the store file: compact into the temporary file, flush
// it, close the store, rename the copy over it, reopen. A failure leaves the
// store as it was; db is open again on return, also after a failure.
void compactStore(std::unique_ptr<Database> &db, const QString &directory, const StatusText &status,
                  const Compactor &compact = &Database::compact);

// The store's part of a new project: empties the scenario tables, then
// compacts the store. status receives the texts the user sees meanwhile.
// db is open again on return, also after a failure.
void newProjectStore(std::unique_ptr<Database> &db, const QString &directory, const StatusText &status,
                     const Compactor &compact = &Database::compact);

} // namespace tarnvel
