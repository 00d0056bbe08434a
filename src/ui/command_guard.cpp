#include "ui/command_guard.h"

#include "store/database.h"
#include "ui/message_box.h"

#include <QWidget>

namespace tarnvel {

bool runCommand(QWidget *window, const std::function<void()> &command)
{
    QString failure;
    try {
        command();
        return true;
    } catch (const StoreError &error) {
        failure = error.message();
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    }
    if (window)
        window->unsetCursor();
    showMessage(failure, MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Tarnvel"), window);
    return false;
}

} // namespace tarnvel
