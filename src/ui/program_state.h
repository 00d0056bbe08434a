#pragma once

#include "scheme/load_modes.h"
#include "scheme/mesh_forces.h"
#include "store/database.h"

#include <QString>

#include <memory>

namespace tarnvel {

// What the program keeps for the whole run, shared by the main window and the
// dialogs it opens.
struct ProgramState
{
    QString storeDirectory; // where TarnvelN.mdb lives
    Workspace workspace;
    std::unique_ptr<Database> db; // the current database

    QString strViewKey;         // pending view key, consumed by the next LV_Click
    bool blnIncomplete = false; // the last input step or computation did not complete
    bool blnBearingDone = false;
    double dblEqSpeed = 0;      // Σ Speed·Coeff over the modes
    ModeList modes;             // the working list of modes of the load dialogs

    Database &database()
    {
        if (!db || !db->isOpen())
            throw StoreError(QStringLiteral("База данных не открыта"));
        return *db;
    }
};

} // namespace tarnvel
