#pragma once

#include <QObject>
#include <QString>

namespace tarnvel {

class FilePanel;
class frmMain;
struct ProgramState;

enum class ReportOutcome { Written, Incomplete, NotWritten };

// A new project, saving and opening scenario files and writing the report,
// the last three through the file panel embedded in the main window.
class FileCommands : public QObject
{
    Q_OBJECT
public:
    FileCommands(frmMain &window, ProgramState &state);

    FilePanel *panel() const { return frFile; }

    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuSave_Click();
    void mnuReport_Click();

    void saveScenario(const QString &target);
    void openScenario(const QString &target);
    // The report of the current scheme into target (".htm" appended when
    // missing), with its picture folder.
    ReportOutcome writeReport(const QString &target, QString *writtenTo = nullptr);

private:
    void offerToOpenReport(const QString &file);
    void comFile_Click();
    void comCancel_Click();

    frmMain &m_window;
    ProgramState &m_state;
    FilePanel *frFile = nullptr;
    int m_panelMode = 1; // 1 save scenario, 2 open scenario, 3 report
    QString m_scenarioName; // file name of the scenario last opened or saved; empty for a new project
};

} // namespace tarnvel
