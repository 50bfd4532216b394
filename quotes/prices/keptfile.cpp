#include "keptfile.h"

#include "wholefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <variant>

namespace {

constexpr QByteArrayView kFileTail = "]}\n";

QString tr(const char *text)
{
    return QCoreApplication::translate("KeptFile", text);
}

KeptFileRead failure(KeptFileFault fault, const QString &detail = {})
{
    return {fault, detail, {}};
}

std::variant<QByteArray, KeptFileRead> readBytes(const QString &path, qint64 maxBytes)
{
    if (QFileInfo(path).isDir())
        return failure(KeptFileFault::Unreadable, tr("it is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(KeptFileFault::Unreadable, file.errorString());
    if (file.size() > maxBytes)
        return failure(KeptFileFault::TooLarge);
    // One byte past the limit catches a file that grew since its size was
    // asked, without ever holding more than that.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(KeptFileFault::Unreadable, file.errorString());
    if (bytes.size() > maxBytes)
        return failure(KeptFileFault::TooLarge);
    return bytes;
}

KeptFileRead entriesOf(const QByteArray &bytes, const KeptFileLayout &layout)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return failure(KeptFileFault::NotJson, tr("%1 at byte %2").arg(error.errorString()).arg(error.offset));
    const QJsonObject top = document.object();
    const QJsonValue version = top.value(QLatin1String("version"));
    const QJsonValue list = top.value(QLatin1String(layout.list));
    if (!document.isObject() || !version.isDouble() || version.toDouble() != layout.version || !list.isArray())
        return failure(KeptFileFault::WrongShape);
    return {KeptFileFault::None, {}, list.toArray()};
}

QByteArray fileHead(const KeptFileLayout &layout)
{
    return "{\"version\":" + QByteArray::number(layout.version) + ",\"" + layout.list + "\":[";
}

} // namespace

KeptFileRead readKeptFile(const QString &path, const KeptFileLayout &layout)
{
    const auto bytes = readBytes(path, layout.maxBytes);
    if (const auto *read = std::get_if<KeptFileRead>(&bytes))
        return *read;
    return entriesOf(std::get<QByteArray>(bytes), layout);
}

QString keptFileBadPath(const QString &path)
{
    return path + QStringLiteral(".bad");
}

std::optional<QString> setKeptFileAside(const QString &path)
{
    const QString badPath = keptFileBadPath(path);
    QFile::remove(badPath);
    QFile file(path);
    if (file.rename(badPath))
        return std::nullopt;
    return file.errorString();
}

QByteArray keptFileBytes(const KeptFileLayout &layout, const QByteArrayList &entries)
{
    const QByteArray head = fileHead(layout);
    qint64 size = head.size() + kFileTail.size();
    for (const QByteArray &entry : entries)
        size += entry.size() + 1; // with its comma
    if (!entries.isEmpty())
        --size; // the last entry has none
    qsizetype first = 0;
    for (; size > layout.maxBytes; ++first)
        size -= entries.at(first).size() + (first + 1 < entries.size() ? 1 : 0);

    QByteArray bytes;
    bytes.reserve(size);
    bytes.append(head);
    bytes.append(entries.mid(first).join(','));
    bytes.append(kFileTail);
    return bytes;
}

std::optional<QString> writeKeptFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (info.isDir())
        return tr("it is a folder");
    if (!QDir().mkpath(info.absolutePath()))
        return tr("its folder cannot be created");
    const WholeFileWrite written = writeWholeFile(path, bytes);
    if (!written.ok())
        return wholeFileProblem(written);
    return std::nullopt;
}

QString keptFileMessage(const QString &what, const QString &path, KeptFileOutcome outcome, const QString &why,
                        const QString &renameError)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (outcome) {
    case KeptFileOutcome::Loaded:
    case KeptFileOutcome::Missing:
        return {};
    case KeptFileOutcome::SetAside:
        return QCoreApplication::translate("KeptFile", "The %1 in \"%2\" could not be used: %3. "
                                                       "The file was set aside as \"%4\".")
            .arg(what, shown, why, QDir::toNativeSeparators(keptFileBadPath(path)));
    case KeptFileOutcome::LeftInPlace:
        return QCoreApplication::translate("KeptFile", "The %1 in \"%2\" could not be used: %3. "
                                                       "Setting the file aside failed (%4).")
            .arg(what, shown, why, renameError);
    }
    Q_UNREACHABLE();
}
