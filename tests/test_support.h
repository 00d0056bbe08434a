#pragma once

#include "store/database.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tarnvel::test {

// A temporary store directory with a fresh store in it.
struct TempStore
{
    QTemporaryDir dir;
    QString path() const;
    QString directory() const { return dir.path(); }
    std::unique_ptr<Database> open() const;
};

// Count of rows a statement returns.
int countRows(Database &db, const QString &statement);

// The rows a statement returns, each its fields joined by blanks: numbers in
// statement form, "-" for an empty field.
QStringList rows(Database &db, const QString &statement);

} // namespace tarnvel::test
