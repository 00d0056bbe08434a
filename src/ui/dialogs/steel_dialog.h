#pragma once

#include <QDialog>

class QLineEdit;

namespace tarnvel {

class Database;

// A steel the user adds to the catalogue of shaft steels, from a handbook
// or the supplier's certificate. OK refuses a steel with a fault and keeps
// the dialog open; a sound one goes into the catalogue as a user row and
// becomes the shaft's steel.
class frmSteel : public QDialog
{
    Q_OBJECT
public:
    explicit frmSteel(Database &db, QWidget *parent = nullptr);

    // After OK: the SteelID of the added steel; 0 otherwise.
    qint64 addedSteelId() const { return m_addedId; }

    void cmdOK_Click();

private:
    Database &m_db;
    qint64 m_addedId = 0;

    QLineEdit *txtGrade = nullptr;
    QLineEdit *txtTreatment = nullptr;
    QLineEdit *txtBlank = nullptr; // mm; empty or 0: a blank of any size
    QLineEdit *txtHardness = nullptr;
    QLineEdit *txtSigmaB = nullptr; // the stresses and E in MPa
    QLineEdit *txtSigmaT = nullptr;
    QLineEdit *txtTauT = nullptr;
    QLineEdit *txtSigmaM1 = nullptr;
    QLineEdit *txtTauM1 = nullptr;
    QLineEdit *txtPsiTau = nullptr;
    QLineEdit *txtE = nullptr;
    QLineEdit *txtSource = nullptr;
};

} // namespace tarnvel
