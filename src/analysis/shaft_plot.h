#pragma once

// The pictures of the shaft check, drawn as the bending-moment diagrams are:
// the torque, the equivalent moment, the required diameter against the
// shaft's own steps, the deflection and the slope of one mode, each in a
// 601 × 329, 16-colour diagram bitmap.

#include "analysis/diagram_plot.h"
#include "analysis/shaft_check.h"

#include <QImage>
#include <QString>
#include <QVector>

namespace tarnvel {

enum class ShaftPicture { Torque, EquivalentMoment, RequiredDiameter, Deflection, Slope };

// " Крутящий момент  -  T(Н*м) " and its kin; unit is the force unit's caption.
QString shaftCaption(ShaftPicture picture, const QString &unit);

// How each picture is labelled: moments in force unit × m to three decimals,
// diameters in mm to two, deflections in mm to four, slopes in rad to six;
// all but the piecewise constant torque follow their curve between entries.
EpurStyle shaftStyle(ShaftPicture picture);

// The curve a picture shows; an empty one (caption only) for the deflection
// and slope of a mode whose stiffness was not computed.
const ShaftCurve &shaftCurve(ShaftPicture picture, const ShaftModeCheck &check);

// The steps as the required-diameter picture draws them. A hollow step is
// drawn at the diameter of the solid section of the same section modulus,
// ∛((D⁴ − d⁴)/D) (W = 0.1 D³ for a solid section against 0.1 (D⁴ − d⁴)/D for
// a hollow one), so that it compares with the required diameter directly.
QVector<EpurStep> shaftOutline(const QVector<ShaftSegment> &segments);

// Paints one picture onto a fresh canvas as paintEpur does; segments matter
// only to the required diameter.
QImage paintShaftPicture(ShaftPicture picture, const ShaftModeCheck &check, const QVector<ShaftSegment> &segments,
    const QString &unit, QVector<DiagramLabel> *labels = nullptr, QImage *unlabelled = nullptr);

// Paints one picture into the diagram bitmap as DrawEpur does.
void DrawShaftPicture(ShaftPicture picture, const ShaftModeCheck &check, const QVector<ShaftSegment> &segments,
    const QString &unit, QImage &bitmap);

} // namespace tarnvel
