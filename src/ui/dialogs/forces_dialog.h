#pragma once

#include "ui/program_state.h"

#include <QDialog>

class QFrame;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tarnvel {

// Forces and modes of a free-force point: Fx, Fy, Fz per mode, and on the
// first point the modes' speeds and coefficients. The list is written to the
// store after every change; closing stores the equivalent projections that
// the support reactions use.
class frmNagrP : public QDialog
{
    Q_OBJECT
public:
    frmNagrP(ProgramState &state, bool firstPointFlag, int pointId, QWidget *parent = nullptr);

    void ctlCommand_Click(int index);
    void ComAdd_Click();
    void selectRow(int mode);

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void Form_Unload();
    void FillForceList();
    bool WriteForceModes();
    void rowClick();
    void addListRow(const QStringList &texts);

    ProgramState &m_state;
    bool m_firstPoint;
    int m_pointId;
    bool m_unloaded = false;

    QTreeWidget *ctlListView = nullptr;
    QFrame *ctlFrame = nullptr;
    QLineEdit *txtFx = nullptr;
    QLineEdit *txtFy = nullptr;
    QLineEdit *txtFz = nullptr;
    QLineEdit *txtSpeed = nullptr;
    QLineEdit *txtCoeff = nullptr;
    QPushButton *ComAdd = nullptr;
    QPushButton *ctlCommand[4] = {};
};

} // namespace tarnvel
