// The commands of a loading point's view that leave the list: the two load
// dialogs and the mesh force command with its per-mode force table.

#include "ui/main_window.h"

#include "scheme/load_modes.h"
#include "scheme/mesh_forces.h"
#include "store/numbers.h"
#include "ui/dialogs/forces_dialog.h"
#include "ui/dialogs/loads_dialog.h"
#include "ui/message_box.h"
#include "ui/modal_dialog.h"

#include <QTreeWidget>

namespace tarnvel {

namespace {

void inform(QWidget *parent, const QString &text)
{
    showMessage(text, MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), parent);
}

} // namespace

// Point 1 owns the modes; every other point may only change its loads.
bool frmMain::isFirstPointFlag() const
{
    const QTreeWidgetItem *node = TV->currentItem();
    return !node || leadingNumber(node->data(0, KeyRole).toString()) != 1;
}

void frmMain::cmdPower()
{
    const QTreeWidgetItem *row = rowByKey(QStringLiteral("Power"));
    const int pointId = wholeNumber(leadingNumber(row ? row->data(0, TagRole).toString() : m_viewTag));
    Database &db = m_state.database();
    SyncModes(db, pointId);
    const int kind = GatherModes(db, pointId, m_state.modes);
    m_state.blnIncomplete = true;

    frmNagr dialog(m_state, isFirstPointFlag(), kind, this);
    dialog.setWindowTitle(TV->currentItem()->text(0) + QStringLiteral(" - нагрузки и режимы"));
    runModal(dialog);

    Database::Transaction transaction(db);
    db.execute(QStringLiteral("DELETE FROM Powers WHERE PointID = %1").arg(pointId));
    if (!m_state.blnIncomplete) {
        const ModeList &modes = m_state.modes;
        for (int i = 1; i <= ModeCount(modes); ++i) {
            const ModeRecord &mode = modes.at(i - 1);
            const double loads[] = {mode.Load1, mode.Load2, mode.Load3, mode.Load4};
            for (int k = 1; k <= 4; ++k) {
                db.execute(QStringLiteral("INSERT INTO Powers (PointID, Power, Speed, Coeff, PowerID, PowerNumber, RezNumber) "
                                          "VALUES (%1, %2, %3, %4, %5, %6, %6)")
                               .arg(pointId)
                               .arg(SqlNum(loads[k - 1]), SqlNum(mode.Speed), SqlNum(mode.Coeff))
                               .arg(k)
                               .arg(i));
            }
            // A confirmed speed holds for the mode of every point at once.
            db.execute(QStringLiteral("UPDATE Powers SET Speed = %1 WHERE RezNumber = %2").arg(SqlNum(mode.Speed)).arg(i));
        }
        db.execute(QStringLiteral("UPDATE Powers SET PowerNumber = %1 WHERE PointID = %2").arg(dialog.kind()).arg(pointId));
    }
    transaction.commit();
}

void frmMain::cmdAddFPower()
{
    frmNagrP dialog(m_state, isFirstPointFlag(), wholeNumber(leadingNumber(m_viewTag)), this);
    dialog.setWindowTitle(TV->currentItem()->text(0) + QStringLiteral(" - Силы и режимы"));
    runModal(dialog);
    LV->viewport()->update();
}

