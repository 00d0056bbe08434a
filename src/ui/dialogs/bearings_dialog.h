#pragma once

#include "ui/program_state.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace tarnvel {

// What the bearing dialog shows for a support when a catalogue bearing is
// selected: the flags, ring and coefficients stored for the side (or the
// first-use defaults), adjusted to the bearing's type.
struct SupportSettings
{
    bool takesRadial = true;
    bool takesAxial = false;
    bool loadsLocked = false; // a radial roller bearing takes no axial load
    int ring = 0;
    double Kt = 1;
    double Kb = 1.2;
    QString quality; // the catalogue's Tkah, "1" when it has none
};
SupportSettings supportSettings(Database &db, int side, int typeCode, const QVariant &quality);

// Choice of the bearing of one support from the catalogue, with the support's
// settings; OK computes the bearing's equivalent load and life.
class frmBearings : public QDialog
{
    Q_OBJECT
public:
    // side: 0 left support, 1 right support; bearingId: the bearing to
    // preselect, 0 for none.
    frmBearings(ProgramState &state, int side, qint64 bearingId, QWidget *parent = nullptr);

    int lngTipID() const { return m_tipId; }

    void cmdOK_Click();
    void cmdAdd_Click();
    void cmdAddNew_Click();
    void cmdCanselNew_Click();
    void cmdDel_Click();
    void ctlBT_Click();
    void ctlRing_Click(int index);
    void selectBearing(qint64 bearingId);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void fillList();
    void itemSelected();
    void designColumns();
    void sizeColumns();

    ProgramState &m_state;
    int m_side;
    qint64 m_bearingId;
    int m_tipId = 0;
    int m_designedWidth = 110; // of the designation and angle columns

    QFrame *frCatalog = nullptr;
    QComboBox *ctlBT = nullptr;
    QTreeWidget *LV = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDel = nullptr;
    QFrame *frNewBear = nullptr;
    QLineEdit *txtNewBear = nullptr;
    QLineEdit *txtGab[3] = {};
    QLineEdit *txtC = nullptr;
    QLineEdit *txtC0 = nullptr;
    QLineEdit *txtAlfa = nullptr;
    QLabel *lblAlfa = nullptr;
    QPushButton *cmdAddNew = nullptr;
    QPushButton *cmdCanselNew = nullptr;
    QGroupBox *frRollRing = nullptr;
    QRadioButton *ctlRing[3] = {};
    QCheckBox *ctlOsN[2] = {};
    QLineEdit *txtKb = nullptr;
    QLineEdit *txtKk = nullptr;
    QLineEdit *txtKt = nullptr;
    QPushButton *cmdOK = nullptr;
};

} // namespace tarnvel
