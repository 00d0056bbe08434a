#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tarnvel {

class frmMain;
struct ProgramState;
struct ShaftCheckResult;
struct ShaftSteel;

// The shaft itself in the workbench: its steps, its steel and the allowed
// values as lists edited in place, the strength and stiffness results as
// lists, and the diagrams of torque, equivalent moment, required diameter,
// deflection and slope as pictures.
class ShaftViews
{
public:
    ShaftViews(frmMain &window, ProgramState &state);

    // The node keys and row keys that are the shaft's.
    static bool isViewKey(const QString &key);
    static bool isDiagramKey(const QString &key);
    static bool isCommandKey(const QString &key);
    static bool isValueKey(const QString &key);

    // The diagram axis is the shaft's length while it has steps: its row
    // ("53 ID") is not edited but explained. True when that was the case.
    bool keepsAxis(const QString &rowKey);

    void show(const QString &key);
    void showDiagram(const QString &key);
    void act(const QString &key);

    // The entries the list editor offers for a value row; none: it is typed.
    QStringList choices(const QString &key);
    // Takes a typed value; the message of a refused one, which leaves the
    // store as it was.
    std::optional<QString> commitValue(const QString &key, const QString &text);
    void commitChoice(const QString &key, int index);

private:
    void showSteps();
    void showSteel();
    void showSteelProperties(const ShaftSteel &steel);
    void showLimits();
    void showResults(bool strength);
    void enterView(const QString &key);
    // "AddSteel": the steel dialog; "RemoveSteel": the chosen user steel
    // leaves the catalogue once the engineer agrees.
    void actOnSteel(const QString &key);
    bool sentToSteps(const ShaftCheckResult &shaft);

    frmMain &m_window;
    ProgramState &m_state;
};

} // namespace tarnvel