void frmMain::cmdForse()
{
    m_state.blnIncomplete = true;
    const QTreeWidgetItem *node = TV->currentItem();
    if (node == nullptr)
        return;
    const int pointId = wholeNumber(leadingNumber(node->data(0, TagRole).toString()));
    const QTreeWidgetItem *first = LV->topLevelItem(0);
    const int group = first ? wholeNumber(leadingNumber(first->data(0, TagRole).toString())) : 0;

    double eqSpeed = 0;
    const MeshOutcome outcome = m_state.meshForces.run(m_state.database(), pointId, group, &eqSpeed);
    m_state.dblEqSpeed = eqSpeed;
    switch (outcome.status) {
    case MeshStatus::Ok:
        break;
    case MeshStatus::NoModes:
        inform(this, QStringLiteral("Задайте нагрузки и режимы..."));
        selectRowAndAct(QStringLiteral("Power"));
        return;
    case MeshStatus::ZeroSpeedSum:
        m_state.blnIncomplete = false;
        inform(this, QStringLiteral("Задайте частоту вращения..."));
        m_state.strViewKey = QStringLiteral("Power");
        LV_Click();
        return;
    case MeshStatus::NoDirection:
        inform(this, QStringLiteral("Задайте направление вращения..."));
        selectAndDisplayNode(QStringLiteral("Common"));
        selectRowAndAct(QStringLiteral("38 ID"));
        return;
    case MeshStatus::BadForceUnit:
        inform(this, QStringLiteral("Задайте единицу силы..."));
        selectAndDisplayNode(QStringLiteral("Common"));
        selectRowAndAct(QStringLiteral("4 ID"));
        return;
    case MeshStatus::ZeroParameter: {
        const QString key = QStringLiteral("%1 ID").arg(outcome.parameterId);
        const QTreeWidgetItem *row = rowByKey(key);
        inform(this, QStringLiteral("Задайте ") + (row ? row->text(0) : key));
        selectRowAndAct(key);
        return;
    }
    case MeshStatus::InconsistentGearData: {
        const QTreeWidgetItem *row = rowByKey(QStringLiteral("%1 ID").arg(outcome.parameterId));
        QString text = QStringLiteral("Данные зацепления точки «%1» несовместимы: при них зацепление невозможно.").arg(node->text(0));
        if (row)
            text += QStringLiteral("\nПроверьте параметр «%1».").arg(row->text(0));
        inform(this, text);
        return;
    }
    case MeshStatus::NotAGearPoint:
        return;
    }

    // The forces of every mode, as stored. The walk-through moves on at once
    // to the next point, so the table it would pass by is not built.
    if (m_walking) {
        m_state.blnIncomplete = false;
        return;
    }
    Database &db = m_state.database();
    Recordset last = db.openRecordset(QStringLiteral("SELECT Max(PointForses.RezNumber) AS RezNumber FROM PointForses GROUP BY "
                                                     "PointForses.PointID HAVING PointForses.PointID = %1")
                                          .arg(pointId));
    const int modes = last.isBeforeFirst() ? 0 : last.field(QStringLiteral("RezNumber")).toInt();
    clearList();
    addRow(QStringLiteral("Back"), QStringLiteral("(Назад)"), 5);
    for (int r = 1; r <= modes; ++r) {
        addRow(QString(), QStringLiteral("Режим %1:").arg(r), 2);
        Recordset forces = db.openRecordset(
            QStringLiteral("TRANSFORM FIRST(PointForses.ParameterValue) AS FPV SELECT PointForses.RezNumber FROM PointForses WHERE "
                           "PointForses.PointID = %1 AND PointForses.RezNumber = %2 GROUP BY PointForses.RezNumber PIVOT "
                           "PointForses.ParameterID")
                .arg(pointId)
                .arg(r));
        if (forces.isBeforeFirst())
            continue;
        const struct
        {
            QString caption;
            const char *column;
        } rows[] = {
            {QStringLiteral("   Окружная   Ft(%1)").arg(r), "35"},
            {QStringLiteral("   Радиальная Fr(%1)").arg(r), "36"},
            {QStringLiteral("   Осевая     Fa(%1)").arg(r), "37"},
        };
        for (const auto &force : rows) {
            QTreeWidgetItem *row = addRow(QString(), force.caption, 0);
            const QString value = SqlNum(roundHalfEven(forces.field(QLatin1String(force.column)).toDouble(), 3));
            setValueCell(row, value, value);
        }
    }
    m_state.blnIncomplete = false;
}

} // namespace tarnvel
