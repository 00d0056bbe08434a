// The shaft analysis as the workbench runs it: reactions when the supports
// node is shown, moment diagrams for the diagram nodes, the bearings of the
// supports, and the walk-through that brings everything up to date in order.

#include "ui/main_window.h"

#include "analysis/bearing_life.h"
#include "analysis/bearing_selection.h"
#include "analysis/diagram_plot.h"
#include "analysis/moment_diagram.h"
#include "analysis/reactions.h"
#include "store/numbers.h"
#include "ui/diagram_picture.h"
#include "ui/dialogs/bearings_dialog.h"
#include "ui/message_box.h"
#include "ui/modal_dialog.h"

#include <QLineEdit>
#include <QLocale>
#include <QTreeWidget>

#include <cmath>

namespace tarnvel {

namespace {

void inform(QWidget *parent, const QString &text)
{
    showMessage(text, MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), parent);
}

const QString kNoPoints = QStringLiteral("Добавьте, как минимум, одну точку в схему нагружения...");

// A number as the result table shows it: the user's decimal separator; an
// empty value (a result that could not be computed) shows nothing.
QString shownNumber(const QVariant &value, bool rounded)
{
    if (value.isNull())
        return QString();
    const double number = rounded ? roundHalfEven(value.toDouble(), 3) : value.toDouble();
    return SqlNum(number).replace(QLatin1Char('.'), QLocale().decimalPoint());
}

} // namespace

// A gear point without stored forces: its mesh force command runs first, as
// the user would run it. False when it could not complete (it has told the
// user why and shown the input concerned).
bool frmMain::computeMissingForces(int pointNumber)
{
    m_state.blnIncomplete = false;
    selectAndDisplayNode(QStringLiteral("Points"));
    selectAndDisplayNode(QStringLiteral("%1 N").arg(pointNumber));
    m_state.strViewKey = QStringLiteral("Forse");
    LV_Click();
    return !m_state.blnIncomplete && !isEditorOpen();
}

std::optional<ForceArrays> frmMain::gatherForces()
{
    // The same point twice means its forces could not be stored: asking
    // again would go round for ever.
    for (qint64 lastAsked = 0;;) {
        const ForceGathering gathering = GetForseMassive(m_state.database());
        switch (gathering.status) {
        case ForceGatheringStatus::Gathered:
            m_state.blnIncomplete = false;
            return gathering.forces;
        case ForceGatheringStatus::NoPoints:
            m_state.blnIncomplete = true;
            inform(this, kNoPoints);
            selectAndDisplayNode(QStringLiteral("Points"));
            return std::nullopt;
        case ForceGatheringStatus::ForcesNotComputed:
            if (gathering.pointId == lastAsked || !computeMissingForces(gathering.pointNumber))
                return std::nullopt;
            lastAsked = gathering.pointId;
            break;
        }
    }
}

void frmMain::exReac()
{
    for (qint64 lastAsked = 0;;) {
        const ReactionOutcome outcome = computeReactions(m_state.database());
        switch (outcome.status) {
        case ReactionStatus::Computed:
            m_state.blnIncomplete = false;
            return;
        case ReactionStatus::SupportDistanceMissing:
            selectAndDisplayNode(QStringLiteral("Common"));
            if (QTreeWidgetItem *row = rowByKey(QStringLiteral("2 ID")))
                LV->setCurrentItem(row);
            inform(this, QStringLiteral("Задайте расстояние между опорами..."));
            LV_Click();
            return;
        case ReactionStatus::NoPoints:
            m_state.blnIncomplete = true;
            inform(this, kNoPoints);
            selectAndDisplayNode(QStringLiteral("Points"));
            return;
        case ReactionStatus::ForcesNotComputed:
            if (outcome.pointId == lastAsked || !computeMissingForces(outcome.pointNumber))
                return;
            lastAsked = outcome.pointId;
            break;
        }
    }
}

