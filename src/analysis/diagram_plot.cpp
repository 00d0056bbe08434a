#include "analysis/diagram_plot.h"

#include "analysis/diagram_bitmap.h"
#include "store/numbers.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <span>

namespace tarnvel {

namespace {

constexpr int kMargin = 40; // left, right and bottom margin of the plot
constexpr int kHeadroom = 75; // distance of the extreme value from the edges
constexpr int kLabelRow = 25; // dimension labels: this far above the bottom
constexpr int kMarkRadius = 3;
constexpr int kDotsPerMetre = 3780; // 96 dpi, the screen the 9 pt font was chosen for

int px(double value) { return wholeNumber(value); }

// A pen position moved by a step, kept within a range far beyond any canvas
// so that absurd moments (a scenario file may hold any number) can neither
// wrap the integer round nor upset the painter.
int shifted(int from, int by)
{
    constexpr qint64 kFar = 1 << 24;
    return static_cast<int>(std::clamp<qint64>(qint64{from} + by, -kFar, kFar));
}

QPen pen(const QColor &colour, int width) { return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// An unfilled circle around a point. It is drawn once per colour and width
// and then stamped: a scheme of thousands of points would otherwise spend
// most of its pictures' time rasterising the same small ellipse.
void mark(QPainter &painter, QPoint centre, const QColor &colour, int width)
{
    static QHash<std::pair<QRgb, int>, QImage> stamps;
    const int half = kMarkRadius + width;
    QImage &stamp = stamps[{ colour.rgba(), width }];
    if (stamp.isNull()) {
        stamp = QImage(2 * half + 1, 2 * half + 1, QImage::Format_ARGB32_Premultiplied);
        stamp.fill(Qt::transparent);
        QPainter circle(&stamp);
        circle.setRenderHint(QPainter::Antialiasing, false);
        circle.setPen(pen(colour, width));
        circle.setBrush(Qt::NoBrush);
        circle.drawEllipse(QPoint(half, half), kMarkRadius, kMarkRadius);
    }
    painter.drawImage(centre - QPoint(half, half), stamp);
}

bool isDrawable(const PlaneDiagram &d)
{
    const qsizetype k = d.position.size();
    return d.U >= 1 && d.left.size() == k && d.right.size() == k && d.step.size() == k
        && d.curve.size() == d.U + 1;
}

// A value as its label shows it: moments in thousandths to three decimals
// by default. A rounding residue such as 1E-12 over a support shows as zero
// and is no value worth a label.
double shownValue(double value, const EpurStyle &style)
{
    return roundHalfEven(value / style.labelDivisor, style.decimals);
}
bool isShownNonZero(double value, const EpurStyle &style) { return shownValue(value, style) != 0.0; }

// The canvas row of a value, kept on the far side of any canvas for an absurd one.
int rowOf(double value, const EpurLayout &layout)
{
    const double y = layout.y0 - value * layout.ky;
    return std::isfinite(y) ? shifted(0, px(std::clamp(y, -1e7, 1e7))) : layout.y0;
}

// The text of a rounded label value: statement form, but a slope of
// 0.000012 rad reads as such rather than in the exponent form 1.2E-05.
QString labelText(double shown)
{
    if (shown == 0.0 || std::fabs(shown) >= 1e-4)
        return SqlNum(shown);
    QString text = QString::number(shown, 'f', 15);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

bool isDiagramBitmap(const QImage &bitmap)
{
    return bitmap.format() == QImage::Format_Indexed8 && bitmap.width() == kDiagramWidth
        && bitmap.height() == kDiagramHeight && bitmap.colorTable() == diagramPalette();
}

// The texts of the value labels and their sizes in the painter's font, each
// shaped once: a diagram of many points asks for the same ones again and again.
class LabelTexts
{
public:
    explicit LabelTexts(const QPainter &painter)
        : m_metrics(painter.font(), painter.device())
    {
    }

    struct Text
    {
        QString text;
        QSize size;
    };
    const Text &of(double value, int places)
    {
        const double shown = roundHalfEven(value, places);
        auto known = m_texts.find(shown);
        if (known == m_texts.end()) {
            const QString text = labelText(shown);
            known = m_texts.insert(shown, { text, QSize(m_metrics.horizontalAdvance(text), m_metrics.height()) });
        }
        return *known;
    }
    int ascent() const { return m_metrics.ascent(); }

private:
    QFontMetrics m_metrics;
    QHash<double, Text> m_texts;
};

// The text of a label keeps a one-pixel rim of canvas colour around its
// glyphs, so that digits stay legible over the hatching and the outline
// while everything between the glyphs still shows.
constexpr int kHalo = 1;
constexpr int kLabelGap = 5; // from a point to its label: clear of the point's mark

// The part of the canvas that reaches the bitmap: its last row is cut off.
const QRect kPictureArea(0, 0, kCanvasWidth, kDiagramHeight);

// A label waits until every line is drawn and then goes where it overlaps no
// label placed before it, trying its preferred place first.
struct LabelRequest
{
    double value;
    QPoint anchor; // the point the label belongs to
    bool leftOfAnchor; // a jump's value from the left stands left of the vertical
    bool above; // moments above the axis are labelled above their point
    bool dimension; // a position under the axis rather than a moment
    int places = 3; // decimals of the label
};

QRect candidateBox(const LabelRequest &r, QSize box, bool left, int rows)
{
    QPoint at;
    if (r.dimension) {
        at = QPoint(left ? r.anchor.x() - box.width() : r.anchor.x() - kHalo, r.anchor.y() - kHalo - rows * box.height());
    } else {
        const int x = left ? r.anchor.x() - kLabelGap - box.width() : r.anchor.x() + kLabelGap;
        const int y = r.above ? r.anchor.y() - box.height() - rows * box.height()
                              : r.anchor.y() + rows * box.height();
        at = QPoint(x, y);
    }
    QRect placed(at, box);
    // A label at an end of the axis may not lose its last digits to the edge.
    placed.moveLeft(std::clamp(placed.left(), kPictureArea.left(), kPictureArea.right() + 1 - box.width()));
    placed.moveTop(std::clamp(placed.top(), kPictureArea.top(), kPictureArea.bottom() + 1 - box.height()));
    return placed;
}

// The boxes of the labels placed so far, filed by the cells of a coarse grid
// over the picture: a scheme of thousands of points asks whether a place is
// free thousands of times, and only the boxes near it can take it.
class TakenBoxes
{
public:
    bool overlaps(const QRect &box) const
    {
        bool found = false;
        forCells(box, [&](int cell) {
            for (const qsizetype i : m_cells[cell])
                found = found || m_boxes[i].intersects(box);
        });
        return found;
    }
    void add(const QRect &box)
    {
        m_boxes.append(box);
        forCells(box, [&](int cell) { m_cells[cell].append(m_boxes.size() - 1); });
    }

private:
    static constexpr int kCell = 32;
    static constexpr int kColumns = kCanvasWidth / kCell + 1;
    static constexpr int kRows = kDiagramHeight / kCell + 1;
    template <typename Visit> static void forCells(const QRect &box, Visit visit)
    {
        const auto column = [](int x) { return std::clamp(x / kCell, 0, kColumns - 1); };
        const auto row = [](int y) { return std::clamp(y / kCell, 0, kRows - 1); };
        for (int r = row(std::max(0, box.top())); r <= row(std::max(0, box.bottom())); ++r)
            for (int c = column(std::max(0, box.left())); c <= column(std::max(0, box.right())); ++c)
                visit(r * kColumns + c);
    }
    QVector<QRect> m_boxes;
    std::array<QVector<qsizetype>, kColumns * kRows> m_cells;
};

QRect placeLabel(const LabelRequest &r, QSize box, const TakenBoxes &taken)
{
    // Away from the axis first, then towards it; a dimension label only has
    // its own row and the one above it.
    static constexpr int valueRows[] = { 0, 1, -1, 2, -2, 3, 4, 5 };
    static constexpr int dimensionRows[] = { 0, 1 };
    const auto rows = r.dimension ? std::span<const int>(dimensionRows) : std::span<const int>(valueRows);
    for (const int row : rows) {
        for (const bool left : { r.leftOfAnchor, !r.leftOfAnchor }) {
            const QRect candidate = candidateBox(r, box, left, row);
            if (!taken.overlaps(candidate))
                return candidate;
        }
    }
    return candidateBox(r, box, r.leftOfAnchor, 0);
}

void printLabels(QPainter &painter, LabelTexts &texts, QVector<LabelRequest> requests, QRect caption,
                 QVector<DiagramLabel> *placedLabels)
{
    // Positions keep their row under the axis; the largest moments choose
    // their places before the smaller ones.
    std::stable_sort(requests.begin(), requests.end(), [](const LabelRequest &a, const LabelRequest &b) {
        if (a.dimension != b.dimension)
            return a.dimension;
        return std::fabs(a.value) > std::fabs(b.value);
    });
    TakenBoxes taken;
    taken.add(caption);
    for (const LabelRequest &request : requests) {
        const LabelTexts::Text &text = texts.of(request.value, request.places);
        const QRect box = placeLabel(request, text.size + QSize(2 * kHalo, 2 * kHalo), taken);
        taken.add(box);
        const int x = box.left() + kHalo;
        const int baseline = box.top() + kHalo + texts.ascent();
        // The rim: the glyphs once in white, stamped round the text; shaping
        // the text nine times costs a large scheme most of its pictures.
        QImage rim(box.size() + QSize(2 * kHalo, 2 * kHalo), QImage::Format_ARGB32_Premultiplied);
        rim.fill(Qt::transparent);
        {
            QPainter glyphs(&rim);
            glyphs.setRenderHints(painter.renderHints());
            glyphs.setFont(painter.font());
            glyphs.setPen(Qt::white);
            glyphs.drawText(2 * kHalo, 2 * kHalo + texts.ascent(), text.text);
        }
        const QPoint origin(x - 2 * kHalo, baseline - texts.ascent() - 2 * kHalo);
        for (int dx = -kHalo; dx <= kHalo; ++dx)
            for (int dy = -kHalo; dy <= kHalo; ++dy)
                if (dx != 0 || dy != 0)
                    painter.drawImage(origin + QPoint(dx, dy), rim);
        // As PrintValue writes it.
        painter.setPen(plotColour::text);
        painter.drawText(x, baseline, text.text);
        if (placedLabels)
            placedLabels->append({ text.text, box });
    }
}

// The outline through the moments left and right of every entry, after the
// classic plotter: each move is rounded to whole pixels and accumulated;
// moves towards entries at the axis start are walked but not drawn. Returns
// the x the walk reached at every entry.
QVector<int> drawOutline(QPainter &painter, const PlaneDiagram &d, const EpurLayout &layout)
{
    QVector<int> entryX(d.position.size(), kMargin);
    int ax = kMargin;
    int ay = layout.y0;
    QPoint current(ax, ay);

    for (qsizetype j = 0; j + 1 < d.position.size(); ++j) {
        const bool drawn = d.position[j + 1] > 0 && d.position[j + 1] <= d.U;
        const auto move = [&](int right, int up) {
            ax = shifted(ax, right);
            ay = shifted(ay, -std::max(up, -INT_MAX));
            if (!drawn)
                return;
            painter.setPen(pen(plotColour::outline, 2));
            painter.drawLine(current, QPoint(ax, ay));
            current = QPoint(ax, ay);
            mark(painter, current, plotColour::axis, 2);
        };
        move(0, px((d.right[j] - d.left[j]) * layout.ky));
        move(px(layout.kx * d.step[j + 1]), px((d.left[j + 1] - d.right[j]) * layout.ky));
        entryX[j + 1] = ax;
    }
    return entryX;
}

// The moments to label: at every place on the axis (entries at one position
// act as one), the value coming from the left and, where the moment jumps,
// the value leaving to the right, each on its own side of the jump. Every
// extreme of a diagram of straight pieces is at such a place, so all of them
// are labelled; a zero needs no label, the axis shows it.
void requestMomentLabels(const PlaneDiagram &d, const EpurLayout &layout, const QVector<int> &entryX,
    const EpurStyle &style, QVector<LabelRequest> &requests)
{
    const auto yOf = [&](double moment) { return rowOf(moment, layout); };
    const int places = style.decimals;
    for (qsizetype first = 0; first < d.position.size();) {
        qsizetype last = first;
        while (last + 1 < d.position.size() && d.position[last + 1] == d.position[first])
            ++last;
        const double fromLeft = d.left[first] / style.labelDivisor;
        const double toRight = d.right[last] / style.labelDivisor;
        const int x = entryX[last];
        const bool jump = roundHalfEven(fromLeft, places) != roundHalfEven(toRight, places);
        if (!style.labelJumpsOnly && isShownNonZero(d.left[first], style))
            requests.append({ fromLeft, QPoint(x, yOf(d.left[first])), jump, d.left[first] > 0, false, places });
        if (jump && isShownNonZero(d.right[last], style))
            requests.append({ toRight, QPoint(x, yOf(d.right[last])), false, d.right[last] > 0, false, places });
        first = last + 1;
    }
}

// The whole millimetres strictly inside the piece from entry j to entry j + 1,
// as a range of curve indices; empty (first > last) for a piece without any.
std::pair<int, int> innerSamples(const PlaneDiagram &d, qsizetype j)
{
    const double from = d.position[j];
    const double to = d.position[j + 1];
    if (!std::isfinite(from) || !std::isfinite(to) || !(to > from))
        return { 1, 0 };
    const int first = static_cast<int>(std::floor(std::clamp(from, -1.0, double(d.U)))) + 1;
    const int last = static_cast<int>(std::ceil(std::clamp(to, 0.0, d.U + 1.0))) - 1;
    return { std::max(first, 0), std::min(last, d.U) };
}

int columnOf(double position, const PlaneDiagram &d, const EpurLayout &layout)
{
    const double z = std::isfinite(position) ? std::clamp(position, 0.0, double(d.U)) : 0.0;
    return px(kMargin + layout.kx * z);
}

// The outline of a diagram that is not linear between its entries: through
// the value right of each entry, every millimetre's sample inside the piece
// and the value left of the next entry; a jump is a vertical at its entry.
// Returns the x of every entry.
QVector<int> drawCurvedOutline(QPainter &painter, const PlaneDiagram &d, const EpurLayout &layout)
{
    const qsizetype n = d.position.size();
    QVector<int> entryX(n);
    QVector<QPoint> marks;
    painter.setPen(pen(plotColour::outline, 2));
    for (qsizetype j = 0; j < n; ++j) {
        entryX[j] = columnOf(d.position[j], d, layout);
        const QPoint fromLeft(entryX[j], rowOf(d.left[j], layout));
        const QPoint toRight(entryX[j], rowOf(d.right[j], layout));
        if (fromLeft != toRight)
            painter.drawLine(fromLeft, toRight);
        if (j + 1 == n)
            break;
        QPolygon piece { toRight };
        const auto [first, last] = innerSamples(d, j);
        for (int k = first; k <= last; ++k)
            piece << QPoint(px(kMargin + layout.kx * k), rowOf(d.curve[k], layout));
        piece << QPoint(columnOf(d.position[j + 1], d, layout), rowOf(d.left[j + 1], layout));
        painter.drawPolyline(piece);
        marks << piece.first() << piece.last();
    }
    for (const QPoint &at : marks)
        mark(painter, at, plotColour::axis, 2);
    return entryX;
}

// Inside a curved piece the diagram may peak away from its entries (the
// largest deflection between the bearings): the largest and the smallest
// sample of the piece are labelled when they show beyond both of its ends.
void requestExtremeLabels(
    const PlaneDiagram &d, const EpurLayout &layout, const EpurStyle &style, QVector<LabelRequest> &requests)
{
    for (qsizetype j = 0; j + 1 < d.position.size(); ++j) {
        const auto [first, last] = innerSamples(d, j);
        if (first > last)
            continue;
        int highest = first;
        int lowest = first;
        for (int k = first; k <= last; ++k) {
            highest = d.curve[k] > d.curve[highest] ? k : highest;
            lowest = d.curve[k] < d.curve[lowest] ? k : lowest;
        }
        const double atFrom = shownValue(d.right[j], style);
        const double atTo = shownValue(d.left[j + 1], style);
        const auto request = [&](int k) {
            if (isShownNonZero(d.curve[k], style))
                requests.append(
                    { d.curve[k] / style.labelDivisor, QPoint(px(kMargin + layout.kx * k), rowOf(d.curve[k], layout)),
                        false, d.curve[k] > 0, false, style.decimals });
        };
        if (shownValue(d.curve[highest], style) > std::max(atFrom, atTo))
            request(highest);
        if (shownValue(d.curve[lowest], style) < std::min(atFrom, atTo))
            request(lowest);
    }
}

// The limit's steps cut to the axis, the empty ones left out.
QVector<EpurStep> stepsOnAxis(const QVector<EpurStep> &limit, int U)
{
    QVector<EpurStep> steps;
    for (EpurStep step : limit) {
        step.from = std::max(step.from, 0.0);
        step.to = std::min(step.to, double(U));
        if (step.to > step.from && std::isfinite(step.value))
            steps.append(step);
    }
    return steps;
}

// Where the diagram rises above the limit, every pixel column between the
// two is filled: the hatching strokes a millimetre apart stay for the part
// the limit covers, so the shortfall stands out as a solid patch.
void fillExcess(QPainter &painter, const PlaneDiagram &d, const QVector<EpurStep> &steps, const EpurLayout &layout)
{
    painter.setPen(pen(plotColour::excess, 1));
    for (const EpurStep &step : steps) {
        for (int x = px(kMargin + layout.kx * step.from); x <= px(kMargin + layout.kx * step.to); ++x) {
            const double z = std::clamp((x - kMargin) / layout.kx, 0.0, double(d.U));
            const int below = static_cast<int>(std::floor(z));
            const int above = std::min(below + 1, d.U);
            const double value = d.curve[below] + (d.curve[above] - d.curve[below]) * (z - below);
            if (value > step.value)
                painter.drawLine(x, rowOf(step.value, layout), x, rowOf(value, layout));
        }
    }
}

// The limit as a silhouette: up from the axis at its first step, along the
// steps, down to the axis at its last one (and at any gap between steps).
void drawLimit(QPainter &painter, const QVector<EpurStep> &steps, const EpurLayout &layout, const EpurStyle &style,
    QVector<LabelRequest> &requests)
{
    painter.setPen(pen(plotColour::limit, 2));
    QPolygon silhouette;
    const auto close = [&] {
        if (silhouette.isEmpty())
            return;
        silhouette << QPoint(silhouette.last().x(), layout.y0);
        painter.drawPolyline(silhouette);
        silhouette.clear();
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const EpurStep &step = steps[i];
        const int from = px(kMargin + layout.kx * step.from);
        const int to = px(kMargin + layout.kx * step.to);
        const int y = rowOf(step.value, layout);
        if (i > 0 && steps[i - 1].to < step.from)
            close();
        if (silhouette.isEmpty())
            silhouette << QPoint(from, layout.y0);
        silhouette << QPoint(from, y) << QPoint(to, y);
        if (isShownNonZero(step.value, style))
            requests.append({ step.value / style.labelDivisor, QPoint((from + to) / 2, y), false, step.value > 0, false,
                style.decimals });
    }
    close();
}

} // namespace

EpurLayout epurLayout(const QVector<double> &curve, int U)
{
    const int W = kCanvasWidth;
    const int H = kCanvasHeight;
    EpurLayout layout;
    layout.kx = U > 0 ? static_cast<double>(W - 2 * kMargin) / U : 0.0;

    // The zero line must stay on the canvas, so a curve that never rises above
    // zero counts as having its largest value there.
    const double top = std::max(ArrayMax(curve), 0.0);
    const double bottom = ArrayMin(curve);
    const double A = ArrayMaxAbs(curve);
    const int room = H - 2 * kHeadroom;

    if (!(A > 0) || !std::isfinite(A)) {
        layout.y0 = px(H / 2.0);
        layout.ky = 1;
        return layout;
    }
    double R = room;
    if (std::fabs(top) < 0.05 * A) {
        layout.y0 = kHeadroom;
    } else if (std::fabs(bottom) < 0.005 * A) {
        layout.y0 = H - kHeadroom;
    } else {
        layout.y0 = static_cast<int>(std::floor(top / (std::fabs(bottom) + top) * room)) + kHeadroom;
        R = std::fabs(bottom) >= std::fabs(top) ? H - layout.y0 - kHeadroom : layout.y0 - kHeadroom;
    }
    layout.ky = R / A;
    return layout;
}

QString epurCaption(DiagramPlane plane, const QString &unit)
{
    switch (plane) {
    case DiagramPlane::XOZ:
        return QStringLiteral(" Изгибающие моменты в плоскости XOZ  -  Mx(") + unit + QStringLiteral("*м) ");
    case DiagramPlane::YOZ:
        return QStringLiteral(" Изгибающие моменты в плоскости YOZ  -  My(") + unit + QStringLiteral("*м) ");
    case DiagramPlane::Sum:
        break;
    }
    return QStringLiteral(" Суммарные изгибающие моменты - Ms(") + unit + QStringLiteral("*м) ");
}

QFont diagramFont()
{
    static const QString family = [] {
        for (const char *candidate : { "Arial", "Liberation Sans", "DejaVu Sans" }) {
            if (QFontDatabase::hasFamily(QString::fromLatin1(candidate)))
                return QString::fromLatin1(candidate);
        }
        return QString();
    }();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QSize PrintValue(QPainter &painter, double value, int x, int y)
{
    const QString text = SqlNum(roundHalfEven(value, 3));
    const QFontMetrics metrics(painter.font(), painter.device());
    painter.setPen(plotColour::text);
    painter.drawText(x, y + metrics.ascent(), text);
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

QImage paintEpur(const PlaneDiagram &d, const QString &caption, QVector<DiagramLabel> *labels, QImage *unlabelled,
    const EpurStyle &style)
{
    const int W = kCanvasWidth;
    const int H = kCanvasHeight;
    QImage canvas(W, H, QImage::Format_RGB32);
    canvas.setDotsPerMeterX(kDotsPerMetre);
    canvas.setDotsPerMeterY(kDotsPerMetre);
    canvas.fill(Qt::white);

    QPainter painter(&canvas);
    // Hard edges only: every pixel must be one of the sixteen colours.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(diagramFont());

    LabelTexts texts(painter);
    QVector<LabelRequest> requests;
    if (isDrawable(d)) {
        const QVector<EpurStep> steps = stepsOnAxis(style.limit, d.U);
        QVector<double> fitted = d.curve; // the scale holds the limit too
        for (const EpurStep &step : steps)
            fitted.append(step.value);
        // The moment diagrams keep their scale as it always was; any other
        // picture measures its values from the axis even where they never
        // fall to zero (a required diameter, the deflection of an overhang),
        // so its axis goes to the bottom or top like that of a one-signed diagram.
        if (style != EpurStyle {})
            fitted.append(0.0);
        const EpurLayout layout = epurLayout(fitted, d.U);
        const int y0 = layout.y0;

        painter.setPen(pen(plotColour::axis, 3));
        painter.drawLine(kMargin, y0, W - kMargin, y0);

        requests.append({ 0, QPoint(kMargin, H - kLabelRow), false, false, true });
        for (qsizetype i = 0; i < d.position.size(); ++i) {
            const int xi = px(kMargin + layout.kx * d.position[i]);
            mark(painter, QPoint(xi, y0), plotColour::axis, 3);
            painter.setPen(pen(plotColour::dimension, 1));
            painter.drawLine(xi, y0, xi, H - kMargin);
            if (i > 0 && d.position[i] != d.position[i - 1] && d.position[i] != 0)
                requests.append({ d.position[i], QPoint(xi, H - kLabelRow), false, false, true });
        }

        painter.setPen(pen(plotColour::hatching, 1));
        for (int k = 0; k <= d.U; ++k) {
            const int x = px(kMargin + k * layout.kx);
            const int y = px(y0 - layout.ky * d.curve[k]);
            if (y != y0)
                painter.drawLine(x, y0, x, y);
        }

        fillExcess(painter, d, steps, layout);
        drawLimit(painter, steps, layout, style, requests);
        if (style.curvedOutline) {
            const QVector<int> entryX = drawCurvedOutline(painter, d, layout);
            requestMomentLabels(d, layout, entryX, style, requests);
            requestExtremeLabels(d, layout, style, requests);
        } else {
            const QVector<int> entryX = drawOutline(painter, d, layout);
            requestMomentLabels(d, layout, entryX, style, requests);
        }
    }

    const QFontMetrics metrics(painter.font(), painter.device());
    painter.setPen(plotColour::text);
    painter.drawText(20, metrics.height() + metrics.ascent(), caption);
    const QRect captionBox(20, metrics.height(), metrics.horizontalAdvance(caption), metrics.height());
    if (unlabelled)
        *unlabelled = canvas.copy();
    printLabels(painter, texts, requests, captionBox, labels);
    painter.end();
    return canvas;
}

void DrawEpur(const PlaneDiagram &diagram, const QString &caption, QImage &bitmap, const EpurStyle &style)
{
    copyToDiagramBitmap(paintEpur(diagram, caption, nullptr, nullptr, style), bitmap);
}

void copyToDiagramBitmap(const QImage &canvas, QImage &bitmap)
{
    if (!isDiagramBitmap(bitmap))
        bitmap = blankDiagramBitmap();
    const int width = std::min(canvas.width(), bitmap.width());
    const int height = std::min(canvas.height(), bitmap.height());
    // Long runs of one colour (the white background above all): look each
    // colour up once per run.
    QRgb runColour = canvas.pixel(0, 0) ^ 1u;
    uchar runIndex = 0;
    for (int y = 0; y < height; ++y) {
        const auto *source = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
        uchar *target = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (source[x] != runColour) {
                runColour = source[x];
                runIndex = nearestPaletteIndex(runColour);
            }
            target[x] = runIndex;
        }
    }
}

} // namespace tarnvel
