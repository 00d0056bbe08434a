// The detail view: one procedure, LV_Click, builds the view of a node and
// carries out the action of a row. Every view is rebuilt from the store each
// time it is shown.

#include "ui/main_window.h"

#include "scheme/scheme_edits.h"
#include "store/numbers.h"
#include "ui/diagram_picture.h"
#include "ui/image_list.h"

#include <QTreeWidget>

namespace tarnvel {

namespace {

bool isOneOf(const QString &key, std::initializer_list<const char *> keys)
{
    for (const char *candidate : keys) {
        if (key == QLatin1String(candidate))
            return true;
    }
    return false;
}

QString parameterKey(const ParameterRow &parameter)
{
    return QString::number(parameter.parameterId) + QStringLiteral(" ID");
}

// A choice's caption stands for the stored code; the cell's tag carries the
// code the caption stands for.
void showParameterValue(QTreeWidgetItem *row, const ParameterRow &parameter)
{
    const QString text = SqlNum(parameter.value);
    row->setText(1, parameter.choice ? parameter.choice->text : text);
    row->setData(1, TagRole, parameter.choice ? QString::number(parameter.choice->value) : text);
    if (parameter.choice)
        row->setData(1, ChoiceRole, true);
}

} // namespace

void frmMain::clearList()
{
    LV->clear();
}

QTreeWidgetItem *frmMain::addRow(const QString &key, const QString &text, int image, const QString &tag)
{
    auto *row = new QTreeWidgetItem(LV);
    row->setText(0, text);
    row->setData(0, KeyRole, key);
    row->setData(0, TagRole, tag);
    row->setData(0, ImageRole, image);
    if (image > 0)
        row->setIcon(0, imageListIcon(image));
    return row;
}

void frmMain::setValueCell(QTreeWidgetItem *row, const QString &text, const QString &tag)
{
    row->setText(1, text);
    row->setData(1, TagRole, tag);
}

QTreeWidgetItem *frmMain::rowByKey(const QString &key) const
{
    if (key.isEmpty())
        return nullptr;
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = LV->topLevelItem(i);
        if (row->data(0, KeyRole).toString() == key)
            return row;
    }
    return nullptr;
}

void frmMain::selectRowAndAct(const QString &key)
{
    // Inside the walk-through nobody sees the row selected: the pending key
    // says the same to LV_Click without the list redrawing its selection.
    QTreeWidgetItem *row = m_walking ? nullptr : rowByKey(key);
    if (row)
        LV->setCurrentItem(row);
    else
        m_state.strViewKey = key;
    LV_Click();
}

void frmMain::LV_Click()
{
    ctPicture->hide();

    // The key is taken once, at the start: a nested call sees its own.
    QString key;
    if (!m_state.strViewKey.isEmpty()) {
        key = m_state.strViewKey;
        m_state.strViewKey.clear();
    } else if (const QTreeWidgetItem *row = LV->currentItem()) {
        key = row->data(0, KeyRole).toString();
    }
    ShowRowStatus(key);
    setEditCommandsEnabled(false, false);

    if (isOneOf(key, {"XOZ", "YOZ", "SUM", "Epur"})) {
        selectAndDisplayNode(key);
    } else if (key == QLatin1String("AddFPower")) {
        cmdAddFPower();
    } else if (key == QLatin1String("Forse")) {
        cmdForse();
    } else if (key == QLatin1String("LBear")) {
        cmdBear(0);
    } else if (key == QLatin1String("RBear")) {
        cmdBear(1);
    } else if (key == QLatin1String("LBearing") || key == QLatin1String("RBearing")) {
        showReactionView(key);
    } else if (key == QLatin1String("Sila")) {
        mnuAddFree_Click();
    } else if (key == QLatin1String("Cilinric")) {
        mnuAddCill_Click();
    } else if (key == QLatin1String("Konic")) {
        mnuAddCon_Click();
    } else if (key == QLatin1String("PointWizard")) {
        showChoiceView();
    } else if (key == QLatin1String("Points")) {
        showPointsView();
    } else if (key == QLatin1String("Common")) {
        showGeneralDataView();
    } else if (key == QLatin1String("Bearings")) {
        selectAndDisplayNode(key);
    } else if (key == QLatin1String("BNuml")) {
        cmdBNum(0);
    } else if (key == QLatin1String("BNumr")) {
        cmdBNum(1);
    } else if (key == QLatin1String("Osevaya")) {
        showAxialForceView();
    } else if (key == QLatin1String("Power")) {
        cmdPower();
    } else if (key == QLatin1String("Back")) {
        TV_Click();
    } else if (key.contains(QLatin1String(" N"))) {
        showPointView(key);
    } else if (key.contains(QLatin1String(" ID"))) {
        const QString node = TV->currentItem() ? TV->currentItem()->data(0, KeyRole).toString() : QString();
        if (node != QLatin1String("LBearing") && node != QLatin1String("RBearing")) {
            if (QTreeWidgetItem *row = rowByKey(key))
                openEditor(row);
        }
    }
}

