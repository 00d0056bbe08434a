#pragma once

#include "analysis/calculation.h"
#include "scheme/load_modes.h"
#include "scheme/mesh_forces.h"
#include "store/database.h"

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

    // The calculation of the current inputs. Every edit is a write to the
    // store, so while the store's change count stands where the last run
    // left it, that run's outcome is what a fresh one would give: a view
    // shown right after another (the reactions, then a bearing's result)
    // does not compute the shaft twice.
    const CalculationOutcome &calculate(const CalculationRequest &request = {})
    {
        Database &store = database();
        if (!last || last->store != store.identity() || last->changes != store.changeCount()
            || last->request.supportDistanceFirst != request.supportDistanceFirst
            || last->request.diagrams != request.diagrams) {
            last.reset();
            CalculationOutcome outcome = runCalculation(store, request);
            last = LastCalculation { store.identity(), store.changeCount(), request, std::move(outcome) };
        }
        return last->outcome;
    }

private:
    struct LastCalculation
    {
        quint64 store = 0; // Database::identity()
        qint64 changes = 0; // its changeCount() after the run
        CalculationRequest request;
        CalculationOutcome outcome;
    };
    std::optional<LastCalculation> last;
};

} // namespace tarnvel
