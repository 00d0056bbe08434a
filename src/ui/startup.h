#pragma once

#include "ui/main_window.h"

#include <memory>

namespace tarnvel {

// The program's start: splash window, store, main window. The store lives in
// storeDirectory (the program's own directory; tests pass a temporary one)
// and is created there on the very first start. Returns the shown main
// window, or nothing when the store could not be opened; the user has then
// been told why and the file was left as it was.
std::unique_ptr<frmMain> startUp(ProgramState &state, const QString &storeDirectory);

} // namespace tarnvel
