#include "ui/startup.h"

#include "store/store_file.h"
#include "ui/command_guard.h"
#include "ui/message_box.h"
#include "ui/splash_window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace tarnvel {

std::unique_ptr<frmMain> startUp(ProgramState &state, const StoreLocation &store, const QString &scenarioFile)
{
    const QString &storeDirectory = store.directory;
    auto splash = std::make_unique<frmSplash>(frmSplash::Role::Splash);
    splash->show();
    QApplication::processEvents();

    state.storeDirectory = storeDirectory;
    state.workspace = Workspace{};
    QString recovered;
    try {
        makeStoreDirectory(store);
        state.storeLock = claimStoreForWindow(storeDirectory);
        state.db = openOrCreateStore(storeDirectory, &recovered, Database::Durability::Durable, store.seed);
    } catch (const StoreError &error) {
        state.storeLock.reset();
        splash->close();
        if (error.fault() == StoreError::Fault::InUse)
            showMessage(error.message(), MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Tarnvel"));
        else
            showMessage(QStringLiteral("Не удалось открыть базу данных %1.\n%2")
                            .arg(QDir::toNativeSeparators(QFileInfo(storePath(storeDirectory)).absoluteFilePath()),
                                 error.message()),
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
    if (!scenarioFile.isEmpty()) {
        frmMain *shown = window.get();
        runCommand(shown, [shown, &scenarioFile] { shown->openScenario(scenarioFile); });
    }
    return window;
}

} // namespace tarnvel
