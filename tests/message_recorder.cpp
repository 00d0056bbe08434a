#include "message_recorder.h"

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

} // namespace tarnvel::test
