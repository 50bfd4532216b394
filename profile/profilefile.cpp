#include "profilefile.h"

#include "messagetext.h"
#include "profileformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include <unistd.h>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ProfileFile", text);
}

// A file name may hold any character but "/" and NUL, line breaks included.
QString shownPath(const QString &path)
{
    return escapedForMessage(QDir::toNativeSeparators(path));
}

ProfileLoad loadFailure(const QString &path, const QString &problem)
{
    return {std::nullopt, tr("Could not load the profile \"%1\": %2.").arg(shownPath(path), problem)};
}

ProfileSave saveFailure(const QString &path, const QString &reason)
{
    return {false, tr("Could not save the profile \"%1\": %2.").arg(shownPath(path), reason)};
}

QString tooLargeProblem()
{
    return tr("the file is larger than %1 KiB, too large to be a profile")
        .arg(MaxProfileFileSize / 1024);
}

// A disk that fills up part-way takes the first bytes of a write and reports
// nothing; writing the rest again brings out the system's reason, which the
// file then holds in errorString().
bool writeAll(QFileDevice &file, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const qint64 count = file.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

} // namespace

ProfileLoad loadProfileFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return loadFailure(path, tr("the file does not exist"));
    if (info.isDir())
        return loadFailure(path, tr("it is a folder, not a profile file"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return loadFailure(path, tr("the file cannot be opened (%1)").arg(file.errorString()));
    if (file.size() > MaxProfileFileSize)
        return loadFailure(path, tooLargeProblem());
    // Reading one byte past the limit catches files whose size is not known
    // beforehand without ever holding more than that.
    const QByteArray bytes = file.read(MaxProfileFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return loadFailure(path, tr("the file cannot be read (%1)").arg(file.errorString()));
    if (bytes.size() > MaxProfileFileSize)
        return loadFailure(path, tooLargeProblem());

    ProfileReadResult result = readProfile(bytes);
    if (!result.holdings)
        return loadFailure(path, result.problem);
    return {std::move(result.holdings), {}, result.targets};
}

ProfileSave saveProfileFile(const QString &path, const Holdings &records,
                            const AssetTargets &targets)
{
    if (QFileInfo(path).isDir())
        return saveFailure(path, tr("it is a folder"));

    const QByteArray bytes = writeProfile(records, targets);
    QSaveFile file(path);
    // Unbuffered, so that every byte reaches the file in writeAll(): Qt 6.4's
    // commit() ignores a failed flush of buffered bytes and would put a cut
    // short file in place of the old one when the disk is full.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return saveFailure(path, tr("the file cannot be created there (%1)").arg(file.errorString()));
    if (!writeAll(file, bytes)) {
        const QString reason = tr("writing failed (%1)").arg(file.errorString());
        file.cancelWriting();
        return saveFailure(path, reason);
    }
    // commit() does not look at a failed sync either; some file systems
    // (network ones, a failing device) only report lost writes here.
    if (::fsync(file.handle()) != 0) {
        const QString reason = tr("writing failed (%1)").arg(qt_error_string(errno));
        file.cancelWriting();
        return saveFailure(path, reason);
    }
    if (!file.commit())
        return saveFailure(path, tr("the new contents could not be put in place (%1); any earlier file there is unchanged").arg(file.errorString()));
    return {true, {}};
}
