#include "ui/splash_window.h"

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnvel {

QString versionText()
{
    return QStringLiteral("Версия: %1.%2.%3").arg(TARNVEL_VERSION_MAJOR).arg(TARNVEL_VERSION_MINOR).arg(TARNVEL_VERSION_PATCH);
}

frmSplash::frmSplash(Role role, QWidget *parent, const QString &storeFile)
    : QDialog(parent, role == Role::Splash ? Qt::SplashScreen | Qt::FramelessWindowHint : Qt::Dialog)
    , m_role(role)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("О программе"));

    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(frame);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);

    auto *product = new QLabel(QStringLiteral("Tarnvel"), frame);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont big = product->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    product->setFont(big);

    auto *purpose = new QLabel(QStringLiteral("Проверочный расчёт вала зубчатой передачи\nна двух опорах качения"), frame);
    lblVersion = new QLabel(frame);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    auto *built = new QLabel(QStringLiteral("Сборка: %1 %2").arg(QLatin1String(__DATE__), QLatin1String(__TIME__)), frame);
    built->setObjectName(QStringLiteral("lblBuild"));

    layout->addWidget(product);
    layout->addWidget(purpose);
    layout->addSpacing(12);
    layout->addWidget(lblVersion);
    layout->addWidget(built);
    if (!storeFile.isEmpty()) {
        auto *store = new QLabel(QStringLiteral("База данных: %1").arg(storeFile), frame);
        store->setObjectName(QStringLiteral("lblStore"));
        layout->addWidget(store);
    }

    Form_Load();
}

void frmSplash::Form_Load()
{
    raise();
    lblVersion->setText(versionText());
}

void frmSplash::mousePressEvent(QMouseEvent *event)
{
    if (m_role == Role::About)
        accept();
    QDialog::mousePressEvent(event);
}

void frmSplash::keyPressEvent(QKeyEvent *event)
{
    if (m_role == Role::About) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tarnvel
