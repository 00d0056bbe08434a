#include "scheme/value_ranges.h"

#include <QHash>

#include <cmath>

namespace tarnvel {

namespace {

// A tenth of a millimetre is finer than any shaft is drawn; a hundred metres
// is longer than any shaft is made.
constexpr double kShortestLength = 0.1; // mm
constexpr double kLongestLength = 100000; // mm
// A catalogue rates the largest bearings in meganewtons; 10⁹ N is far beyond.
constexpr double kLargestRating = 1e9; // N

QString number(double value) { return QString::number(value, 'g', 15); }

ValueRange length(const QString &name)
{
    return ValueRange { kShortestLength, kLongestLength, true, true, false, true, name, QStringLiteral("мм") };
}

ValueRange coordinate(const QString &name)
{
    return ValueRange { 0, kLongestLength, true, true, true, false, name, QStringLiteral("мм") };
}

// A tooth inclined at 90° would carry no circumferential force at all.
ValueRange toothAngle(const QString &name)
{
    return ValueRange { 0, 90, true, false, false, false, name, QStringLiteral("град") };
}

// The mesh may sit anywhere round the shaft; one turn either way says it all.
ValueRange positionAngle()
{
    return ValueRange { -3600, 3600, true, true, false, false, QStringLiteral("Угловое положение зацепления"),
        QStringLiteral("град") };
}

// The ParameterIDs of the store's catalogue.
const QHash<int, ValueRange> &parameterRanges()
{
    static const QHash<int, ValueRange> ranges {
        { 2, length(QStringLiteral("Расстояние между опорами L")) },
        { 5, coordinate(QStringLiteral("Координата x точки приложения силы")) },
        { 6, coordinate(QStringLiteral("Координата y точки приложения силы")) },
        { 7, coordinate(QStringLiteral("Координата z точки приложения силы")) },
        { 11, length(QStringLiteral("Нормальный модуль m")) },
        { 14, toothAngle(QStringLiteral("Угол наклона зубьев")) },
        { 20, positionAngle() },
        { 21, length(QStringLiteral("Внешний окружной модуль me")) },
        { 24, toothAngle(QStringLiteral("Средний угол наклона зубьев")) },
        // Two shafts at 0° or 180° are parallel: no bevel pair between them.
        { 26, ValueRange { 0, 180, false, false, false, true, QStringLiteral("Межосевой угол передачи"),
                  QStringLiteral("град") } },
        { 27, length(QStringLiteral("Ширина зубчатого венца b")) },
        { 32, positionAngle() },
        { 33, coordinate(QStringLiteral("Координата z зацепления")) },
        { 34, coordinate(QStringLiteral("Координата z зацепления")) },
        { 53, length(QStringLiteral("Длина оси эпюры моментов")) },
        { 54, coordinate(QStringLiteral("Положение левой опоры на оси эпюры")) },
    };
    return ranges;
}

// The factors multiply the load or the rating: below 1 they would make the
// bearing better than its catalogue, and no service is ten times as hard.
ValueRange coefficient(const QString &name)
{
    return ValueRange { 1, 10, true, true, false, true, name, QString() };
}

ValueRange rating(const QString &name)
{
    return ValueRange { 0, kLargestRating, false, false, false, false, name, QStringLiteral("Н") };
}

} // namespace

bool ValueRange::contains(double value) const
{
    if (!std::isfinite(value))
        return false;
    const double v = bySize ? std::fabs(value) : value;
    if (bySize)
        return maxIncluded ? v <= max : v < max;
    const bool aboveMin = minIncluded ? v >= min : v > min;
    const bool belowMax = maxIncluded ? v <= max : v < max;
    return aboveMin && belowMax;
}

QString ValueRange::text() const
{
    QString bounds;
    if (bySize)
        bounds = QStringLiteral("по абсолютной величине не больше %1").arg(number(max));
    else if (minIncluded && maxIncluded)
        bounds = QStringLiteral("от %1 до %2").arg(number(min), number(max));
    else
        bounds = (minIncluded ? QStringLiteral("не меньше %1") : QStringLiteral("больше %1")).arg(number(min))
            + (maxIncluded ? QStringLiteral(" и не больше %1") : QStringLiteral(" и меньше %1")).arg(number(max));
    if (!unit.isEmpty())
        bounds += QLatin1Char(' ') + unit;
    return bounds;
}

std::optional<ValueRange> parameterRange(int parameterId)
{
    const auto found = parameterRanges().constFind(parameterId);
    if (found == parameterRanges().constEnd())
        return std::nullopt;
    return *found;
}

const ValueRange &bearingRange(BearingValue value)
{
    static const ValueRange Kb = coefficient(QStringLiteral("Коэффициент безопасности Кб"));
    static const ValueRange Kt = coefficient(QStringLiteral("Температурный коэффициент Kt"));
    static const ValueRange Kk = coefficient(QStringLiteral("Коэффициент качества Ккач"));
    static const ValueRange C = rating(QStringLiteral("Динамическая грузоподъёмность C"));
    static const ValueRange C0 = rating(QStringLiteral("Статическая грузоподъёмность C0"));
    switch (value) {
    case BearingValue::Kb:
        return Kb;
    case BearingValue::Kt:
        return Kt;
    case BearingValue::Kk:
        return Kk;
    case BearingValue::C:
        return C;
    case BearingValue::C0:
        break;
    }
    return C0;
}

namespace {

// The strongest shaft steels reach σв of about 2000 MPa; 5000 MPa is beyond
// any steel, so a number above it is a slip (kPa typed for MPa, say).
ValueRange stress(const QString &name)
{
    return ValueRange { 0, 5000, false, false, false, false, name, QStringLiteral("МПа") };
}

} // namespace

const ValueRange &steelRange(SteelValue value)
{
    static const ValueRange sigmaB = stress(QStringLiteral("Предел прочности σв"));
    static const ValueRange sigmaT = stress(QStringLiteral("Предел текучести σт"));
    static const ValueRange tauT = stress(QStringLiteral("Предел текучести при кручении τт"));
    static const ValueRange sigmaM1 = stress(QStringLiteral("Предел выносливости при изгибе σ-1"));
    static const ValueRange tauM1 = stress(QStringLiteral("Предел выносливости при кручении τ-1"));
    // ψτ weighs the mean stress of the cycle against its amplitude: a share.
    static const ValueRange psiTau { 0, 1, true, true, false, false,
        QStringLiteral("Коэффициент чувствительности к асимметрии цикла ψτ"), QString() };
    // Steels have E near 2·10⁵ MPa; the bounds leave room for any metal a
    // shaft is made of and none for a modulus typed in GPa or Pa.
    static const ValueRange E { 1e4, 1e6, true, true, false, false, QStringLiteral("Модуль упругости E"),
        QStringLiteral("МПа") };
    // 0 stands for a blank of any size.
    static const ValueRange blank { 0, 2000, true, true, false, false,
        QStringLiteral("Наибольший диаметр заготовки"), QStringLiteral("мм") };
    switch (value) {
    case SteelValue::SigmaB:
        return sigmaB;
    case SteelValue::SigmaT:
        return sigmaT;
    case SteelValue::TauT:
        return tauT;
    case SteelValue::SigmaM1:
        return sigmaM1;
    case SteelValue::TauM1:
        return tauM1;
    case SteelValue::PsiTau:
        return psiTau;
    case SteelValue::E:
        return E;
    case SteelValue::BlankDiameter:
        break;
    }
    return blank;
}

QString outOfRangeMessage(const QString &caption, const ValueRange &range)
{
    return QStringLiteral("Значение параметра «%1» должно быть %2.").arg(caption, range.text());
}

} // namespace tarnvel