void frmMain::epur_Click(int plane)
{
    QTreeWidgetItem *node = TV->currentItem();
    const QString nodeKey = node ? node->data(0, KeyRole).toString() : QString();
    m_stopAtBearings = true;
    BaseRefresh();
    if (!TextInput->isHidden() || m_state.blnIncomplete) {
        LV_Click();
        return;
    }
    const std::optional<ForceArrays> forces = gatherForces();
    if (!forces)
        return;

    selectAndDisplayNode(QStringLiteral("Epur"));
    if (QTreeWidgetItem *again = nodeByKey(nodeKey)) {
        TV->setCurrentItem(again);
        setStatusText(again->text(0));
    }
    unsetCursor();

    Database &db = m_state.database();
    const DiagramRequest request = prepareEpur(db, *forces);
    switch (request.status) {
    case DiagramStatus::Ready:
        break;
    case DiagramStatus::ReactionsMissing:
    case DiagramStatus::SupportDistanceMissing:
        exReac();
        return;
    case DiagramStatus::NoPoints:
    case DiagramStatus::ForcesNotComputed:
        return; // the forces were gathered, with the user's help, just above
    case DiagramStatus::AxisLengthInvalid:
        inform(this, QStringLiteral("Длина оси эпюры моментов должна быть от 1 до 32767 мм. Задайте длину оси эпюры моментов..."));
        selectAndDisplayNode(QStringLiteral("Common"));
        selectRowAndAct(QStringLiteral("53 ID"));
        return;
    }

    const auto which = static_cast<DiagramPlane>(plane);
    DrawEpur(request.diagrams.plane(which), epurCaption(which, request.unit), ctPicture->bitmap());
    ctPicture->move(LV->pos());
    ctPicture->show();
    ctPicture->raise();
    ctPicture->update();
}

void frmMain::rememberWalk(WalkReached reached)
{
    m_walkReached = reached;
    m_walkStore = m_state.database().identity();
    m_walkChanges = m_state.database().changeCount();
}

bool frmMain::BaseRefresh()
{
    const bool toBearings = m_stopAtBearings;
    {
        Database &db = m_state.database();
        const bool unchanged = m_walkStore == db.identity() && m_walkChanges == db.changeCount();
        if (unchanged && (m_walkReached == WalkReached::End || (toBearings && m_walkReached == WalkReached::Bearings))) {
            // Everything is as the last walk left it: its numbers stand.
            m_state.blnIncomplete = false;
            m_stopAtBearings = false;
            if (toBearings)
                return false;
            selectAndDisplayNode(QStringLiteral("Shaft"));
            return true;
        }
    }
    m_walkReached = WalkReached::Nothing;

    setCursor(Qt::WaitCursor);
    struct Finish
    {
        frmMain *window;
        bool walking;
        ~Finish()
        {
            window->unsetCursor();
            window->m_walking = walking;
        }
    } finish{this, m_walking};
    m_walking = true;

    QTreeWidgetItem *points = nodeByKey(QStringLiteral("Points"));
    if (points->childCount() == 0) {
        inform(this, kNoPoints);
        selectAndDisplayNode(QStringLiteral("Points"));
        return false;
    }
    selectAndDisplayNode(QStringLiteral("Points"));

    QStringList pointKeys;
    for (int i = 0; i < points->childCount(); ++i)
        pointKeys << points->child(i)->data(0, KeyRole).toString();
    for (const QString &key : pointKeys) {
        selectAndDisplayNode(key);
        const QTreeWidgetItem *first = LV->topLevelItem(0);
        if (first && leadingNumber(first->data(0, TagRole).toString()) > 2)
            selectRowAndAct(QStringLiteral("Forse"));
        if (isEditorOpen() || m_state.blnIncomplete)
            return false;
    }

    selectAndDisplayNode(QStringLiteral("Bearings"));
    if (isEditorOpen())
        return false;
    if (m_stopAtBearings) {
        m_stopAtBearings = false;
        if (!m_state.blnIncomplete)
            rememberWalk(WalkReached::Bearings);
        return false;
    }

    selectAndDisplayNode(QStringLiteral("LBearing"));
    selectRowAndAct(QStringLiteral("LBear"));
    if (isEditorOpen())
        return false;
    selectAndDisplayNode(QStringLiteral("RBearing"));
    if (isEditorOpen())
        return false;
    selectRowAndAct(QStringLiteral("RBear"));
    if (isEditorOpen())
        return false;

    selectAndDisplayNode(QStringLiteral("Shaft"));
    if (isEditorOpen())
        return false;
    rememberWalk(WalkReached::End);
    return true;
}

