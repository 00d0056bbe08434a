#pragma once

// The values a real shaft can have. A number outside them is a typing slip
// or a damaged file, never a design: the calculation would take it all the
// same and print a life of 10¹³⁹ hours or a reaction of 10¹⁷ N without a word.
// The fields where numbers are typed and the scenario reader check against
// this one table.

#include <QString>

#include <optional>

namespace tarnvel {

struct ValueRange
{
    double min = 0;
    double max = 0;
    bool minIncluded = true;
    bool maxIncluded = true;
    // Coordinates are measured both ways from the left support (an overhung
    // load has z < 0): the range bounds their size.
    bool bySize = false;
    // The store keeps 0 for a value not given yet; the calculation asks for it.
    bool zeroUnset = false;
    QString name; // for messages where no caption of the store is at hand
    QString unit; // "мм", "град", "Н" or empty

    // Within the bounds; the unset 0 is not.
    bool contains(double value) const;
    // What a store or a file may hold: within the bounds, or the unset 0.
    bool containsStored(double value) const { return (zeroUnset && value == 0) || contains(value); }
    // "от 0,1 до 100000 мм", "от 0 до 90 град (90 не входит)" …
    QString text() const;
};

// The range of a parameter of the general data or of a point (ParameterID);
// none for a parameter with a list of choices or a result.
std::optional<ValueRange> parameterRange(int parameterId);

// The bearing quantities the bearing dialog and the scenario take.
enum class BearingValue { Kb, Kt, Kk, C, C0 };
const ValueRange &bearingRange(BearingValue value);

// The quantities of a shaft steel the user may add to the catalogue.
enum class SteelValue { SigmaB, SigmaT, TauT, SigmaM1, TauM1, PsiTau, E, BlankDiameter };
const ValueRange &steelRange(SteelValue value);

// "Значение параметра «caption» должно быть …": what the user is told about
// a number outside range.
QString outOfRangeMessage(const QString &caption, const ValueRange &range);

} // namespace tarnvel
