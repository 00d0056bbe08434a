#pragma once

#include <functional>

class QDialog;

namespace tarnvel {

// Shows a dialog modally and returns its result. Tests put a driver in the
// way: the dialog is then shown without a nested event loop and the driver
// works it (types, clicks, closes) before this returns.
int runModal(QDialog &dialog);

using ModalDriver = std::function<void(QDialog &)>;
void setModalDriver(ModalDriver driver);

} // namespace tarnvel
