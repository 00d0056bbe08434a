#include "ui/startup.h"

#include "store/store_file.h"
#include "ui/message_box.h"
#include "ui/splash_window.h"

#include <QApplication>

namespace tarnvel {

std::unique_ptr<frmMain> startUp(ProgramState &state, const QString &storeDirectory)
{
    auto splash = std::make_unique<frmSplash>(frmSplash::Role::Splash);
    splash->show();
    QApplication::processEvents();

    state.storeDirectory = storeDirectory;
    state.workspace = Workspace{};
    QString recovered;
    try {
        state.storeLock = claimStoreForWindow(storeDirectory);
        state.db = openOrCreateStore(storeDirectory, &recovered);
    } catch (const StoreError &error) {
        state.storeLock.reset();
        splash->close();
        if (error.fault() == StoreError::Fault::InUse)
            showMessage(error.message(), MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Tarnvel"));
        else
            showMessage(QStringLiteral("Не удалось открыть базу данных.\n%1").arg(error.message()),
                        MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Tarnvel"));
        return nullptr;
    }

    if (!recovered.isEmpty())
        showMessage(recovered, MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"));

    std::unique_ptr<frmMain> window;
    try {
        window = std::make_unique<frmMain>(state);
    } catch (const StoreError &error) {
        state.storeLock.reset();
        splash->close();
        showMessage(error.message(), MessageIcon::Critical, MessageButtons::Ok, QStringLiteral("Tarnvel"));
        return nullptr;
    }
    splash->close();
    window->show();
    return window;
}

} // namespace tarnvel
