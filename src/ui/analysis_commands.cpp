// The shaft analysis as the workbench runs it: reactions when the supports
// node is shown, moment diagrams for the diagram nodes, the bearings of the
// supports, and the walk-through that brings everything up to date in order.

#include "ui/main_window.h"

#include "analysis/bearing_life.h"
#include "analysis/bearing_selection.h"
#include "analysis/calculation.h"
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

// Puts the question of a missing input to the user and takes them to it:
// the message, the node, and the editor or dialog of the input.
void frmMain::askFor(const MissingInput &missing)
{
    auto showNode = [this](const QString &key) {
        const QTreeWidgetItem *node = TV->currentItem();
        if (!node || node->data(0, KeyRole).toString() != key)
            selectAndDisplayNode(key);
    };
    switch (missing.kind) {
    case MissingKind::SupportDistance:
        // The row is chosen before the question, then acted on.
        selectAndDisplayNode(missing.nodeKey);
        if (QTreeWidgetItem *row = rowByKey(missing.rowKey))
            LV->setCurrentItem(row);
        inform(this, missing.message);
        LV_Click();
        return;
    case MissingKind::Speed:
        showNode(missing.nodeKey);
        m_state.blnIncomplete = false;
        inform(this, missing.message);
        m_state.strViewKey = missing.rowKey;
        LV_Click();
        return;
    case MissingKind::Loads:
    case MissingKind::LoadsOutOfRange:
    case MissingKind::GearDatum:
    case MissingKind::InconsistentGear:
        m_state.blnIncomplete = true;
        showNode(missing.nodeKey);
        inform(this, missing.message);
        if (!missing.rowKey.isEmpty())
            selectRowAndAct(missing.rowKey);
        return;
    case MissingKind::NoPoints:
    case MissingKind::ForceUnit:
    case MissingKind::Direction:
    case MissingKind::ReactionsNotFinite:
    case MissingKind::AxisLength:
        m_state.blnIncomplete = true;
        inform(this, missing.message);
        selectAndDisplayNode(missing.nodeKey);
        if (!missing.rowKey.isEmpty())
            selectRowAndAct(missing.rowKey);
        return;
    }
}

// Runs the calculation until it completes, asking for each missing input as
// it comes; stops when the user leaves one unanswered (an editor stays open,
// a dialog was not confirmed) or is asked the same thing twice.
bool frmMain::settle(const CalculationRequest &request, bool *asked)
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
        if (isEditorOpen() || m_state.blnIncomplete)
            return false;
    }
}

void frmMain::exReac()
{
    bool asked = false;
    CalculationRequest request;
    request.supportDistanceFirst = true;
    if (!settle(request, &asked))
        return;
    // After the user was taken to an input, the supports are shown again.
    const QTreeWidgetItem *node = TV->currentItem();
    if (asked && (!node || node->data(0, KeyRole).toString() != QLatin1String("Bearings")))
        selectAndDisplayNode(QStringLiteral("Bearings"));
}

void frmMain::epur_Click(int plane)
{
    QTreeWidgetItem *node = TV->currentItem();
    const QString nodeKey = node ? node->data(0, KeyRole).toString() : QString();
    CalculationRequest request;
    request.diagrams = true;
    if (!settle(request) || !m_state.calculate(request).diagrams) {
        if (!TextInput->isHidden() || m_state.blnIncomplete)
            LV_Click();
        return;
    }

    selectAndDisplayNode(QStringLiteral("Epur"));
    if (QTreeWidgetItem *again = nodeByKey(nodeKey)) {
        TV->setCurrentItem(again);
        setStatusText(again->text(0));
    }
    unsetCursor();

    const Calculation &results = m_state.calculate(request);
    if (!results.diagrams)
        return;
    const auto which = static_cast<DiagramPlane>(plane);
    DrawEpur(results.diagrams->plane(which), epurCaption(which, results.unit), ctPicture->bitmap());
    ctPicture->move(LV->pos());
    ctPicture->show();
    ctPicture->raise();
    ctPicture->update();
}

bool frmMain::BaseRefresh()
{
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

    if (!settle({}))
        return false;
    // A support without a bearing is offered the choice; the walk goes on
    // whether or not the user makes it.
    for (int side = 0; side < 2; ++side) {
        const SupportResult support = m_state.calculate().supports.at(static_cast<std::size_t>(side));
        if (support.chosen) {
            const QString problem = bearingLifeProblem(support.result.factors, support.settings.alpha);
            if (!problem.isEmpty())
                inform(this, problem);
            continue;
        }
        selectAndDisplayNode(side == 0 ? QStringLiteral("LBearing") : QStringLiteral("RBearing"));
        chooseBearing(side, 0);
        if (isEditorOpen())
            return false;
    }
    selectAndDisplayNode(QStringLiteral("Shaft"));
    return !isEditorOpen();
}

void frmMain::chooseBearing(int side, qint64 bearingId)
{
    frmBearings dialog(m_state, side, bearingId, this);
    dialog.setWindowTitle(dialog.windowTitle() + (side == 0 ? QStringLiteral(" левой опоры") : QStringLiteral(" правой опоры")));
    runModal(dialog);
    if (const std::optional<BearingChoice> choice = dialog.choice())
        applyBearingChoice(m_state, *choice, this);
}

void frmMain::cmdBear(int side)
{
    m_state.blnBearingDone = false;
    LV->setCursor(Qt::WaitCursor);
    const Calculation &calculation = m_state.calculate();
    if (m_state.inputs().supports.at(static_cast<std::size_t>(side)).settings) {
        // A bearing chosen before is computed from the current inputs, as the
        // dialog would on OK, without building it.
        const SupportResult &support = calculation.supports.at(static_cast<std::size_t>(side));
        if (!calculation.reactionsComputed) {
            inform(this, QStringLiteral("Реакции опор не рассчитаны. Откройте узел «Опоры», затем выберите подшипник."));
        } else {
            const QString problem = bearingLifeProblem(support.result.factors, support.settings.alpha);
            if (!problem.isEmpty())
                inform(this, problem);
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

void frmMain::cmdBNum(int side)
{
    const QTreeWidgetItem *row = LV->currentItem();
    const qint64 bearingId = row ? static_cast<qint64>(leadingNumber(row->data(0, TagRole).toString())) : 0;
    chooseBearing(side, bearingId);
    m_state.strViewKey = side == 0 ? QStringLiteral("LBear") : QStringLiteral("RBear");
    LV_Click();
}

void frmMain::showBearingResult(int side)
{
    const Calculation &calculation = m_state.calculate();
    clearList();
    addRow(QStringLiteral("Back"), QStringLiteral("(Назад)"), 5);
    const auto s = static_cast<std::size_t>(side);
    const std::optional<BearingSettings> &settings = m_state.inputs().supports.at(s).settings;
    for (const ResultRow &r : calculation.supports.at(s).rows) {
        if (r.key == QLatin1String("BNum")) {
            QTreeWidgetItem *bearing = addRow(side == 0 ? QStringLiteral("BNuml") : QStringLiteral("BNumr"), r.caption, 4,
                QString::number(settings ? settings->bearingId : 0) + QStringLiteral("_BID"));
            setValueCell(bearing, r.text, r.text);
        } else if (r.key.isEmpty()) {
            addRow(QString(), r.caption, 0);
        } else {
            const QString shown = shownValue(r);
            setValueCell(addRow(r.key, r.caption, 0), shown, shown);
        }
    }
}

} // namespace tarnvel
