// The shaft check of a large scheme: 12 modes of 40 loads each on a shaft of
// 10 steps, 400 mm long, bearings at 30 and 350 mm. No store: the entries are
// built as the calculation builds them, once, and only the check is timed.

#include "analysis/shaft_check.h"

#include <benchmark/benchmark.h>

#include <cmath>

using namespace tarnvel;

namespace {

constexpr int kModes = 12;
constexpr int kLoads = 40;
constexpr int kSteps = 10;
constexpr double kSpan = 320; // mm
constexpr double kLeftBearing = 30; // mm
constexpr int kAxis = 400; // mm

struct ShaftScheme
{
    QVector<QVector<DiagramEntry>> modes;
    QVector<ShaftSetup> setups;
};

ShaftScheme shaftScheme()
{
    ShaftScheme scheme;
    QVector<ShaftSegment> steps;
    for (int s = 0; s < kSteps; ++s)
        steps.append({ kAxis / double(kSteps), 40 + 6 * (s < kSteps / 2 ? s : kSteps - 1 - s), s == 4 ? 12.0 : 0.0 });
    for (int m = 0; m < kModes; ++m) {
        // Gears round the shaft, a radius of 30 … 90 mm, every seventh one overhung.
        ForceArrays forces;
        for (int i = 0; i < kLoads; ++i) {
            const double angle = 0.7 * i + 0.3 * m, radius = 30 + 60 * (i % 5) / 4.0;
            const double z = i % 7 == 6 ? kSpan + 10 + i % 3 * 15 : 8 + 7.6 * i;
            const double Ft = 2000 + 150 * ((i + m) % 9);
            forces.append({ radius * std::cos(angle), radius * std::sin(angle), z, -Ft * std::sin(angle),
                Ft * std::cos(angle), 0.2 * Ft * ((i % 3) - 1) });
        }
        const Reactions reactions = *CalcReakz(forces, kSpan);
        QVector<DiagramEntry> entries = diagramPointList(forces, reactions, kSpan, kLeftBearing, kAxis);
        PointMoments(entries);
        ShaftSetup setup;
        setup.segments = steps;
        setup.steel = ShaftSteel { 1, "40Х", "улучшение", 200, "HB 270", 900, 750, 450, 410, 240, 0.1, 2.1e5, "" };
        setup.leftSupport = kLeftBearing;
        setup.rightSupport = kLeftBearing + kSpan;
        setup.axialReaction = reactions.Ra;
        setup.U = kAxis;
        scheme.modes.append(entries);
        scheme.setups.append(setup);
    }
    return scheme;
}

void BM_ShaftCheck(benchmark::State &state)
{
    const ShaftScheme scheme = shaftScheme();
    for (auto _ : state) {
        for (int m = 0; m < kModes; ++m)
            benchmark::DoNotOptimize(checkShaftMode(scheme.modes[m], scheme.setups[m]));
    }
}
BENCHMARK(BM_ShaftCheck)->Unit(benchmark::kMicrosecond);

} // namespace
