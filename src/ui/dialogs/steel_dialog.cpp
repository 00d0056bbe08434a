#include "ui/dialogs/steel_dialog.h"

#include "analysis/shaft_inputs.h"
#include "analysis/shaft_steels.h"
#include "store/database.h"
#include "store/numbers.h"
#include "ui/command_guard.h"
#include "ui/message_box.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnvel {

frmSteel::frmSteel(Database &db, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
{
    setObjectName(QStringLiteral("frmSteel"));
    setWindowTitle(QStringLiteral("Сталь вала"));

    auto *form = new QFormLayout;
    auto field = [this, form](const char *name, const QString &caption) {
        auto *line = new QLineEdit(this);
        line->setObjectName(QLatin1String(name));
        form->addRow(caption, line);
        return line;
    };
    txtGrade = field("txtGrade", QStringLiteral("Марка стали"));
    txtTreatment = field("txtTreatment", QStringLiteral("Термообработка"));
    txtBlank = field("txtBlank", QStringLiteral("Диаметр заготовки до, мм (0 — любой)"));
    txtHardness = field("txtHardness", QStringLiteral("Твёрдость"));
    txtSigmaB = field("txtSigmaB", QStringLiteral("Предел прочности σв, МПа"));
    txtSigmaT = field("txtSigmaT", QStringLiteral("Предел текучести σт, МПа"));
    txtTauT = field("txtTauT", QStringLiteral("Предел текучести при кручении τт, МПа"));
    txtSigmaM1 = field("txtSigmaM1", QStringLiteral("Предел выносливости при изгибе σ-1, МПа"));
    txtTauM1 = field("txtTauM1", QStringLiteral("Предел выносливости при кручении τ-1, МПа"));
    txtPsiTau = field("txtPsiTau", QStringLiteral("Коэффициент ψτ"));
    txtE = field("txtE", QStringLiteral("Модуль упругости E, МПа"));
    txtSource = field("txtSource", QStringLiteral("Источник"));
    // Every steel a shaft is made of has E close to this; it is seldom typed.
    txtE->setText(QStringLiteral("210000"));

    auto *cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto *cmdCancel = new QPushButton(QStringLiteral("Отмена"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, [this] { runCommand(this, [this] { cmdOK_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(460, sizeHint().height());
}

void frmSteel::cmdOK_Click()
{
    ShaftSteel steel;
    steel.grade = txtGrade->text();
    steel.treatment = txtTreatment->text();
    steel.blankDiameter = typedNumber(txtBlank->text());
    steel.hardness = txtHardness->text();
    steel.sigmaB = typedNumber(txtSigmaB->text());
    steel.sigmaT = typedNumber(txtSigmaT->text());
    steel.tauT = typedNumber(txtTauT->text());
    steel.sigmaM1 = typedNumber(txtSigmaM1->text());
    steel.tauM1 = typedNumber(txtTauM1->text());
    steel.psiTau = typedNumber(txtPsiTau->text());
    steel.E = typedNumber(txtE->text());
    steel.source = txtSource->text();
    if (const QString fault = shaftSteelFault(steel); !fault.isEmpty()) {
        showMessage(fault, MessageIcon::Exclamation, MessageButtons::Ok, QStringLiteral("Tarnvel"), this);
        return;
    }
    // Added and chosen together: a steel left in the catalogue without being
    // chosen would look to the user as if OK had done nothing.
    Database::Transaction transaction(m_db);
    const qint64 id = addShaftSteel(m_db, steel);
    writeShaftSetting(m_db, shaftSetting::steel, static_cast<double>(id));
    transaction.commit();
    m_addedId = id;
    accept();
}

} // namespace tarnvel
