#pragma once

#include <functional>

class QWidget;

namespace tarnvel {

// Runs one user command. A store failure stops the command, not the program:
// the user sees the engine's message (critical icon, title "Tarnvel") and the
// window's pointer is set back to the default. Returns false after a failure.
bool runCommand(QWidget *window, const std::function<void()> &command);

} // namespace tarnvel
