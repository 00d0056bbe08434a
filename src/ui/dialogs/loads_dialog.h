#pragma once

#include "ui/dialogs/mode_dialog.h"

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
class frmNagr : public ModeDialog
{
    Q_OBJECT
public:
    frmNagr(ProgramState &state, bool firstPointFlag, int kind, QWidget *parent = nullptr);

    int kind() const { return m_kind; } // handed back when the dialog closes

    void ctlCommand_Click(int index) override;
    void ctlOption_Click(int index);
    void ComAdd_Click();

private:
    void Form_Load();
    void FillModeList(int kind);
    void rowClick() override;
    bool StoreMode(int kind, int k);
    void setFieldsEnabled(bool enabled);
    int selectedMode() const;

    int m_kind;

    QRadioButton *ctlOption[4] = {};
    QLineEdit *txtPower = nullptr;
};

} // namespace tarnvel
