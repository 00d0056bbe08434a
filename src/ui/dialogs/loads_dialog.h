#pragma once

#include "ui/program_state.h"

#include <QDialog>

class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace tarnvel {

// Loads and modes of a gear point. It edits the working list of modes; the
// command that opened it writes the list to the store once it is confirmed.
// On any point but the first only the loads can change: the first point
// owns the modes, their speeds and coefficients.
class frmNagr : public QDialog
{
    Q_OBJECT
public:
    frmNagr(ProgramState &state, bool firstPointFlag, int kind, QWidget *parent = nullptr);

    int kind() const { return m_kind; } // handed back when the dialog closes

    void ctlCommand_Click(int index);
    void ctlOption_Click(int index);
    void ComAdd_Click();
    void selectRow(int mode); // select list row of mode (1-based) and run the row click

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Load();
    void FillModeList(int kind);
    void rowClick();
    bool StoreMode(int kind, int k);
    void setFieldsEnabled(bool enabled);
    int selectedMode() const;

    ProgramState &m_state;
    bool m_firstPoint;
    int m_kind;

    QRadioButton *ctlOption[4] = {};
    QTreeWidget *ctlListView = nullptr;
    QFrame *ctlFrame = nullptr;
    QLineEdit *txtPower = nullptr;
    QLineEdit *txtSpeed = nullptr;
    QLineEdit *txtCoeff = nullptr;
    QPushButton *ComAdd = nullptr;
    QPushButton *ctlCommand[4] = {};
};

} // namespace tarnvel
