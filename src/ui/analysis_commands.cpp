// The shaft analysis as the workbench runs it: reactions when the supports
// node is shown, moment diagrams for the diagram nodes, the bearings of the
// supports, and the walk-through that brings everything up to date in order.

#include "ui/analysis_commands.h"

#include "analysis/bearing_life.h"
#include "analysis/bearing_selection.h"
#include "analysis/calculation.h"
#include "analysis/diagram_plot.h"
#include "analysis/moment_diagram.h"
#include "analysis/reactions.h"
#include "store/numbers.h"
#include "ui/detail_view.h"
#include "ui/diagram_picture.h"
#include "ui/dialogs/bearings_dialog.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/modal_dialog.h"
#include "ui/navigator.h"

#include <QLocale>
#include <QTreeWidget>

#include <cmath>

namespace tarnvel {

namespace {

void inform(QWidget *parent, const QString &text)
{
    showMessage(text, MessageIcon::Information, MessageButtons::Ok, QStringLiteral("Tarnvel"), parent);
}

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

AnalysisCommands::AnalysisCommands(frmMain &window, ProgramState &state)
    : m_window(window)
    , m_state(state)
{
}

void AnalysisCommands::selectRowAndAct(const QString &key)
{
    // Inside the walk-through nobody sees the row selected: the pending key
    // says the same to LV_Click without the list redrawing its selection.
    QTreeWidgetItem *row = m_walking ? nullptr : m_window.rowByKey(key);
    if (row)
        m_window.list()->setCurrentItem(row);
    else
        m_state.strViewKey = key;
    m_window.detail().LV_Click();
}

// Puts the question of a missing input to the user and takes them to it:
// the message, the node, and the editor or dialog of the input.
void AnalysisCommands::askFor(const MissingInput &missing)
{
    Navigator &navigator = m_window.navigator();
    DetailView &detail = m_window.detail();
    auto showNode = [&navigator](const QString &key) {
        const QTreeWidgetItem *node = navigator.tree()->currentItem();
        if (!node || node->data(0, KeyRole).toString() != key)
            navigator.selectAndDisplayNode(key);
    };
    switch (missing.kind) {
    case MissingKind::SupportDistance:
        // The row is chosen before the question, then acted on.
        navigator.selectAndDisplayNode(missing.nodeKey);
        if (QTreeWidgetItem *row = detail.rowByKey(missing.rowKey))
            detail.list()->setCurrentItem(row);
        inform(&m_window, missing.message);
        detail.LV_Click();
        return;
    case MissingKind::Speed:
        showNode(missing.nodeKey);
        m_state.blnIncomplete = false;
        inform(&m_window, missing.message);
        m_state.strViewKey = missing.rowKey;
        detail.LV_Click();
        return;
    case MissingKind::Loads:
    case MissingKind::LoadsOutOfRange:
    case MissingKind::GearDatum:
    case MissingKind::InconsistentGear:
        m_state.blnIncomplete = true;
        showNode(missing.nodeKey);
        inform(&m_window, missing.message);
        if (!missing.rowKey.isEmpty())
            selectRowAndAct(missing.rowKey);
        return;
    case MissingKind::NoPoints:
    case MissingKind::ForceUnit:
    case MissingKind::Direction:
    case MissingKind::ReactionsNotFinite:
    case MissingKind::AxisLength:
        m_state.blnIncomplete = true;
        inform(&m_window, missing.message);
        navigator.selectAndDisplayNode(missing.nodeKey);
        if (!missing.rowKey.isEmpty())
            selectRowAndAct(missing.rowKey);
        return;
    }
}

// Runs the calculation until it completes, asking for each missing input as
// it comes; stops when the user leaves one unanswered (an editor stays open,
// a dialog was not confirmed) or is asked the same thing twice.
std::optional<Calculation> AnalysisCommands::settle(const CalculationRequest &request, bool *asked)
{
    std::optional<MissingInput> last;
    for (;;) {
        CalculationOutcome outcome = m_state.calculate(request);
        if (!outcome.missing) {
            m_state.blnIncomplete = false;
            return std::move(outcome.results);
        }
        const MissingInput &missing = *outcome.missing;
        if (last && last->kind == missing.kind && last->pointId == missing.pointId
            && last->parameterId == missing.parameterId) {
            m_state.blnIncomplete = true;
            return std::nullopt;
        }
        last = missing;
        if (asked)
            *asked = true;
        askFor(missing);
        if (m_window.isEditorOpen() || m_state.blnIncomplete)
            return std::nullopt;
    }
}

void AnalysisCommands::exReac()
{
    bool asked = false;
    CalculationRequest request;
    request.supportDistanceFirst = true;
    if (!settle(request, &asked))
        return;
    // After the user was taken to an input, the supports are shown again.
    const QTreeWidgetItem *node = m_window.tree()->currentItem();
    if (asked && (!node || node->data(0, KeyRole).toString() != QLatin1String("Bearings")))
        m_window.navigator().selectAndDisplayNode(QStringLiteral("Bearings"));
}

void AnalysisCommands::epur_Click(int plane)
{
    Navigator &navigator = m_window.navigator();
    QTreeWidgetItem *node = navigator.tree()->currentItem();
    const QString nodeKey = node ? node->data(0, KeyRole).toString() : QString();
    CalculationRequest request;
    request.diagrams = true;
    const std::optional<Calculation> results = settle(request);
    if (!results || !results->diagrams) {
        if (m_window.detail().isTextEditorOpen() || m_state.blnIncomplete)
            m_window.detail().LV_Click();
        return;
    }

    navigator.selectAndDisplayNode(QStringLiteral("Epur"));
    if (QTreeWidgetItem *again = navigator.nodeByKey(nodeKey)) {
        navigator.tree()->setCurrentItem(again);
        m_window.setStatusText(again->text(0));
    }
    m_window.unsetCursor();

    const auto which = static_cast<DiagramPlane>(plane);
    DiagramPicture *ctPicture = m_window.picture();
    DrawEpur(results->diagrams->plane(which), epurCaption(which, results->unit), ctPicture->bitmap());
    ctPicture->move(m_window.list()->pos());
    ctPicture->show();
    ctPicture->raise();
    ctPicture->update();
}

bool AnalysisCommands::BaseRefresh()
{
    m_window.setCursor(Qt::WaitCursor);
    struct Finish
    {
        AnalysisCommands *commands;
        bool walking;
        ~Finish()
        {
            commands->m_window.unsetCursor();
            commands->m_walking = walking;
        }
    } finish{this, m_walking};
    m_walking = true;

    const std::optional<Calculation> results = settle({});
    if (!results)
        return false;
    // A support without a bearing is offered the choice; the walk goes on
    // whether or not the user makes it.
    for (int side = 0; side < 2; ++side) {
        const SupportResult &support = results->supports.at(static_cast<std::size_t>(side));
        if (support.chosen) {
            const QString problem = bearingLifeProblem(support.result.factors, support.settings.alpha);
            if (!problem.isEmpty())
                inform(&m_window, problem);
            continue;
        }
        m_window.navigator().selectAndDisplayNode(side == 0 ? QStringLiteral("LBearing") : QStringLiteral("RBearing"));
        chooseBearing(side, 0);
        if (m_window.isEditorOpen())
            return false;
    }
    m_window.navigator().selectAndDisplayNode(QStringLiteral("Shaft"));
    return !m_window.isEditorOpen();
}

void AnalysisCommands::chooseBearing(int side, qint64 bearingId)
{
    frmBearings dialog(m_state, side, bearingId, &m_window);
    dialog.setWindowTitle(dialog.windowTitle() + (side == 0 ? QStringLiteral(" левой опоры") : QStringLiteral(" правой опоры")));
    runModal(dialog);
}

void AnalysisCommands::cmdBear(int side)
{
    m_state.blnBearingDone = false;
    Database &db = m_state.database();
    QTreeWidget *LV = m_window.list();
    LV->setCursor(Qt::WaitCursor);
    if (storedBearingSettings(db, side)) {
        // A bearing chosen before is computed from the current inputs, as the
        // dialog would on OK, without building it.
        const CalculationOutcome outcome = m_state.calculate();
        const SupportResult &support = outcome.results.supports.at(static_cast<std::size_t>(side));
        if (outcome.missing) {
            inform(&m_window, QStringLiteral("Реакции опор не рассчитаны. Откройте узел «Опоры», затем выберите подшипник."));
        } else {
            const QString problem = bearingLifeProblem(support.result.factors, support.settings.alpha);
            if (!problem.isEmpty())
                inform(&m_window, problem);
            m_state.blnBearingDone = true;
        }
    } else {
        chooseBearing(side, 0);
    }
    LV->unsetCursor();
    if (!m_state.blnBearingDone)
        return;
    showBearingResult(side);
}

void AnalysisCommands::cmdBNum(int side)
{
    const QTreeWidgetItem *row = m_window.list()->currentItem();
    const qint64 bearingId = row ? static_cast<qint64>(leadingNumber(row->data(0, TagRole).toString())) : 0;
    chooseBearing(side, bearingId);
    m_state.strViewKey = side == 0 ? QStringLiteral("LBear") : QStringLiteral("RBear");
    m_window.detail().LV_Click();
}

void AnalysisCommands::showBearingResult(int side)
{
    Database &db = m_state.database();
    DetailView &detail = m_window.detail();
    detail.clearList();
    detail.addRow(QStringLiteral("Back"), QStringLiteral("(Назад)"), 5);
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
    // The speed the life was computed for.
    const double eqSpeed = equivalentSpeed(shaftModes(db));
    m_state.dblEqSpeed = eqSpeed;

    auto field = [&rs](const char *name) { return rs.field(QLatin1String(name)); };
    auto value = [&detail](const QString &key, const QString &text, const QString &shown) {
        QTreeWidgetItem *row = detail.addRow(key, text, 0);
        detail.setValueCell(row, shown, shown);
    };
    QTreeWidgetItem *bearing = detail.addRow(side == 0 ? QStringLiteral("BNuml") : QStringLiteral("BNumr"), QStringLiteral("Подшипник"), 4,
                                      QString::number(field("BearingID").toLongLong()) + QStringLiteral("_BID"));
    detail.setValueCell(bearing, field("Number").toString(), field("Number").toString());
    value(QStringLiteral("BTip"), QStringLiteral("Тип"), field("Tip").toString());
    value(QStringLiteral("BSize"), QStringLiteral("Размер D x d x b, мм"),
          shownNumber(field("de"), false) + QStringLiteral(" x ") + shownNumber(field("di"), false) + QStringLiteral(" x ")
              + shownNumber(field("b"), false));
    value(QStringLiteral("BC"), QStringLiteral("Динамическая грузоподъёмность, Н"), shownNumber(field("C"), false));
    value(QStringLiteral("BC0"), QStringLiteral("Статическая грузоподъёмность, Н"), shownNumber(field("C0"), false));
    value(QStringLiteral("BAlfa"), QStringLiteral("Угол контакта номинальный, град."), shownNumber(field("Alfa"), false));
    detail.addRow(QString(), QStringLiteral("Коэффициенты:"), 0);
    value(QStringLiteral("BKb"), QStringLiteral("            Безопасности  Кб"), shownNumber(field("Kb"), false));
    value(QStringLiteral("BKk"), QStringLiteral("            Качества      Ккач"), shownNumber(field("Tkah"), false));
    value(QStringLiteral("BKt"), QStringLiteral("            Температурный Kt"), shownNumber(field("Kt"), false));
    value(QStringLiteral("BV"), QStringLiteral("            Вращения      V"), shownNumber(field("Kv"), false));
    value(QStringLiteral("Be"), QStringLiteral("                          e"), shownNumber(field("e"), true));
    value(QStringLiteral("BX"), QStringLiteral("                          X"), shownNumber(field("X"), true));
    value(QStringLiteral("BY"), QStringLiteral("                          Y"), shownNumber(field("Y"), true));
    detail.addRow(QString(), QStringLiteral("Силы эквивалентные, ") + unit + QStringLiteral(" :"), 0);
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
