// The shaft analysis as the workbench runs it: reactions when the supports
// node is shown, moment diagrams for the diagram nodes, the bearings of the
// supports, and the walk-through that brings everything up to date in order.

#include "ui/analysis_commands.h"

#include "analysis/bearing_life.h"
#include "analysis/bearing_selection.h"
#include "analysis/calculation.h"
#include "analysis/diagram_plot.h"
#include "analysis/moment_diagram.h"
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

// A result row's value as the tables show it: the user's decimal separator;
// an empty value (a result that could not be computed) shows nothing.
QString shownValue(const ResultRow &row)
{
    if (row.numbers.isEmpty())
        return row.text;
    QStringList texts;
    for (const std::optional<double> &value : row.numbers) {
        if (!value) {
            texts << QString();
            continue;
        }
        const double number = row.rounded ? roundHalfEven(*value, 3) : *value;
        texts << SqlNum(number).replace(QLatin1Char('.'), QLocale().decimalPoint());
    }
    return texts.join(QStringLiteral(" x "));
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
bool AnalysisCommands::settle(const CalculationRequest &request, bool *asked)
{
    std::optional<MissingInput> last;
    for (;;) {
        const Calculation &calculation = m_state.calculate(request);
        if (!calculation.missing) {
            m_state.blnIncomplete = false;
            return true;
        }
        const MissingInput missing = *calculation.missing;
        if (last && last->kind == missing.kind && last->pointId == missing.pointId
            && last->parameterId == missing.parameterId) {
            m_state.blnIncomplete = true;
            return false;
        }
        last = missing;
        if (asked)
            *asked = true;
        askFor(missing);
        if (m_window.isEditorOpen() || m_state.blnIncomplete)
            return false;
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
    if (!settle(request) || !m_state.calculate(request).diagrams) {
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

    const Calculation &results = m_state.calculate(request);
    if (!results.diagrams)
        return;
    const auto which = static_cast<DiagramPlane>(plane);
    DiagramPicture *ctPicture = m_window.picture();
    DrawEpur(results.diagrams->plane(which), epurCaption(which, results.unit), ctPicture->bitmap());
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

    if (!settle({}))
        return false;
    // A support without a bearing is offered the choice; the walk goes on
    // whether or not the user makes it.
    for (int side = 0; side < 2; ++side) {
        const SupportResult support = m_state.calculate().supports.at(static_cast<std::size_t>(side));
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
    if (const std::optional<BearingChoice> choice = dialog.choice())
        applyBearingChoice(m_state, *choice, &m_window);
}

void AnalysisCommands::cmdBear(int side)
{
    m_state.blnBearingDone = false;
    QTreeWidget *LV = m_window.list();
    LV->setCursor(Qt::WaitCursor);
    const Calculation &calculation = m_state.calculate();
    if (m_state.inputs().supports.at(static_cast<std::size_t>(side)).settings) {
        // A bearing chosen before is computed from the current inputs, as the
        // dialog would on OK, without building it.
        const SupportResult &support = calculation.supports.at(static_cast<std::size_t>(side));
        if (!calculation.reactionsComputed) {
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
    const Calculation &calculation = m_state.calculate();
    DetailView &detail = m_window.detail();
    detail.clearList();
    detail.addRow(QStringLiteral("Back"), QStringLiteral("(Назад)"), 5);
    const auto s = static_cast<std::size_t>(side);
    const std::optional<BearingSettings> &settings = m_state.inputs().supports.at(s).settings;
    for (const ResultRow &r : calculation.supports.at(s).rows) {
        if (r.key == QLatin1String("BNum")) {
            QTreeWidgetItem *bearing = detail.addRow(side == 0 ? QStringLiteral("BNuml") : QStringLiteral("BNumr"), r.caption,
                4, QString::number(settings ? settings->bearingId : 0) + QStringLiteral("_BID"));
            detail.setValueCell(bearing, r.text, r.text);
        } else if (r.key.isEmpty()) {
            detail.addRow(QString(), r.caption, 0);
        } else {
            const QString shown = shownValue(r);
            detail.setValueCell(detail.addRow(r.key, r.caption, 0), shown, shown);
        }
    }
}

} // namespace tarnvel
