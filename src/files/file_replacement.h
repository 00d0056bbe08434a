#pragma once

// Files the program writes over: the scenario, the report's page and its
// pictures. A new file is written beside the old one and renamed over it only
// once every byte of it is known to be on the disk, so that a full disk, a
// failing device or a kill leaves the old file whole.

#include <QSaveFile>
#include <QString>

#include <functional>

class QIODevice;

namespace tarnvel {

// One file written under a temporary name beside path and put in its place
// by commit(). Until then, and after any failure, the old file stands.
class StagedFile
{
public:
    explicit StagedFile(const QString &path);

    // Opens the temporary file and lets write fill it; false, with the
    // reason in error(), when it cannot be opened, write reports a failure or
    // any byte did not reach the disk. The temporary file is then dropped.
    bool write(const std::function<bool(QIODevice &)> &write);
    bool commit();
    const QString &error() const { return m_error; }

private:
    bool fail();

    QString m_path;
    QSaveFile m_file;
    QString m_error;
};

// The file at path replaced by what write puts into it, or left as it was
// with the reason in error.
bool replaceFile(const QString &path, const std::function<bool(QIODevice &)> &write, QString *error = nullptr);
bool replaceFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

} // namespace tarnvel
