#pragma once

#include "ui/dialogs/mode_dialog.h"

class QFrame;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tarnvel {

// Forces and modes of a free-force point: Fx, Fy, Fz per mode, and on the
// first point the modes' speeds and coefficients. The list reaches the store
// only by OK; any other way of closing leaves the point's loads as they were.
class frmNagrP : public ModeDialog
{
    Q_OBJECT
public:
    frmNagrP(ProgramState &state, bool firstPointFlag, int pointId, QWidget *parent = nullptr);

    void ctlCommand_Click(int index) override;
    void ComAdd_Click();

private:
    void Form_Load();
    void FillForceList();
    bool CheckForceModes();
    ModeList ListedModes() const;
    void rowClick() override;
    void addListRow(const QStringList &texts);

    int m_pointId;

    QLineEdit *txtFx = nullptr;
    QLineEdit *txtFy = nullptr;
    QLineEdit *txtFz = nullptr;
};

} // namespace tarnvel
