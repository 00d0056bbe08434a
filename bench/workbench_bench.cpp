// What the engineer waits for on a large scheme: 40 loading points with 12
// modes and both bearings chosen. The batch report is measured as a whole
// process; the rest in-process on an offscreen window.

#include "scheme_generator.h"

#include "analysis/calculation.h"
#include "analysis/shaft_inputs.h"
#include "analysis/shaft_steels.h"
#include "files/scenario_file.h"
#include "store/store_file.h"
#include "ui/dialogs/bearings_dialog.h"
#include "ui/detail_view.h"
#include "ui/main_window.h"
#include "ui/navigator.h"
#include "ui/message_box.h"
#include "ui/modal_dialog.h"
#include "ui/startup.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>

using namespace tarnvel;

namespace {

// Selects a row of the detail list and acts on it, as a click does.
void selectRowAndAct(frmMain &window, const QString &key)
{
    window.list()->setCurrentItem(window.rowByKey(key));
    window.detail().LV_Click();
}

constexpr int kPoints = 40;
constexpr int kModes = 12;

// Ten steps over the whole axis, a hollow one among them, and the first steel.
void giveShaft(Database &db)
{
    CalculationRequest request;
    request.diagrams = true;
    const Calculation calculation = runCalculation(db, request);
    const double axis = calculation.diagrams ? calculation.diagrams->U : 1000;
    QVector<ShaftSegment> steps;
    for (int i = 0; i < 10; ++i)
        steps.append({ axis / 10, 60.0 + 5 * (i % 3), i == 7 ? 20.0 : 0.0 });
    writeShaftSegments(db, steps);
    writeShaftSetting(db, shaftSetting::steel, static_cast<double>(shaftSteels(db).first().id));
}

// A store holding a scheme, and the same scheme as a scenario file.
struct Scheme
{
    QTemporaryDir dir;
    QString scenario;

    explicit Scheme(int points)
    {
        std::unique_ptr<Database> db = openOrCreateStore(dir.path());
        buildBenchScheme(*db, points, kModes);
        if (points == kPoints)
            giveShaft(*db);
        scenario = dir.filePath(QStringLiteral("scheme.tvd"));
        saveScenarioFile(scenario, encodeScenario(readScenarioFromStore(*db)));
        // For profiling the report process by hand (callgrind counts are
        // repeatable where times are not): the scenario stays.
        if (qEnvironmentVariableIsSet("TARNVEL_BENCH_KEEP")) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "%s\n", qPrintable(scenario));
        }
    }
};

// Fixtures live until releaseBenchFixtures(), before the application ends.
std::unique_ptr<Scheme> large, onePoint, huge;

// A file of thousands of points: every question by point number must be
// answered from an index, or the report grows with the square of the points.
Scheme &hugeScheme()
{
    if (!huge)
        huge = std::make_unique<Scheme>(2000);
    return *huge;
}

Scheme &largeScheme()
{
    if (!large)
        large = std::make_unique<Scheme>(kPoints);
    return *large;
}

Scheme &onePointScheme()
{
    if (!onePoint)
        onePoint = std::make_unique<Scheme>(1);
    return *onePoint;
}

void quietSeams()
{
    setMessageResponder([](const ShownMessage &) { return MessageAnswer::Ok; });
    setModalDriver([](QDialog &dialog) { dialog.reject(); });
}

