#pragma once

#include "store/store_location.h"
#include "ui/main_window.h"

#include <memory>

namespace tarnvel {

// The program's start: splash window, store, main window. The store lives
// where store says (see locateStore; tests pass a temporary folder) and is
// created there on the very first start, its folder too. A scenario file
// given on the command line is then opened as "Файл → Открыть..." opens it:
// a file that cannot be read is told and leaves the calculation of the last
// run as it was. Returns the shown main window, or nothing when the store
// could not be opened; the user has then been told why and the file was left
// as it was.
std::unique_ptr<frmMain> startUp(ProgramState &state, const StoreLocation &store,
                                 const QString &scenarioFile = QString());

inline std::unique_ptr<frmMain> startUp(ProgramState &state, const QString &storeDirectory)
{
    return startUp(state, StoreLocation::portable(storeDirectory));
}

} // namespace tarnvel
