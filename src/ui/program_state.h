#pragma once

#include "analysis/calculation.h"
#include "scheme/load_modes.h"
#include "scheme/mesh_forces.h"
#include "store/database.h"

#include <QLockFile>
#include <QString>

#include <memory>
#include <optional>

namespace tarnvel {

// What the program keeps for the whole run, shared by the main window and the
// dialogs it opens.
struct ProgramState
{
    QString storeDirectory; // where TarnvelN.mdb lives
    Workspace workspace;
    std::unique_ptr<Database> db; // the current database
    std::unique_ptr<QLockFile> storeLock; // this window's claim on the store

    QString strViewKey;         // pending view key, consumed by the next LV_Click
    bool blnIncomplete = false; // the last input step or computation did not complete
    bool blnBearingDone = false;
    ModeList modes;             // the working list of modes of the load dialogs

    Database &database()
    {
        if (!db || !db->isOpen())
            throw StoreError(QStringLiteral("База данных не открыта"));
        return *db;
    }

    // The calculation of the current inputs, with the inputs it was made
    // from. While the store stands at the version the last calculation left
    // it (no write of ours that stood, no other program's commit), that
    // calculation is what a fresh one would give: a view shown right after
    // another (the reactions, then a bearing's result) does not compute the
    // shaft twice.
    const Calculation &calculate(const CalculationRequest &request = {})
    {
        Database &store = database();
        if (!last || last->version != store.version() || !(last->request == request)) {
            last.reset();
            SchemeInputs inputs = readScheme(store);
            Calculation calculation = tarnvel::calculate(inputs, request);
            storeResults(store, calculation);
            last = LastCalculation { store.version(), request, std::move(inputs), std::move(calculation) };
        }
        return last->calculation;
    }
    // The inputs of the last calculation (call calculate() first).
    const SchemeInputs &inputs() const { return last->inputs; }

private:
    struct LastCalculation
    {
        Database::Version version; // the store's after the calculation was stored
        CalculationRequest request;
        SchemeInputs inputs;
        Calculation calculation;
    };
    std::optional<LastCalculation> last;
};

} // namespace tarnvel
