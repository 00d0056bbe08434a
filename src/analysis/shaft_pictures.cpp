#include "analysis/shaft_pictures.h"

#include "analysis/diagram_bitmap.h"
#include "analysis/shaft_results.h"

namespace tarnvel {

int shaftPictureMode(const ShaftCheckResult &shaft, ShaftPicture which)
{
    switch (which) {
    case ShaftPicture::Torque:
        return shaft.torqueMode;
    case ShaftPicture::EquivalentMoment:
    case ShaftPicture::RequiredDiameter:
        return shaft.diameterMode;
    case ShaftPicture::Deflection:
    case ShaftPicture::Slope:
        break;
    }
    return shaft.deflectionMode;
}

QString shaftPictureCaption(const ShaftCheckResult &shaft, ShaftPicture which, const QString &unit)
{
    return shaftCaption(which, unit) + QStringLiteral(", %1 ").arg(shaft.modeName(shaftPictureMode(shaft, which)));
}

bool hasShaftPicture(const ShaftCheckResult &shaft, ShaftPicture which)
{
    const int mode = shaftPictureMode(shaft, which);
    if (!shaft.computed || mode < 1 || mode > shaft.modes.size())
        return false;
    if (which == ShaftPicture::Deflection || which == ShaftPicture::Slope)
        return shaft.modes.at(mode - 1).stiffnessComputed;
    return true;
}

void drawShaftPicture(const ShaftCheckResult &shaft, ShaftPicture which, const QString &unit, QImage &bitmap)
{
    if (!hasShaftPicture(shaft, which)) {
        bitmap = blankDiagramBitmap();
        return;
    }
    const ShaftModeCheck &check = shaft.modes.at(shaftPictureMode(shaft, which) - 1);
    EpurStyle style = shaftStyle(which);
    // The outline of the steps only where they are the shaft the loads lie on.
    if (which == ShaftPicture::RequiredDiameter && shaft.hasGeometry)
        style.limit = shaftOutline(shaft.segments);
    copyToDiagramBitmap(paintEpur(shaftCurve(which, check), shaftPictureCaption(shaft, which, unit), nullptr, nullptr, style),
        bitmap);
}

} // namespace tarnvel
