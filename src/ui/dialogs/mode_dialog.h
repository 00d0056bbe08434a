#pragma once

#include "ui/program_state.h"

#include <QDialog>
#include <QList>

class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tarnvel {

// What the two load dialogs share: a list of modes, the speed and
// coefficient fields, the edit area with its small "OK" (ComAdd), the command
// buttons by index (0 "Добавить", 1 "Удалить", 3 "OK"), and the rule that on
// any point but the first the modes themselves cannot change.
//
// Keys: Enter on a row opens it in the edit area, Enter in a field applies
// the edit and goes back to the list, Esc closes the dialog as its close box.
class ModeDialog : public QDialog
{
public:
    // Select the list row of mode (from 1) and run the row click.
    void selectRow(int mode);
    virtual void ctlCommand_Click(int index) = 0;

protected:
    ModeDialog(ProgramState &state, bool firstPointFlag, QList<int> columnPercents, QWidget *parent);
    virtual void rowClick() = 0;

    // Captions of the list's columns and, per column, the widest value a
    // realistic scheme puts there: the list is never narrower than it takes
    // to show both whole at the columns' shares of its width.
    void setColumns(const QStringList &captions, const QStringList &widestValues);
    QHBoxLayout *createCommandButtons();
    // Connects the keys and lays the tab order: before, the list, the edit
    // fields, ComAdd, the command buttons.
    void setUpKeys(const QList<QWidget *> &before, const QList<QLineEdit *> &fields);
    // On a point other than the first: no adding or deleting of modes, no
    // change of their speeds and coefficients; the dialog says where the
    // modes are defined.
    void lockModesOfFollower();
    bool eventFilter(QObject *watched, QEvent *event) override;

    ProgramState &m_state;
    const bool m_firstPoint;
    QTreeWidget *ctlListView = nullptr;
    QFrame *ctlFrame = nullptr;
    QLineEdit *txtSpeed = nullptr;
    QLineEdit *txtCoeff = nullptr;
    QPushButton *ComAdd = nullptr;
    QPushButton *ctlCommand[4] = {};

private:
    void sizeColumns();
    void applyByEnter();
    void goToFirstPoint();

    QList<int> m_columnPercents;
    QList<QLineEdit *> m_fields;
    QLabel *lbModesAtFirst = nullptr;
    QPushButton *cmdGoToFirst = nullptr;
};

} // namespace tarnvel