void frmMain::cmdBear(int side)
{
    m_state.blnBearingDone = false;
    Database &db = m_state.database();
    Recordset stored = db.openRecordset(side == 0 ? QStringLiteral("SELECT BearingID FROM BearRep WHERE Side = 0")
                                                  : QStringLiteral("SELECT BearingID, Lh FROM BearRep WHERE Side = 1"));
    qint64 bearingId = stored.isBeforeFirst() ? 0 : stored.field(QStringLiteral("BearingID")).toLongLong();
    if (bearingId != 0) {
        // A bearing deleted from the catalogue since it was chosen is no
        // choice any more: the user picks again.
        Recordset exists = db.openRecordset(QStringLiteral("SELECT BearingID FROM Bearings WHERE BearingID = %1").arg(bearingId));
        if (exists.isBeforeFirst())
            bearingId = 0;
    }

    LV->setCursor(Qt::WaitCursor);
    if (bearingId != 0) {
        // Computed as the dialog would on OK, without building it.
        recomputeBearing(m_state, side, bearingId, this);
    } else {
        frmBearings dialog(m_state, side, bearingId, this);
        dialog.setWindowTitle(dialog.windowTitle() + (side == 0 ? QStringLiteral(" левой опоры") : QStringLiteral(" правой опоры")));
        runModal(dialog);
    }
    LV->unsetCursor();
    if (!m_state.blnBearingDone)
        return;
    showBearingResult(side);
}

void frmMain::cmdBNum(int side)
{
    const QTreeWidgetItem *row = LV->currentItem();
    const qint64 bearingId = row ? static_cast<qint64>(leadingNumber(row->data(0, TagRole).toString())) : 0;
    {
        frmBearings dialog(m_state, side, bearingId, this);
        dialog.setWindowTitle(dialog.windowTitle() + (side == 0 ? QStringLiteral(" левой опоры") : QStringLiteral(" правой опоры")));
        runModal(dialog);
    }
    m_state.strViewKey = side == 0 ? QStringLiteral("LBear") : QStringLiteral("RBear");
    LV_Click();
}

