#pragma once

#include <QDialog>

class QLabel;

namespace tarnvel {

// "Версия: <major>.<minor>.<revision>"
QString versionText();

// The splash window, shown while the program starts and again as the about
// box, which also says where the store is. Any click or key closes the about
// box.
class frmSplash : public QDialog
{
    Q_OBJECT
public:
    enum class Role { Splash, About };
    explicit frmSplash(Role role, QWidget *parent = nullptr, const QString &storeFile = QString());

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();

    Role m_role;
    QLabel *lblVersion = nullptr;
};

} // namespace tarnvel
