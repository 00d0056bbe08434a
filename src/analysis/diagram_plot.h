#pragma once

#include "analysis/moment_diagram.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QVector>
#include <QSize>
#include <QString>

class QPainter;

namespace tarnvel {

// The canvas a diagram is painted on before it goes into the 601 × 329 bitmap.
constexpr int kCanvasWidth = 600;
constexpr int kCanvasHeight = 330;

// Colours of the drawing, all of them entries of the bitmap's palette.
namespace plotColour {
inline const QColor axis { 0, 0, 128 }; // axis and point marks
inline const QColor dimension { 192, 192, 192 }; // dimension lines
inline const QColor outline { 0, 0, 255 }; // the diagram's outline
inline const QColor hatching { 255, 0, 0 }; // one stroke per millimetre
inline const QColor text { 0, 0, 0 };
inline const QColor limit { 0, 128, 0 }; // a stepped limit drawn on the diagram's scale
inline const QColor excess { 255, 0, 255 }; // where the diagram rises above that limit
} // namespace plotColour

// One step of a limit drawn with a diagram: value (in the diagram's units)
// from position from to position to, mm on the axis.
struct EpurStep
{
    double from = 0;
    double to = 0;
    double value = 0;
    bool operator==(const EpurStep &) const = default;
};

// How a diagram is drawn and labelled. The default is the bending-moment
// diagram: moments held in force unit × mm, labelled in force unit × m to
// three decimals, outlined by straight lines between the entries' values.
struct EpurStyle
{
    double labelDivisor = 1000; // value labels show value / labelDivisor
    int decimals = 3; // of the value labels; positions keep three
    // The outline follows the per-millimetre samples between the entries
    // instead of running straight from one entry's value to the next: for a
    // diagram that is not linear between them (an equivalent moment, a
    // diameter, a deflection). The largest and smallest sample strictly inside
    // a piece is labelled too when it lies beyond both ends of the piece.
    bool curvedOutline = false;
    // A diagram constant between its jumps (a torque) is labelled once per
    // level: the value leaving each jump, not the same value again at every
    // entry it passes.
    bool labelJumpsOnly = false;
    // A stepped limit on the same scale, drawn as a silhouette rising from the
    // axis (the diameter a shaft has under the one it needs). The scale fits
    // it as well as the diagram; where the diagram rises above it the gap is
    // filled solid in the excess colour, and each step's value is labelled.
    QVector<EpurStep> limit;
    bool operator==(const EpurStyle &) const = default;
};

// Where the diagram sits on the canvas: the axis spans x = 40 … W − 40 at
// row y0; a moment M is drawn at y = y0 − M·ky; a position p at x = 40 + p·kx.
struct EpurLayout
{
    double kx = 0; // pixels per mm
    int y0 = 0;
    double ky = 1; // pixels per force unit × mm
    bool operator==(const EpurLayout &) const = default;
};

// Scales and axis row for a sampled curve on an axis of U mm (U ≥ 1): the
// axis goes near the bottom for a positive diagram, near the top for a
// negative one, and splits the height in proportion for one of both signs.
EpurLayout epurLayout(const QVector<double> &curve, int U);

// " Изгибающие моменты в плоскости XOZ  -  Mx(Н*м) " and its kin.
QString epurCaption(DiagramPlane plane, const QString &unit);

// Arial 9 pt bold where the system has it, else a bold sans-serif of that size;
// unsmoothed, so that text keeps to the palette.
QFont diagramFont();

// Writes value rounded to three decimals, in statement form (point as the
// decimal separator), black, with its top-left corner at (x, y). Returns the
// size the text takes, which the label placement measures against.
QSize PrintValue(QPainter &painter, double value, int x, int y);

// A value or position label as painted: its text and the box it takes,
// the rim of canvas colour around the glyphs included.
struct DiagramLabel
{
    QString text;
    QRect box;
};

// Paints the diagram of one plane onto a fresh white 600 × 330 canvas. The
// labels go on top of the lines, none over another and each whole within the
// bitmap's 601 × 329; labels, when given, receives them, and unlabelled the
// canvas as it was just before they were written.
QImage paintEpur(const PlaneDiagram &diagram, const QString &caption, QVector<DiagramLabel> *labels = nullptr,
    QImage *unlabelled = nullptr, const EpurStyle &style = {});

// Paints the diagram and copies the canvas into the diagram bitmap (601 × 329,
// 16 colours) with the top-left corners together: the canvas row beyond 329
// is cut off and the bitmap's last column keeps what it held. A bitmap of
// another size or format is replaced by a blank diagram bitmap first.
void DrawEpur(const PlaneDiagram &diagram, const QString &caption, QImage &bitmap, const EpurStyle &style = {});

// Copies a painted canvas into the diagram bitmap as DrawEpur does.
void copyToDiagramBitmap(const QImage &canvas, QImage &bitmap);

} // namespace tarnvel
