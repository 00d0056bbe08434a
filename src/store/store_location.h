#pragma once

#include <QString>

namespace tarnvel {

// Where this run keeps its store, TarnvelN.mdb.
//
// Portable: beside the program stands a store the user may write, or the
// program's folder is one the user may write and is not an installation's
// (it has no "../share/tarnvel" beside it). The store is in that folder, as
// in a build tree or an unpacked copy.
//
// Installed: otherwise (the program in /usr/bin, in a read-only folder, or in
// an installation's bin folder even when the user could write it). The store
// is in the user's data folder, QStandardPaths::AppDataLocation; a store
// beside the program is only the seed of a first start's catalogue.
struct StoreLocation
{
    enum class Mode { Portable, Installed };
    Mode mode = Mode::Portable;
    QString directory; // the folder of the store
    QString seed;      // installed: the store beside the program, when there is one

    static StoreLocation portable(const QString &directory) { return { Mode::Portable, directory, {} }; }
};

StoreLocation locateStore(const QString &programDirectory);

// Makes the store's folder when it does not exist yet (an installed
// program's first start); StoreError, naming the folder, when it cannot.
void makeStoreDirectory(const StoreLocation &location);

} // namespace tarnvel
