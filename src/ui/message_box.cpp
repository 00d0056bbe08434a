#include "ui/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace tarnvel {

namespace {
MessageResponder &responder()
{
    static MessageResponder instance;
    return instance;
}
} // namespace

void setMessageResponder(MessageResponder newResponder)
{
    responder() = std::move(newResponder);
}

MessageAnswer showMessage(const QString &text, MessageIcon icon, MessageButtons buttons, const QString &title,
                          QWidget *parent)
{
    if (responder())
        return responder()(ShownMessage{text, icon, buttons, title});

    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

} // namespace tarnvel
