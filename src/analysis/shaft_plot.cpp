#include "analysis/shaft_plot.h"

#include <algorithm>
#include <cmath>

namespace tarnvel {

QString shaftCaption(ShaftPicture picture, const QString &unit)
{
    switch (picture) {
    case ShaftPicture::Torque:
        return QStringLiteral(" Крутящий момент  -  T(") + unit + QStringLiteral("*м) ");
    case ShaftPicture::EquivalentMoment:
        return QStringLiteral(" Эквивалентный момент  -  Mэкв(") + unit + QStringLiteral("*м) ");
    case ShaftPicture::RequiredDiameter:
        return QStringLiteral(" Требуемый диаметр и ступени вала  -  d(мм) ");
    case ShaftPicture::Deflection:
        return QStringLiteral(" Прогиб вала  -  f(мм) ");
    case ShaftPicture::Slope:
        break;
    }
    return QStringLiteral(" Угол поворота сечений  -  θ(рад) ");
}

EpurStyle shaftStyle(ShaftPicture picture)
{
    EpurStyle style;
    switch (picture) {
    case ShaftPicture::Torque:
        style.labelJumpsOnly = true;
        break;
    case ShaftPicture::EquivalentMoment:
        style.curvedOutline = true;
        break;
    case ShaftPicture::RequiredDiameter:
        style = { 1, 2, true, false, {} };
        break;
    case ShaftPicture::Deflection:
        style = { 1, 4, true, false, {} };
        break;
    case ShaftPicture::Slope:
        style = { 1, 6, true, false, {} };
        break;
    }
    return style;
}

const ShaftCurve &shaftCurve(ShaftPicture picture, const ShaftModeCheck &check)
{
    static const ShaftCurve none;
    switch (picture) {
    case ShaftPicture::Torque:
        return check.torque;
    case ShaftPicture::EquivalentMoment:
        return check.equivalentMoment;
    case ShaftPicture::RequiredDiameter:
        return check.requiredDiameter;
    case ShaftPicture::Deflection:
        return check.stiffnessComputed ? check.deflection : none;
    case ShaftPicture::Slope:
        break;
    }
    return check.stiffnessComputed ? check.slope : none;
}

QVector<EpurStep> shaftOutline(const QVector<ShaftSegment> &segments)
{
    QVector<EpurStep> steps;
    double from = 0;
    for (const ShaftSegment &segment : segments) {
        const double D = segment.outer;
        const double d = std::clamp(segment.bore, 0.0, D);
        const double solid = D > 0 ? std::cbrt((D * D * D * D - d * d * d * d) / D) : 0.0;
        steps.append({ from, from + segment.length, solid });
        from += segment.length;
    }
    return steps;
}

QImage paintShaftPicture(ShaftPicture picture, const ShaftModeCheck &check, const QVector<ShaftSegment> &segments,
    const QString &unit, QVector<DiagramLabel> *labels, QImage *unlabelled)
{
    EpurStyle style = shaftStyle(picture);
    if (picture == ShaftPicture::RequiredDiameter)
        style.limit = shaftOutline(segments);
    return paintEpur(shaftCurve(picture, check), shaftCaption(picture, unit), labels, unlabelled, style);
}

void DrawShaftPicture(ShaftPicture picture, const ShaftModeCheck &check, const QVector<ShaftSegment> &segments,
    const QString &unit, QImage &bitmap)
{
    copyToDiagramBitmap(paintShaftPicture(picture, check, segments, unit), bitmap);
}

} // namespace tarnvel
