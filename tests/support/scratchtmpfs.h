#pragma once

#include <QString>
#include <QTemporaryDir>

// A small tmpfs mounted on a fresh temporary folder for one test, so that a
// file system can be filled without touching any other. Mounting needs the
// right to mount (root, in a container that allows it); when it is refused,
// error() says why and the test should skip. Unmounted again on destruction.
class ScratchTmpfs
{
public:
    explicit ScratchTmpfs(qint64 sizeBytes);
    ~ScratchTmpfs();
    ScratchTmpfs(const ScratchTmpfs &) = delete;
    ScratchTmpfs &operator=(const ScratchTmpfs &) = delete;

    bool isMounted() const { return m_mounted; }
    QString error() const { return m_error; }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

    qint64 freeBytes() const;
    // Writes a file named `name` until at most `leaveBytes` remain free.
    // Returns the free space left, or -1 when the file could not be written.
    qint64 fill(const QString &name, qint64 leaveBytes = 0) const;

private:
    QTemporaryDir m_folder;
    bool m_mounted = false;
    QString m_error;
};
