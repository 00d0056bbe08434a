#include "scheme/free_force.h"

#include "scheme/load_modes.h"

#include <cmath>

namespace tarnvel {

double freeForceEquivalent(const QVector<double> &forces, const QVector<double> &weights)
{
    const double p = kEquivalentLoadExponent;
    double sum = 0;
    for (qsizetype i = 0; i < forces.size() && i < weights.size(); ++i) {
        const double force = forces.at(i);
        if (force == 0)
            continue;
        sum += weights.at(i) * std::copysign(std::pow(std::fabs(force), p), force);
    }
    if (sum == 0)
        return 0;
    return std::copysign(std::pow(std::fabs(sum), 1.0 / p), sum);
}

} // namespace tarnvel
