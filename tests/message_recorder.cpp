#include "message_recorder.h"

#include "ui/desktop_opener.h"

#include <gtest/gtest.h>

namespace tarnvel::test {

MessageRecorder::MessageRecorder()
{
    setMessageResponder([this](const ShownMessage &message) {
        m_shown.append(message);
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    });
}

MessageRecorder::~MessageRecorder()
{
    // Never fall back to real dialogs in a test run.
    setMessageResponder([](const ShownMessage &message) {
        return message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    });
}

DesktopRecorder::DesktopRecorder(bool opens)
{
    setDesktopOpener([this, opens](const QUrl &url) {
        m_opened.append(url);
        return opens;
    });
}

DesktopRecorder::~DesktopRecorder()
{
    refuseDesktop();
}

void refuseDesktop()
{
    setDesktopOpener([](const QUrl &url) {
        ADD_FAILURE() << "handed to the desktop: " << url.toString().toStdString();
        return false;
    });
}

} // namespace tarnvel::test