void frmMain::showGeneralDataView()
{
    DetalView(true);
    TV->setCurrentItem(nodeByKey(QStringLiteral("Common")));
    m_viewTag = QStringLiteral("Common");
    clearList();
    for (const ParameterRow &parameter : generalDataRows(m_state.database()))
        showParameterValue(addRow(parameterKey(parameter), parameter.caption, 4, QStringLiteral("1")), parameter);
}

void frmMain::showPointsView()
{
    DetalView(false);
    if (QTreeWidgetItem *node = nodeByKey(QStringLiteral("Points")); node != TV->currentItem())
        TV->setCurrentItem(node);
    setEditCommandsEnabled(true, false);
    m_viewTag = QStringLiteral("Points");
    clearList();
    addRow(QStringLiteral("PointWizard"), QStringLiteral("Добавить точку нагружения..."), 6);
    const QVector<SchemePoint> points = schemePoints(m_state.database());
    for (const SchemePoint &point : points) {
        const QString number = QString::number(point.number);
        addRow(number + QStringLiteral(" N"), pointCaption(number, point.kind), 4, QString::number(point.pointId));
    }
    if (!points.isEmpty())
        setEditCommandsEnabled(true, true);
}

void frmMain::showChoiceView()
{
    clearList();
    addRow(QStringLiteral("Sila"), QStringLiteral("Произвольная сила..."), 6);
    addRow(QStringLiteral("Cilinric"), QStringLiteral("Цилиндрическое зацепление..."), 6);
    addRow(QStringLiteral("Konic"), QStringLiteral("Коническое зацепление..."), 6);
}

void frmMain::showPointView(const QString &key)
{
    DetalView(true);
    if (QTreeWidgetItem *node = nodeByKey(key); node && node != TV->currentItem())
        TV->setCurrentItem(node);
    setEditCommandsEnabled(false, true);

    m_viewTag = key;
    clearList();
    const std::optional<PointParameters> point = pointParameters(m_state.database(), wholeNumber(leadingNumber(key)));
    if (!point)
        return;
    const QString pointId = QString::number(point->pointId);
    m_viewTag = pointId;

    // Image 7: the point has no values of its own yet.
    const QString group = QString::number(point->group);
    for (const ParameterRow &parameter : point->rows)
        showParameterValue(addRow(parameterKey(parameter), parameter.caption, point->unset ? 7 : 4, group), parameter);
    if (point->group == 2) {
        addRow(QStringLiteral("AddFPower"), QStringLiteral("Силы и режимы..."), 4);
    } else if (point->group == 3 || point->group == 4) {
        addRow(QStringLiteral("Power"), QStringLiteral("Нагрузки и режимы..."), 4, pointId);
        addRow(QStringLiteral("Forse"), QStringLiteral("Силы в зацеплении..."), 4, pointId);
    }
}

void frmMain::showReactionView(const QString &key)
{
    const bool left = key == QLatin1String("LBearing");
    // The reactions shown are those of the current inputs, or none.
    const Calculation &calculation = m_state.calculate();
    DetalView(true);
    m_viewTag = key;
    clearList();
    showResultRows(calculation.reactionRows.at(left ? 0 : 1));
    addRow(left ? QStringLiteral("LBear") : QStringLiteral("RBear"), QStringLiteral("Подшипник..."), 4);
}

// Rows of a result, each keyed by its caption, the values rounded.
void frmMain::showResultRows(const QVector<ResultRow> &rows)
{
    for (const ResultRow &r : rows) {
        QTreeWidgetItem *row = addRow(r.key, r.caption, 0);
        const QString value = r.numbers.isEmpty() || !r.numbers.first() ? QString()
                                                                          : SqlNum(roundHalfEven(*r.numbers.first(), 3));
        setValueCell(row, value, value);
    }
}

void frmMain::showAxialForceView()
{
    selectAndDisplayNode(QStringLiteral("LBearing"));
    if (m_state.blnIncomplete)
        return;
    QTreeWidgetItem *node = nodeByKey(QStringLiteral("Osevaya"));
    TV->setCurrentItem(node);
    setStatusText(node->text(0));

    DetalView(true);
    m_viewTag = QStringLiteral("Osevaya");
    clearList();
    showResultRows(m_state.calculate().reactionRows.at(2));
}

} // namespace tarnvel
