#include "profilefile.h"

#include "messagetext.h"
#include "profileformat.h"
#include "wholefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>



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

    const WholeFileWrite written = writeWholeFile(path, writeProfile(records, targets));
    if (!written.ok())
        return saveFailure(path, wholeFileProblem(written));
    return {true, {}};
}
