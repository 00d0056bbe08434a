// The detail view: one procedure, LV_Click, builds the view of a node and
// carries out the action of a row.

#include "ui/main_window.h"

#include "ui/diagram_picture.h"
#include "ui/image_list.h"

#include <QTreeWidget>

namespace tarnvel {

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
    if (QTreeWidgetItem *row = rowByKey(key))
        LV->setCurrentItem(row);
    else
        m_state.strViewKey = key;
    LV_Click();
}

void frmMain::showPointsView()
{
    DetalView(false);
    TV->setCurrentItem(nodeByKey(QStringLiteral("Points")));
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
    setEditCommandsEnabled(true, anyPoint);
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
    if (key.isEmpty())
        return;

    if (key == QLatin1String("XOZ") || key == QLatin1String("YOZ") || key == QLatin1String("SUM")
        || key == QLatin1String("Epur") || key == QLatin1String("Bearings")) {
        selectAndDisplayNode(key);
        return;
    }
    if (key == QLatin1String("Back")) {
        TV_Click();
        return;
    }
    if (key == QLatin1String("Points")) {
        showPointsView();
        return;
    }
    if (key == QLatin1String("Common") || key == QLatin1String("LBearing")
        || key == QLatin1String("RBearing") || key == QLatin1String("Osevaya")
        || key.contains(QLatin1String(" N"))) {
        // A child of the shown node: show it. Its own view is built here
        // once the detail views exist.
        if (QTreeWidgetItem *node = nodeByKey(key); node && node != TV->currentItem())
            TV->setCurrentItem(node);
        return;
    }
}

} // namespace tarnvel
