#pragma once

#include <QVector>

namespace tarnvel {

// Equivalent of one force projection of a free-force point over the modes:
// every mode enters with its own sign, A = Σ w·sign(F)·|F|^p with p = 10/3,
// and the result is sign(A)·|A|^(1/p). Opposite forces of equal weight
// cancel. weights are the modes' shares Speed·Coeff / Σ Speed·Coeff.
double freeForceEquivalent(const QVector<double> &forces, const QVector<double> &weights);

} // namespace tarnvel
