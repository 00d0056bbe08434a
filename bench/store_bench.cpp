// Store operations the engineer waits for: a new project (empty, copy,
// compact, reopen), the rewrite of one point's parameters after an edit, and
// the reading of a point's modes every load dialog opens with.

#include "scheme/load_modes.h"
#include "store/numbers.h"
#include "store/store_file.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tarnvel;

namespace {

void fillScheme(Database &db, int points, int modes)
{
    Database::Transaction transaction(db);
    for (int n = 1; n <= points; ++n) {
        db.execute(QStringLiteral("INSERT INTO Points (PointNumber, GroupID) VALUES (%1, 3)").arg(n));
        const qint64 pid = db.lastInsertId();
        db.execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID) SELECT Points.PointID, `Parameters`.ParameterID "
                                  "FROM `Parameters`, Points WHERE (`Parameters`.GroupID = 3) AND (Points.PointNumber = %1)")
                       .arg(n));
        for (int r = 1; r <= modes; ++r) {
            for (int kind = 1; kind <= 4; ++kind) {
                db.execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) "
                                          "VALUES (%1, %2, 1000, 0.25, %3, 2, %4)")
                               .arg(pid)
                               .arg(SqlNum(10.0 * r + kind))
                               .arg(kind)
                               .arg(r));
            }
        }
    }
    transaction.commit();
}

void BM_NewProject(benchmark::State &state)
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = openOrCreateStore(dir.path());
    for (auto _ : state) {
        state.PauseTiming();
        fillScheme(*db, 10, 4);
        state.ResumeTiming();
        newProjectStore(db, dir.path(), [](const QString &) {});
    }
}
BENCHMARK(BM_NewProject)->Unit(benchmark::kMillisecond);

// What committing one edited value of a gear point costs: its rows are
// deleted and written again from the view, in one transaction.
void BM_RewriteTwelvePointParameters(benchmark::State &state)
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = openOrCreateStore(dir.path());
    fillScheme(*db, 5, 2);
    const int pid = 3;
    double value = 1;
    for (auto _ : state) {
        Database::Transaction transaction(*db);
        db->execute(QStringLiteral("DELETE FROM PointParameters WHERE PointID = %1").arg(pid));
        for (int i = 0; i < 12; ++i) {
            db->execute(QStringLiteral("INSERT INTO PointParameters (PointID, ParameterID, ParValue) VALUES (%1, %2, %3)")
                            .arg(pid)
                            .arg(11 + i)
                            .arg(SqlNum(value + i)));
        }
        db->execute(QStringLiteral("DELETE FROM PointForses WHERE PointID = %1").arg(pid));
        transaction.commit();
        value += 0.5;
    }
}
BENCHMARK(BM_RewriteTwelvePointParameters)->Unit(benchmark::kMicrosecond);

void BM_PointModes(benchmark::State &state)
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = openOrCreateStore(dir.path());
    fillScheme(*db, 10, 6);
    for (auto _ : state)
        benchmark::DoNotOptimize(pointModeCells(*db, 4).size());
}
BENCHMARK(BM_PointModes)->Unit(benchmark::kMicrosecond);

} // namespace
