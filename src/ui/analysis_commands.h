#pragma once

#include "analysis/calculation.h"

#include <QString>

#include <optional>

namespace tarnvel {

class frmMain;
struct ProgramState;

// The shaft analysis as the workbench runs it: reactions when the supports
// node is shown, moment diagrams for the diagram nodes, the bearings of the
// supports, and the walk-through that brings everything up to date in order.
// Where an input is missing the user is asked for it and taken to it.
class AnalysisCommands
{
public:
    AnalysisCommands(frmMain &window, ProgramState &state);

    bool BaseRefresh();
    void exReac();
    void epur_Click(int plane);
    void cmdBear(int side);
    void cmdBNum(int side);

    void askFor(const MissingInput &missing);
    // Runs the calculation until it completes, asking for each missing input
    // as it comes; false when the user left one unanswered.
    bool settle(const CalculationRequest &request, bool *asked = nullptr);

private:
    void selectRowAndAct(const QString &key);
    void chooseBearing(int side, qint64 bearingId);
    void showBearingResult(int side);

    frmMain &m_window;
    ProgramState &m_state;
    bool m_walking = false; // BaseRefresh is running: intermediate views are never seen
};

} // namespace tarnvel