void batchReport(benchmark::State &state, Scheme &scheme)
{
    QTemporaryDir out;
    for (auto _ : state) {
        QProcess run;
        run.start(QStringLiteral(TARNVEL_EXECUTABLE),
                  {QStringLiteral("--report"), scheme.scenario, out.filePath(QStringLiteral("report.htm"))});
        run.waitForFinished(120000);
        if (run.exitCode() != 0)
            state.SkipWithError("the batch report failed");
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_BatchReport_40Points(benchmark::State &state)
{
    batchReport(state, largeScheme());
}
BENCHMARK(BM_BatchReport_40Points)->Unit(benchmark::kMillisecond)->UseRealTime();

// Goal: under 2 s for the whole run of the program.
void BM_BatchReport_2000Points(benchmark::State &state)
{
    batchReport(state, hugeScheme());
}
BENCHMARK(BM_BatchReport_2000Points)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_BatchReport_1Point(benchmark::State &state)
{
    batchReport(state, onePointScheme());
}
BENCHMARK(BM_BatchReport_1Point)->Unit(benchmark::kMillisecond)->UseRealTime();

// A main window over a copy of the large scheme, computed once.
struct Workbench
{
    QTemporaryDir dir;
    ProgramState state;
    std::unique_ptr<frmMain> window;

    Workbench()
    {
        quietSeams();
        QFile::copy(storePath(largeScheme().dir.path()), storePath(dir.path()));
        state.storeDirectory = dir.path();
        state.db = openStore(storePath(dir.path()));
        window = std::make_unique<frmMain>(state);
        window->resize(1000, 700);
        window->show();
        window->BaseRefresh();
    }
};

std::unique_ptr<Workbench> bench;

Workbench &workbench()
{
    if (!bench)
        bench = std::make_unique<Workbench>();
    return *bench;
}

// The module of point 1 typed anew, alternating between two values.
void openModuleEditor(frmMain &window, double &module)
{
    window.navigator().selectAndDisplayNode(QStringLiteral("1 N"));
    selectRowAndAct(window, QStringLiteral("11 ID"));
    window.findChild<QLineEdit *>(QStringLiteral("TextInput"))->setText(QString::number(module));
    module = module == 2 ? 2.5 : 2;
}

// The whole calculation from the stored inputs, diagrams included, on a
// store whose results are already those of its inputs (nothing is written).
void BM_Calculation(benchmark::State &state)
{
    Database &db = workbench().state.database();
    CalculationRequest request;
    request.diagrams = true;
    for (auto _ : state) {
        if (runCalculation(db, request).missing)
            state.SkipWithError("the calculation stopped");
    }
}
BENCHMARK(BM_Calculation)->Unit(benchmark::kMillisecond);

// The three parts of it apart: reading the inputs, the pure computation
// without diagrams, and storing a calculation the store already holds.
void BM_ReadScheme(benchmark::State &state)
{
    Database &db = workbench().state.database();
    for (auto _ : state)
        benchmark::DoNotOptimize(readScheme(db));
}
BENCHMARK(BM_ReadScheme)->Unit(benchmark::kMillisecond);

void BM_Calculate(benchmark::State &state)
{
    const SchemeInputs inputs = readScheme(workbench().state.database());
    for (auto _ : state) {
        if (calculate(inputs).missing)
            state.SkipWithError("the calculation stopped");
    }
}
BENCHMARK(BM_Calculate)->Unit(benchmark::kMillisecond);

// What the check of the shaft itself adds to the calculation: torque,
// equivalent moment and diameter, safety and the bent shaft in every mode.
// Goal: at most 1 ms.
void BM_ShaftCheckOfTheCalculation(benchmark::State &state)
{
    const SchemeInputs inputs = readScheme(workbench().state.database());
    CalculationRequest request;
    request.diagrams = true;
    const Calculation calculation = calculate(inputs, request);
    if (!calculation.shaft.hasGeometry || !calculation.shaft.hasSteel || !calculation.diagrams)
        state.SkipWithError("the bench scheme has no shaft to check");
    const double P = inputs.commonValue(54);
    for (auto _ : state)
        benchmark::DoNotOptimize(checkShaft(inputs, calculation, P, calculation.diagrams->U));
}
BENCHMARK(BM_ShaftCheckOfTheCalculation)->Unit(benchmark::kMillisecond);

void BM_StoreUnchanged(benchmark::State &state)
{
    Database &db = workbench().state.database();
    const Calculation calculation = calculate(readScheme(db));
    storeResults(db, calculation);
    for (auto _ : state)
        storeResults(db, calculation);
}
BENCHMARK(BM_StoreUnchanged)->Unit(benchmark::kMillisecond);

// Nothing was edited since the last calculation: its outcome is shown.
void BM_ShowSupports(benchmark::State &state)
{
    frmMain &window = *workbench().window;
    for (auto _ : state)
        window.navigator().selectAndDisplayNode(QStringLiteral("Bearings"));
}
BENCHMARK(BM_ShowSupports)->Unit(benchmark::kMillisecond);

void BM_ShowDiagram(benchmark::State &state)
{
    frmMain &window = *workbench().window;
    for (auto _ : state)
        window.navigator().selectAndDisplayNode(QStringLiteral("SUM"));
}
BENCHMARK(BM_ShowDiagram)->Unit(benchmark::kMillisecond);

// The first diagram after an edit: the edited point's forces and everything
// after them are computed again.
void showAfterEdit(benchmark::State &state, const QString &node)
{
    frmMain &window = *workbench().window;
    double module = 2;
    for (auto _ : state) {
        state.PauseTiming();
        openModuleEditor(window, module);
        window.commitTextEditor();
        state.ResumeTiming();
        window.navigator().selectAndDisplayNode(node);
    }
}

void BM_ShowDiagramAfterEdit(benchmark::State &state)
{
    showAfterEdit(state, QStringLiteral("SUM"));
}
BENCHMARK(BM_ShowDiagramAfterEdit)->Unit(benchmark::kMillisecond);

// The strength and stiffness lists after an edit. Goal: 16 ms each.
void BM_ShowShaftStrengthAfterEdit(benchmark::State &state)
{
    showAfterEdit(state, QStringLiteral("ShaftStrength"));
}
BENCHMARK(BM_ShowShaftStrengthAfterEdit)->Unit(benchmark::kMillisecond);

void BM_ShowShaftStiffnessAfterEdit(benchmark::State &state)
{
    showAfterEdit(state, QStringLiteral("ShaftStiffness"));
}
BENCHMARK(BM_ShowShaftStiffnessAfterEdit)->Unit(benchmark::kMillisecond);

void BM_BearingRow(benchmark::State &state)
{
    frmMain &window = *workbench().window;
    for (auto _ : state) {
        window.navigator().selectAndDisplayNode(QStringLiteral("RBearing"));
        selectRowAndAct(window, QStringLiteral("RBear"));
    }
}
BENCHMARK(BM_BearingRow)->Unit(benchmark::kMillisecond);

// The bearing dialog's list refilled for the type with the most catalogue
// rows, every row with its life and static safety on the large scheme.
void BM_BearingListLives(benchmark::State &state)
{
    frmBearings dialog(workbench().state, 0, 0);
    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("ctlBT"));
    auto *list = dialog.findChild<QTreeWidget *>(QStringLiteral("LV"));
    int largest = 0, rows = 0;
    for (int i = 0; i < types->count(); ++i) {
        types->setCurrentIndex(i);
        if (list->topLevelItemCount() > rows) {
            rows = list->topLevelItemCount();
            largest = i;
        }
    }
    types->setCurrentIndex(largest);
    if (list->topLevelItem(0)->text(6).isEmpty())
        state.SkipWithError("no lives in the list");
    for (auto _ : state)
        dialog.ctlBT_Click();
    state.counters["rows"] = rows;
}
BENCHMARK(BM_BearingListLives)->Unit(benchmark::kMillisecond);

void BM_ShowPoint(benchmark::State &state)
{
    frmMain &window = *workbench().window;
    for (auto _ : state)
        window.navigator().selectAndDisplayNode(QStringLiteral("20 N"));
}
BENCHMARK(BM_ShowPoint)->Unit(benchmark::kMillisecond);

void BM_InlineEditCommit(benchmark::State &state)
{
    frmMain &window = *workbench().window;
    double module = 2;
    for (auto _ : state) {
        state.PauseTiming();
        openModuleEditor(window, module);
        state.ResumeTiming();
        window.commitTextEditor();
    }
}
BENCHMARK(BM_InlineEditCommit)->Unit(benchmark::kMillisecond);

void BM_OpenScenario(benchmark::State &state)
{
    frmMain &window = *workbench().window;
    for (auto _ : state)
        window.openScenario(largeScheme().scenario);
}
BENCHMARK(BM_OpenScenario)->Unit(benchmark::kMillisecond);

void BM_StartUp(benchmark::State &state)
{
    quietSeams();
    QTemporaryDir dir;
    QFile::copy(storePath(largeScheme().dir.path()), storePath(dir.path()));
    for (auto _ : state) {
        ProgramState program;
        std::unique_ptr<frmMain> window = startUp(program, dir.path());
        state.PauseTiming();
        window->close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond);

} // namespace

void releaseBenchFixtures()
{
    bench.reset();
    large.reset();
    onePoint.reset();
    huge.reset();
}
