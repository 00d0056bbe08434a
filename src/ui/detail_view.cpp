// The detail view: one procedure, LV_Click, builds the view of a node and
// carries out the action of a row. Every view is rebuilt from the store each
// time it is shown.

#include "ui/main_window.h"

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

QString idOf(const QTreeWidgetItem *row)
{
    return QString::number(wholeNumber(leadingNumber(row->data(0, KeyRole).toString())));
}

// A stored number as the view shows it; an empty field counts as not set.
QString storedText(const QVariant &value)
{
    return value.isNull() ? QStringLiteral("0") : SqlNum(value.toDouble());
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

// A choice's caption replaces the stored code; a value without a stored
// code shows, and carries, choice 1.
void frmMain::lookUpChoice(QTreeWidgetItem *row, const QString &statementStart)
{
    const QString tag = row->data(1, TagRole).toString();
    const bool unset = tag == QLatin1String("0");
    const QString statement = statementStart.arg(idOf(row), unset ? QStringLiteral("1") : tag);
    Recordset rs = m_state.database().openRecordset(statement);
    if (rs.isBeforeFirst())
        return;
    setValueCell(row, rs.field(QStringLiteral("DefaultText")).toString(),
                 QString::number(rs.field(QStringLiteral("DefaultValue")).toLongLong()));
    row->setData(1, ChoiceRole, true);
}

void frmMain::showGeneralDataView()
{
    DetalView(true);
    TV->setCurrentItem(nodeByKey(QStringLiteral("Common")));
    m_viewTag = QStringLiteral("Common");
    clearList();
    Database &db = m_state.database();
    Recordset parameters = db.openRecordset(QStringLiteral("SELECT Parameter, ParameterID FROM `Parameters` WHERE (GroupID = 1)"));
    for (; !parameters.isAfterLast(); parameters.next()) {
        addRow(QString::number(parameters.field(QStringLiteral("ParameterID")).toLongLong()) + QStringLiteral(" ID"),
               parameters.field(QStringLiteral("Parameter")).toString(), 4, QStringLiteral("1"));
    }
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = LV->topLevelItem(i);
        Recordset value = db.openRecordset(QStringLiteral("SELECT ParamValue FROM CommonParameters WHERE ParameterID = ") + idOf(row));
        if (value.isBeforeFirst()) {
            setValueCell(row, QStringLiteral("0"), QStringLiteral("0"));
        } else {
            const QString text = storedText(value.field(QStringLiteral("ParamValue")));
            setValueCell(row, text, text);
        }
        lookUpChoice(row, QStringLiteral("SELECT DefaultText, DefaultValue FROM DefaultParameters WHERE (ParameterID = %1) "
                                         "AND (DefaultValue = %2)"));
    }
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
    Recordset rs = m_state.database().openRecordset(QString::fromUtf8(kPointsStatement));
    const bool anyPoint = !rs.isBeforeFirst();
    for (; !rs.isAfterLast(); rs.next()) {
        const QString number = QString::number(rs.field(QStringLiteral("PointNumber")).toLongLong());
        addRow(number + QStringLiteral(" N"), pointCaption(number, rs.field(QStringLiteral("Group")).toString()), 4,
               QString::number(rs.field(QStringLiteral("PointID")).toLongLong()));
    }
    if (anyPoint)
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

    const QString number = QString::number(wholeNumber(leadingNumber(key)));
    m_viewTag = key;
    Database &db = m_state.database();
    Recordset point = db.openRecordset(QStringLiteral("SELECT PointID, GroupID FROM Points WHERE PointNumber = ") + number);
    if (point.isBeforeFirst()) {
        clearList();
        return;
    }
    const QString pointId = QString::number(point.field(QStringLiteral("PointID")).toLongLong());
    const QString group = QString::number(point.field(QStringLiteral("GroupID")).toLongLong());
    m_viewTag = pointId;

    const QString parameters = QStringLiteral(
        "SELECT `Parameters`.Parameter, `Parameters`.ParameterID, PointParameters.ParValue FROM Points, PointParameters, "
        "`Parameters` WHERE Points.PointID = PointParameters.PointID AND Points.GroupID = `Parameters`.GroupID AND "
        "PointParameters.ParameterID = `Parameters`.ParameterID AND Points.PointNumber = ");
    auto addParameterRows = [this, &group](Recordset &rs) {
        for (; !rs.isAfterLast(); rs.next()) {
            QTreeWidgetItem *row =
                addRow(QString::number(rs.field(QStringLiteral("ParameterID")).toLongLong()) + QStringLiteral(" ID"),
                       rs.field(QStringLiteral("Parameter")).toString(), 4, group);
            const QString text = storedText(rs.field(QStringLiteral("ParValue")));
            setValueCell(row, text, text);
        }
    };

    if (group == QLatin1String("2")) {
        // The equivalent forces 8, 9, 10 are results, not inputs: only the coordinates are listed.
        clearList();
        Recordset rs = db.openRecordset(parameters + number + QStringLiteral(" AND `Parameters`.ParameterID < 8 ORDER BY `Parameters`.ParameterID"));
        addParameterRows(rs);
        addRow(QStringLiteral("AddFPower"), QStringLiteral("Силы и режимы..."), 4);
        return;
    }

    Recordset rs = db.openRecordset(parameters + number + QStringLiteral(" ORDER BY `Parameters`.ParameterID"));
    clearList();
    if (!rs.isBeforeFirst()) {
        addParameterRows(rs);
    } else {
        Recordset catalogue = db.openRecordset(QStringLiteral("SELECT `Parameters`.Parameter, `Parameters`.ParameterID FROM `Parameters` "
                                                              "WHERE `Parameters`.GroupID = %1 ORDER BY `Parameters`.ParameterID")
                                                   .arg(group));
        for (; !catalogue.isAfterLast(); catalogue.next()) {
            QTreeWidgetItem *row =
                addRow(QString::number(catalogue.field(QStringLiteral("ParameterID")).toLongLong()) + QStringLiteral(" ID"),
                       catalogue.field(QStringLiteral("Parameter")).toString(), 7, group);
            setValueCell(row, QStringLiteral("0"), QStringLiteral("0"));
        }
    }
    for (int i = 0; i < LV->topLevelItemCount(); ++i) {
        lookUpChoice(LV->topLevelItem(i),
                     QStringLiteral("SELECT DefaultText, DefaultValue FROM DefaultParameters WHERE ParameterID = %1 AND DefaultValue = %2"));
    }
    if (group == QLatin1String("3") || group == QLatin1String("4")) {
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
