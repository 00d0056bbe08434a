#pragma once

#include "ui/message_box.h"
#include "ui/program_state.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>

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

// A temporary store directory with a fresh store in it.
struct TempStore
{
    QTemporaryDir dir;
    QString path() const;
    QString directory() const { return dir.path(); }
    std::unique_ptr<Database> open() const;
};

// Count of rows a statement returns.
int countRows(Database &db, const QString &statement);

// The rows a statement returns, each its fields joined by blanks: numbers in
// statement form, "-" for an empty field.
QStringList rows(Database &db, const QString &statement);

} // namespace tarnvel::test
