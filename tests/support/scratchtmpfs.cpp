#include "scratchtmpfs.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <sys/statvfs.h>

ScratchTmpfs::ScratchTmpfs(qint64 sizeBytes)
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder to mount on: ") + m_folder.errorString();
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0700";
    const QByteArray target = QFile::encodeName(m_folder.path());
    if (::mount("tmpfs", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                options.constData()) != 0) {
        m_error = QStringLiteral("mounting a tmpfs is not permitted here (%1)")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

ScratchTmpfs::~ScratchTmpfs()
{
    // Detaching works even if a test left a file open on it.
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder.path()).constData(), MNT_DETACH);
}

qint64 ScratchTmpfs::freeBytes() const
{
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(m_folder.path()).constData(), &info) != 0)
        return -1;
    return static_cast<qint64>(info.f_bavail) * static_cast<qint64>(info.f_frsize);
}

qint64 ScratchTmpfs::fill(const QString &name, qint64 leaveBytes) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return -1;
    constexpr qint64 kChunk = 4096;
    const QByteArray chunk(kChunk, 'f');
    // Writing stops at the first failure: the file system is full.
    for (qint64 free = freeBytes(); free > leaveBytes; free = freeBytes()) {
        const qint64 size = std::min(kChunk, free - leaveBytes);
        if (file.write(chunk.constData(), size) != size)
            break;
    }
    file.close();
    return freeBytes();
}
