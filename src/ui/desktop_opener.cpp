#include "ui/desktop_opener.h"

#include <QDesktopServices>

namespace tarnvel {

namespace {
DesktopOpener &opener()
{
    static DesktopOpener instance;
    return instance;
}
} // namespace

void setDesktopOpener(DesktopOpener newOpener)
{
    opener() = std::move(newOpener);
}

bool openOnDesktop(const QUrl &url)
{
    if (opener())
        return opener()(url);
    return QDesktopServices::openUrl(url);
}

} // namespace tarnvel
