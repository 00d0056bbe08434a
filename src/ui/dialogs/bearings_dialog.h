#pragma once

#include "analysis/bearing_selection.h"
#include "ui/program_state.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarnvel {

struct ValueRange;

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
SupportSettings supportSettings(const SupportInputs &stored, int typeCode, const QVariant &quality);

// What OK of the bearing dialog hands back: the bearing with the support's
// settings, and the life it is to reach.
struct BearingChoice
{
    BearingSettings settings;
    std::optional<double> requiredLife; // hours
};

// Puts the choice in place of the support's bearing and computes it: the
// settings and the required life go into the store, the calculation runs,
// and a life that cannot be computed is explained.
void applyBearingChoice(ProgramState &state, const BearingChoice &choice, QWidget *parent);

// Choice of the bearing of one support from the catalogue, with the support's
// settings, under the loads of the current calculation; OK hands the choice
// back (choice()). The catalogue itself is edited here: bearings are added and
// deleted at once.
class frmBearings : public QDialog
{
    Q_OBJECT
public:
    // side: 0 left support, 1 right support; bearingId: the bearing to
    // preselect, 0 for none.
    frmBearings(ProgramState &state, int side, qint64 bearingId, QWidget *parent = nullptr);

    int lngTipID() const { return m_tipId; }
    // After OK: the bearing chosen with its settings; empty otherwise.
    const std::optional<BearingChoice> &choice() const { return m_choice; }

    void cmdOK_Click();
    void cmdAdd_Click();
    void cmdAddNew_Click();
    void cmdCanselNew_Click();
    void cmdDel_Click();
    void ctlBT_Click();
    void ctlRing_Click(int index);
    void selectBearing(qint64 bearingId);
    // Selects the bearing of the type with the smallest C whose life reaches
    // the required one, keeping the settings the lives were computed with.
    void cmdPick_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void fillList();
    void itemSelected();
    void designColumns();
    void sizeColumns();
    int assessedColumnsWidth();
    void readLoads();
    BearingSettings currentSettings(const QTreeWidgetItem *row) const;
    // The life and static safety columns under the dialog's current settings,
    // and the marks of the rows that reach the required life.
    void showLives();
    // True when value is within range; otherwise says so and puts the focus
    // on box.
    bool refuseOutOfRange(QLineEdit *box, const ValueRange &range, double value);

    ProgramState &m_state;
    int m_side;
    qint64 m_bearingId;
    int m_tipId = 0;
    int m_designedWidth = 110; // of the designation and angle columns
    std::optional<BearingInput> m_loads; // reactions, modes and force unit of the support
    SupportInputs m_stored; // what the store holds for the support
    QVector<BearingType> m_types;
    std::optional<BearingChoice> m_choice;
    std::optional<StaticLoads> m_staticLoads;
    QVector<BearingCandidate> m_candidates; // the list's rows, in order
    QVector<CandidateAssessment> m_assessments;
    bool m_settling = false; // the row's settings are being put in place
    bool m_supportShown = false; // the support's stored settings are on screen
    bool m_qualityTyped = false; // the user typed the quality coefficient

    QFrame *frCatalog = nullptr;
    QComboBox *ctlBT = nullptr;
    QTreeWidget *LV = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDel = nullptr;
    QLineEdit *txtLh = nullptr; // required life, hours
    QPushButton *cmdPick = nullptr;
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
