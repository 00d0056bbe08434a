#include "test_support.h"

#include "store/store_file.h"

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

QString TempStore::path() const
{
    return storePath(dir.path());
}

std::unique_ptr<Database> TempStore::open() const
{
    return openOrCreateStore(dir.path());
}

int countRows(Database &db, const QString &statement)
{
    return db.openRecordset(statement).rowCount();
}

} // namespace tarnvel::test
