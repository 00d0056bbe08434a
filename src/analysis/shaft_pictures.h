#pragma once

// The pictures of the shaft check as the workbench and the report show
// them: each of the worst mode of its quantity, named in its caption.

#include "analysis/shaft_plot.h"

#include <QImage>
#include <QString>

namespace tarnvel {

struct ShaftCheckResult;

// The mode a picture shows (1-based): the one of the largest torque, of the
// largest equivalent moment, of the largest deflection.
int shaftPictureMode(const ShaftCheckResult &shaft, ShaftPicture which);

// The picture's caption with its mode: " Прогиб вала  -  f(мм), режим 2 ".
QString shaftPictureCaption(const ShaftCheckResult &shaft, ShaftPicture which, const QString &unit);

// Whether the check has the picture (deflection and slope need the steps
// and the steel).
bool hasShaftPicture(const ShaftCheckResult &shaft, ShaftPicture which);

// Paints the picture into a diagram bitmap (601 × 329, 16 colours), as
// DrawEpur paints a moment diagram; one the check lacks is left blank.
void drawShaftPicture(const ShaftCheckResult &shaft, ShaftPicture which, const QString &unit, QImage &bitmap);

} // namespace tarnvel
