#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tarnvel {

enum class MessageIcon { Information, Exclamation, Critical, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct ShownMessage
{
    QString text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    QString title;
};

// Every message box of the program goes through here.
MessageAnswer showMessage(const QString &text, MessageIcon icon, MessageButtons buttons, const QString &title,
                          QWidget *parent = nullptr);

// Tests answer message boxes instead of the user: while a responder is set, no
// dialog is shown and the responder's answer is returned. An empty function
// brings the dialogs back.
using MessageResponder = std::function<MessageAnswer(const ShownMessage &)>;
void setMessageResponder(MessageResponder responder);

} // namespace tarnvel
