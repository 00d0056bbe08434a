#include "files/file_replacement.h"

#include "files/file_names.h"

namespace tarnvel {

StagedFile::StagedFile(const QString &path)
    : m_path(path)
    , m_file(path)
{
}

bool StagedFile::fail()
{
    // The reason is read before cancelWriting() puts its own in its place.
    m_error = fileErrorText(m_file, m_path, true);
    if (m_file.isOpen())
        m_file.cancelWriting();
    return false;
}

bool StagedFile::write(const std::function<bool(QIODevice &)> &write)
{
    if (!m_file.open(QIODevice::WriteOnly))
        return fail();
    // A full disk shows at the flush, not at the write, while the bytes fit
    // the buffer; and QSaveFile renames a file whose last bytes never left it.
    if (!write(m_file) || !m_file.flush() || m_file.error() != QFileDevice::NoError)
        return fail();
    return true;
}

bool StagedFile::commit()
{
    if (!m_file.isOpen())
        return false;
    if (!m_file.commit()) {
        m_error = fileErrorText(m_file, m_path, true);
        return false;
    }
    return true;
}

bool replaceFile(const QString &path, const std::function<bool(QIODevice &)> &write, QString *error)
{
    StagedFile file(path);
    const bool replaced = file.write(write) && file.commit();
    if (!replaced && error)
        *error = file.error();
    return replaced;
}

bool replaceFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return replaceFile(path, [&bytes](QIODevice &device) { return device.write(bytes) == bytes.size(); }, error);
}

} // namespace tarnvel
