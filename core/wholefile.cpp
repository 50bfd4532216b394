#include "wholefile.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cerrno>
#include <unistd.h>

namespace {

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

WholeFileWrite failed(QSaveFile &file, WholeFileFailure failure, const QString &reason)
{
    file.cancelWriting();
    return {failure, reason};
}

} // namespace

WholeFileWrite writeWholeFile(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    // Unbuffered, so that every byte reaches the file in writeAll(): Qt 6.4's
    // commit() ignores a failed flush of buffered bytes and would put a cut
    // short file in place of the old one when the disk is full.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {WholeFileFailure::Create, file.errorString()};
    if (permissions && !file.setPermissions(permissions))
        return failed(file, WholeFileFailure::Create, file.errorString());
    if (!writeAll(file, bytes))
        return failed(file, WholeFileFailure::Write, file.errorString());
    // commit() does not look at a failed sync either; some file systems
    // (network ones, a failing device) only report lost writes here.
    if (::fsync(file.handle()) != 0)
        return failed(file, WholeFileFailure::Write, qt_error_string(errno));
    if (!file.commit())
        return {WholeFileFailure::Replace, file.errorString()};
    return {};
}

QString wholeFileProblem(const WholeFileWrite &written)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("WholeFile", text); };
    switch (written.failure) {
    case WholeFileFailure::None:
        return {};
    case WholeFileFailure::Create:
        return tr("the file cannot be created there (%1)").arg(written.reason);
    case WholeFileFailure::Write:
        return tr("writing failed (%1)").arg(written.reason);
    case WholeFileFailure::Replace:
        return tr("the new file could not be put in place (%1); any earlier file there is unchanged")
            .arg(written.reason);
    }
    Q_UNREACHABLE();
}
