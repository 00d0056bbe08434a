#pragma once

#include <QUrl>

#include <functional>

namespace tarnvel {

// Hands a file or page to the desktop, which opens it in the program the user
// chose for its kind (a report page in the default browser). False when the
// desktop has no program for it.
bool openOnDesktop(const QUrl &url);

// Tests take the desktop's place: while an opener is set, nothing is opened
// and the opener's answer is returned. An empty function brings the desktop
// back.
using DesktopOpener = std::function<bool(const QUrl &)>;
void setDesktopOpener(DesktopOpener opener);

} // namespace tarnvel