void frmMain::showBearingResult(int side)
{
    Database &db = m_state.database();
    clearList();
    addRow(QStringLiteral("Back"), QStringLiteral("(Назад)"), 5);
    Recordset rs = db.openRecordset(
        QStringLiteral("SELECT Bearings.BearingID, Bearings.Number, Bearings.de, Bearings.di, Bearings.b, Bearings.C, "
                       "Bearings.Alfa, Bearings.Tkah, Bearings.C0, BearingsTip.Tip, BearRep.Kb, BearRep.Kt, BearRep.Pr, "
                       "BearRep.Lh, BearRep.Kv, BearRep.e, BearRep.X, BearRep.Y, BearRep.Radial, BearRep.Osev FROM "
                       "Bearings, BearingsTip, BearRep WHERE BearRep.Side = %1 AND Bearings.BearingID = "
                       "BearRep.BearingID AND BearingsTip.TipID = Bearings.TipID")
            .arg(side));
    if (rs.isBeforeFirst())
        return;

    Recordset unitRow = db.openRecordset(QStringLiteral(
        "SELECT DefaultParameters.DefaultText FROM DefaultParameters, CommonParameters WHERE DefaultParameters.ParameterID = 4 "
        "AND CommonParameters.ParameterID = 4 AND DefaultParameters.DefaultValue = CommonParameters.ParamValue"));
    const QString unit = unitRow.isBeforeFirst() ? forceUnitCaption(db) : unitRow.field(QStringLiteral("DefaultText")).toString();
    auto reaction = [&db](int id) {
        Recordset r = db.openRecordset(QStringLiteral("SELECT ParamValue FROM Reakz WHERE ParameterID = %1").arg(id));
        return r.isBeforeFirst() ? 0.0 : r.field(QStringLiteral("ParamValue")).toDouble();
    };
    double eqSpeed = 0;
    Recordset modes = db.openRecordset(QStringLiteral("SELECT First(Speed) AS Spd, First(Coeff) AS Coff FROM Powers GROUP BY RezNumber ORDER BY RezNumber"));
    for (; !modes.isAfterLast(); modes.next())
        eqSpeed += modes.field(QStringLiteral("Spd")).toDouble() * modes.field(QStringLiteral("Coff")).toDouble();
    m_state.dblEqSpeed = eqSpeed;

    auto field = [&rs](const char *name) { return rs.field(QLatin1String(name)); };
    auto value = [this](const QString &key, const QString &text, const QString &shown) {
        QTreeWidgetItem *row = addRow(key, text, 0);
        setValueCell(row, shown, shown);
    };
    QTreeWidgetItem *bearing = addRow(side == 0 ? QStringLiteral("BNuml") : QStringLiteral("BNumr"), QStringLiteral("Подшипник"), 4,
                                      QString::number(field("BearingID").toLongLong()) + QStringLiteral("_BID"));
    setValueCell(bearing, field("Number").toString(), field("Number").toString());
    value(QStringLiteral("BTip"), QStringLiteral("Тип"), field("Tip").toString());
    value(QStringLiteral("BSize"), QStringLiteral("Размер D x d x b, мм"),
          shownNumber(field("de"), false) + QStringLiteral(" x ") + shownNumber(field("di"), false) + QStringLiteral(" x ")
              + shownNumber(field("b"), false));
    value(QStringLiteral("BC"), QStringLiteral("Динамическая грузоподъёмность, Н"), shownNumber(field("C"), false));
    value(QStringLiteral("BC0"), QStringLiteral("Статическая грузоподъёмность, Н"), shownNumber(field("C0"), false));
    value(QStringLiteral("BAlfa"), QStringLiteral("Угол контакта номинальный, град."), shownNumber(field("Alfa"), false));
    addRow(QString(), QStringLiteral("Коэффициенты:"), 0);
    value(QStringLiteral("BKb"), QStringLiteral("            Безопасности  Кб"), shownNumber(field("Kb"), false));
    value(QStringLiteral("BKk"), QStringLiteral("            Качества      Ккач"), shownNumber(field("Tkah"), false));
    value(QStringLiteral("BKt"), QStringLiteral("            Температурный Kt"), shownNumber(field("Kt"), false));
    value(QStringLiteral("BV"), QStringLiteral("            Вращения      V"), shownNumber(field("Kv"), false));
    value(QStringLiteral("Be"), QStringLiteral("                          e"), shownNumber(field("e"), true));
    value(QStringLiteral("BX"), QStringLiteral("                          X"), shownNumber(field("X"), true));
    value(QStringLiteral("BY"), QStringLiteral("                          Y"), shownNumber(field("Y"), true));
    addRow(QString(), QStringLiteral("Силы эквивалентные, ") + unit + QStringLiteral(" :"), 0);
    value(QStringLiteral("BFr"), QStringLiteral("            Радиальная Fr"),
          shownNumber(reaction(side == 0 ? 41 : 44) * field("Radial").toDouble(), true));
    value(QStringLiteral("BFa"), QStringLiteral("            Осевая     F\u0430"),
          shownNumber(std::fabs(reaction(45)) * field("Osev").toDouble(), true));
    value(QStringLiteral("BPr"), QStringLiteral("            Расчётная  Pr"), shownNumber(field("Pr"), true));
    value(QStringLiteral("Bn"), QStringLiteral("Частота вращения (эквивалентная), об./мин."), shownNumber(eqSpeed, false));
    value(QStringLiteral("BLh"), QStringLiteral("Долговечность, час."), shownNumber(field("Lh"), true));
    for (const StaticSafetyRow &r : staticSafetyRows(db, side, unit))
        value(r.key, r.caption, shownNumber(r.value ? QVariant(*r.value) : QVariant(), true));
}

} // namespace tarnvel
