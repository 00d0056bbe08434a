// The commands of a loading point's view that leave the list: the two load
// dialogs and the mesh force command with its per-mode force table.

#include "ui/loading_points.h"

#include "scheme/load_modes.h"
#include "scheme/mesh_forces.h"
#include "store/numbers.h"
#include "ui/analysis_commands.h"
#include "ui/detail_view.h"
#include "ui/dialogs/forces_dialog.h"
#include "ui/dialogs/loads_dialog.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/modal_dialog.h"

#include <QTreeWidget>

namespace tarnvel {

// Point 1 owns the modes; every other point may only change its loads.
bool LoadingPoints::isFirstPointFlag() const
{
    const QTreeWidgetItem *node = m_window.tree()->currentItem();
    return !node || leadingNumber(node->data(0, KeyRole).toString()) != 1;
}

void LoadingPoints::cmdPower()
{
    const QTreeWidgetItem *row = m_window.rowByKey(QStringLiteral("Power"));
    const int pointId = wholeNumber(leadingNumber(row ? row->data(0, TagRole).toString() : m_window.viewTag()));
    Database &db = m_state.database();
    SyncModes(db, pointId);
    const int kind = GatherModes(db, pointId, m_state.modes);
    m_state.blnIncomplete = true;

    frmNagr dialog(m_state, isFirstPointFlag(), kind, &m_window);
    dialog.setWindowTitle(m_window.tree()->currentItem()->text(0) + QStringLiteral(" - нагрузки и режимы"));
    runModal(dialog);
    // Only OK writes: a dialog closed any other way leaves the loads as they were.
    if (!m_state.blnIncomplete)
        writePointModes(db, pointId, m_state.modes, dialog.kind());
}

void LoadingPoints::cmdAddFPower()
{
    frmNagrP dialog(m_state, isFirstPointFlag(), wholeNumber(leadingNumber(m_window.viewTag())), &m_window);
    dialog.setWindowTitle(m_window.tree()->currentItem()->text(0) + QStringLiteral(" - Силы и режимы"));
    runModal(dialog);
    // The point's equivalent projections follow its forces and modes at once.
    m_state.calculate();
    m_window.list()->viewport()->update();
}

void LoadingPoints::cmdForse()
{
    m_state.blnIncomplete = true;
    const QTreeWidgetItem *node = m_window.tree()->currentItem();
    if (node == nullptr)
        return;
    const qint64 pointId = static_cast<qint64>(leadingNumber(node->data(0, TagRole).toString()));
    const Calculation &calculation = m_state.calculate();
    const PointResult *point = calculation.point(pointId);
    if (point == nullptr || (point->group != 3 && point->group != 4))
        return;
    if (point->missing) {
        m_window.analysis().askFor(MissingInput(*point->missing));
        return;
    }

    // The forces of every mode.
    DetailView &detail = m_window.detail();
    detail.clearList();
    detail.addRow(QStringLiteral("Back"), QStringLiteral("(Назад)"), 5);
    const QVector<ModeForces> modes = point->mesh.modes;
    for (int r = 1; r <= modes.size(); ++r) {
        detail.addRow(QString(), QStringLiteral("Режим %1:").arg(r), 2);
        detail.showResultRows(meshForceRows(modes.at(r - 1), r));
    }
    m_state.blnIncomplete = false;
}

} // namespace tarnvel
