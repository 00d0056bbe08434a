#pragma once

// The catalogue of shaft steels in the store (table ShaftSteels): the rows
// seeded from the handbook tables, which stay, and the rows the user adds,
// which may be removed again. A new project leaves both as they are.

#include "analysis/shaft_check.h"

#include <QString>
#include <QVector>

#include <optional>

namespace tarnvel {

class Database;

// Every steel, catalogue rows first, each group in the order it was added.
QVector<ShaftSteel> shaftSteels(Database &db);
// One steel by its SteelID; none when there is no such row.
std::optional<ShaftSteel> shaftSteel(Database &db, qint64 steelId);
// Whether the row was typed by the user (and so may be removed).
bool isUserSteel(Database &db, qint64 steelId);

// What is wrong with a steel the user typed, in the words the user is shown:
// the first value outside its range, or an empty text when all are within.
QString shaftSteelFault(const ShaftSteel &steel);
// Adds the steel as a user row and returns its SteelID; its id is ignored.
// A steel with a fault is refused with StoreError carrying shaftSteelFault.
qint64 addShaftSteel(Database &db, const ShaftSteel &steel);
// Removes a user row. A catalogue row, or an id with no row, is refused with
// StoreError, and nothing is removed.
void removeShaftSteel(Database &db, qint64 steelId);

} // namespace tarnvel
