#include <QApplication>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

void releaseBenchFixtures();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true); // window placement kept apart from the user's
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    releaseBenchFixtures();
    benchmark::Shutdown();
    return 0;
}
