#include "analysis/diagram_plot.h"

#include "analysis/diagram_bitmap.h"
#include "store/numbers.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <cmath>

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

// Moments are labelled in thousandths to three decimals; a rounding residue
// such as 1E-12 over a support is no moment worth a label.
bool isShownNonZero(double moment) { return roundHalfEven(moment / 1000.0, 3) != 0.0; }

bool isDiagramBitmap(const QImage &bitmap)
{
    return bitmap.format() == QImage::Format_Indexed8 && bitmap.width() == kDiagramWidth
        && bitmap.height() == kDiagramHeight && bitmap.colorTable() == diagramPalette();
}

// A value label waits until every line is drawn: it then goes on top, on a
// patch of the canvas colour, so that no outline or hatching crosses its digits.
struct ValueLabel
{
    double value;
    QPoint at; // top-left corner of the text
};

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
    const Text &of(double value)
    {
        const double shown = roundHalfEven(value, 3);
        auto known = m_texts.find(shown);
        if (known == m_texts.end()) {
            const QString text = SqlNum(shown);
            known = m_texts.insert(shown, { text, QSize(m_metrics.horizontalAdvance(text), m_metrics.height()) });
        }
        return *known;
    }
    int ascent() const { return m_metrics.ascent(); }

private:
    QFontMetrics m_metrics;
    QHash<double, Text> m_texts;
};

QSize labelSize(LabelTexts &texts, double value) { return texts.of(value).size; }

constexpr int kHalo = 1; // pixels of canvas colour around a label's text

void printLabels(QPainter &painter, LabelTexts &texts, const QVector<ValueLabel> &labels, QVector<QRect> *boxes)
{
    for (const ValueLabel &label : labels) {
        const LabelTexts::Text &text = texts.of(label.value);
        const QRect box = QRect(label.at, text.size).adjusted(-kHalo, -kHalo, kHalo, kHalo);
        painter.fillRect(box, Qt::white);
        // As PrintValue writes it.
        painter.setPen(plotColour::text);
        painter.drawText(label.at.x(), label.at.y() + texts.ascent(), text.text);
        if (boxes)
            boxes->append(box);
    }
}

// The outline through the moments left and right of every entry, with the
// value labels, after the classic plotter: each move is rounded to whole
// pixels and accumulated; moves towards entries at the axis start are walked
// but not drawn.
void drawOutline(QPainter &painter, LabelTexts &texts, const PlaneDiagram &d, const EpurLayout &layout,
                 QSize lastLabel, QVector<ValueLabel> &labels)
{
    const double Wp = kCanvasWidth - 2 * kMargin;
    const int textOffset = px(Wp > d.U ? 5 + Wp / d.U : 5 + d.U / Wp);

    int ax = kMargin;
    int ay = layout.y0;
    QPoint current(ax, ay);

    for (qsizetype j = 0; j + 1 < d.position.size(); ++j) {
        const bool drawn = d.position[j + 1] > 0 && d.position[j + 1] <= d.U;
        const bool labelled = isShownNonZero(d.left[j]) && isShownNonZero(d.right[j]);

        const auto move = [&](int right, int up, double shown) {
            const int fromX = ax;
            const int fromY = ay;
            ax = shifted(ax, right);
            ay = shifted(ay, -std::max(up, -INT_MAX));
            if (!drawn)
                return;
            painter.setPen(pen(plotColour::outline, 2));
            painter.drawLine(current, QPoint(ax, ay));
            current = QPoint(ax, ay);
            mark(painter, current, plotColour::axis, 2);

            if (!labelled)
                return;
            int labelY = fromY;
            // Keep the label off a steep line that leaves from its own corner.
            if (right > lastLabel.width() && std::abs(qint64{up}) > lastLabel.height()) {
                labelY = shifted(labelY, up > 0 ? lastLabel.height() : -lastLabel.height());
                if (labelY < layout.y0)
                    labelY = shifted(labelY, -lastLabel.height());
            }
            labels.append({shown / 1000.0, QPoint(shifted(fromX, textOffset), labelY)});
            lastLabel = labelSize(texts, shown / 1000.0);
        };

        move(0, px((d.right[j] - d.left[j]) * layout.ky), d.left[j]);
        move(px(layout.kx * d.step[j + 1]), px((d.left[j + 1] - d.right[j]) * layout.ky), d.right[j]);
    }
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

QImage paintEpur(const PlaneDiagram &d, const QString &caption, QVector<QRect> *labelBoxes)
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

    if (isDrawable(d)) {
        const EpurLayout layout = epurLayout(d.curve, d.U);
        const int y0 = layout.y0;

        painter.setPen(pen(plotColour::axis, 3));
        painter.drawLine(kMargin, y0, W - kMargin, y0);

        LabelTexts texts(painter);
        QVector<ValueLabel> labels;
        QSize lastLabel;
        for (qsizetype i = 0; i < d.position.size(); ++i) {
            const int xi = px(kMargin + layout.kx * d.position[i]);
            mark(painter, QPoint(xi, y0), plotColour::axis, 3);
            painter.setPen(pen(plotColour::dimension, 1));
            painter.drawLine(xi, y0, xi, H - kMargin);
            labels.append({0, QPoint(kMargin, H - kLabelRow)});
            lastLabel = labelSize(texts, 0);
            if (i > 0 && d.position[i] != d.position[i - 1]) {
                labels.append({d.position[i], QPoint(xi, H - kLabelRow)});
                lastLabel = labelSize(texts, d.position[i]);
            }
        }

        painter.setPen(pen(plotColour::hatching, 1));
        for (int k = 0; k <= d.U; ++k) {
            const int x = px(kMargin + k * layout.kx);
            const int y = px(y0 - layout.ky * d.curve[k]);
            if (y != y0)
                painter.drawLine(x, y0, x, y);
        }

        drawOutline(painter, texts, d, layout, lastLabel, labels);
        printLabels(painter, texts, labels, labelBoxes);
    }

    const QFontMetrics metrics(painter.font(), painter.device());
    painter.setPen(plotColour::text);
    painter.drawText(20, metrics.height() + metrics.ascent(), caption);
    painter.end();
    return canvas;
}

void DrawEpur(const PlaneDiagram &diagram, const QString &caption, QImage &bitmap)
{
    if (!isDiagramBitmap(bitmap))
        bitmap = blankDiagramBitmap();
    const QImage canvas = paintEpur(diagram, caption);
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
