#pragma once

// A temporary project store with a builder that puts a loading scheme into it.

#include "scheme_builder.h"
#include "store/database.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tarnvel::test {

class SchemeStore : public ::testing::Test, public SchemeBuilder
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store.dir.isValid());
        db = store.open();
    }

    Database &schemeStore() override { return *db; }

    QVariant value(const QString &statement, const QString &field)
    {
        Recordset rs = db->openRecordset(statement);
        return rs.isBeforeFirst() ? QVariant() : rs.field(field);
    }

    TempStore store;
    std::unique_ptr<Database> db;
};

} // namespace tarnvel::test
