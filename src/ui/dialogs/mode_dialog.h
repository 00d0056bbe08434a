#pragma once

#include "ui/program_state.h"

#include <QDialog>
#include <QList>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tarnvel {

// What the two load dialogs share: a list of modes, the speed and
// coefficient fields, the command buttons by index (0 "Добавить",
// 1 "Удалить", 3 "OK"), and the rule that on any point but the first the
// modes themselves cannot change.
class ModeDialog : public QDialog
{
public:
    // Select the list row of mode (from 1) and run the row click.
    void selectRow(int mode);
    virtual void ctlCommand_Click(int index) = 0;

protected:
    ModeDialog(ProgramState &state, bool firstPointFlag, QList<int> columnPercents, QWidget *parent);
    virtual void rowClick() = 0;

    QHBoxLayout *createCommandButtons();
    // The refusal of a negative speed or coefficient of mode k, empty when
    // both are fine.
    static QString negativeModeValue(double speed, double coeff, int k);
    // On a point other than the first: no adding or deleting of modes, no
    // change of their speeds and coefficients.
    void lockModesOfFollower();
    void resizeEvent(QResizeEvent *event) override;

    ProgramState &m_state;
    const bool m_firstPoint;
    QTreeWidget *ctlListView = nullptr;
    QLineEdit *txtSpeed = nullptr;
    QLineEdit *txtCoeff = nullptr;
    QPushButton *ctlCommand[4] = {};

private:
    QList<int> m_columnPercents;
};

} // namespace tarnvel
