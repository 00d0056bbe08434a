#pragma once

#include "ui/dialogs/mode_dialog.h"

class QFrame;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tarnvel {

// Forces and modes of a free-force point: Fx, Fy, Fz per mode, and on the
// first point the modes' speeds and coefficients. The list is written to the
// store after every change; closing stores the equivalent projections that
// the support reactions use.
class frmNagrP : public ModeDialog
{
    Q_OBJECT
public:
    frmNagrP(ProgramState &state, bool firstPointFlag, int pointId, QWidget *parent = nullptr);

    void ctlCommand_Click(int index) override;
    void ComAdd_Click();

    void done(int result) override;

private:
    void Form_Load();
    void Form_Unload();
    void FillForceList();
    bool WriteForceModes();
    void rowClick() override;
    void addListRow(const QStringList &texts);

    int m_pointId;
    bool m_unloaded = false;

    QLineEdit *txtFx = nullptr;
    QLineEdit *txtFy = nullptr;
    QLineEdit *txtFz = nullptr;
};

} // namespace tarnvel
