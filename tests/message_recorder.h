#pragma once

#include "ui/message_box.h"

#include <QList>
#include <QUrl>

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

// Takes the desktop's place while it lives: remembers what the program would
// have opened, and answers that it was opened (or, told so, that the system
// has no program for it). Afterwards opening anything fails the test again.
class DesktopRecorder
{
public:
    explicit DesktopRecorder(bool opens = true);
    ~DesktopRecorder();
    const QList<QUrl> &opened() const { return m_opened; }

private:
    QList<QUrl> m_opened;
};

// What a test program answers when something is handed to the desktop that
// no test expected: a failure, and nothing opened.
void refuseDesktop();

} // namespace tarnvel::test
