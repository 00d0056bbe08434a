#pragma once

// The pictures of the shaft check, each of the worst mode of its quantity,
// drawn by the plotting code of the moment diagrams.

#include <QImage>
#include <QString>

namespace tarnvel {

struct ShaftCheckResult;

enum class ShaftPicture { Torque, EquivalentMoment, RequiredDiameter, Deflection, Slope };

// The picture's caption, naming its quantity, unit and mode.
QString shaftPictureCaption(const ShaftCheckResult &shaft, ShaftPicture which, const QString &unit);

// Whether the check has the picture (deflection and slope need the steps
// and the steel).
bool hasShaftPicture(const ShaftCheckResult &shaft, ShaftPicture which);

// Paints the picture into a diagram bitmap (601 × 329, 16 colours), as
// DrawEpur paints a moment diagram; one the check lacks is left blank.
void drawShaftPicture(const ShaftCheckResult &shaft, ShaftPicture which, const QString &unit, QImage &bitmap);

} // namespace tarnvel
