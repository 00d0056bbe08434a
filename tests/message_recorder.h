#pragma once

#include "ui/message_box.h"

#include <QList>

namespace tarnvel::test {

// Answers every message box while it lives and remembers what was shown.
// Without an answer queued, OK and No are the answers.
class MessageRecorder
{
public:
    MessageRecorder();
    ~MessageRecorder();
    void answerNext(MessageAnswer answer) { m_answers.append(answer); }
    const QList<ShownMessage> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    QList<ShownMessage> m_shown;
    QList<MessageAnswer> m_answers;
};

} // namespace tarnvel::test
