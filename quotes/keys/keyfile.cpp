#include "keyfile.h"

#include "wholefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <utility>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("KeyFile", text);
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

KeyFile::KeyFile(QString path)
    : m_path(std::move(path))
{
}

QString KeyFile::besideSettings(const QString &settingsPath)
{
    return QFileInfo(settingsPath).dir().filePath(QLatin1String(kFileName));
}

QHash<QString, QString> KeyFile::read(QString *error) const
{
    QHash<QString, QString> keys;
    QFile file(m_path);
    if (!file.exists())
        return keys;
    if (file.size() > kMaxBytes) {
        *error = tr("The key file %1 is larger than %2 KiB, so it is not read.").arg(m_path).arg(kMaxBytes / 1024);
        return keys;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = tr("The key file %1 cannot be read: %2").arg(m_path, file.errorString());
        return keys;
    }
    // Read no further than the limit, whatever the file grew to meanwhile.
    const QList<QByteArray> lines = file.read(kMaxBytes).split('\n');
    for (const QByteArray &line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QString name = QUrl::fromPercentEncoding(line.first(equals));
        const QString key = QUrl::fromPercentEncoding(line.sliced(equals + 1).trimmed());
        if (!key.isEmpty())
            keys.insert(name, key);
    }
    return keys;
}

QString KeyFile::write(const QString &source, const QString &key) const
{
    QString error;
    QHash<QString, QString> keys = read(&error);
    if (!error.isEmpty())
        return error;
    if (key.isEmpty() && !keys.contains(source))
        return {}; // nothing to remove: no file is made for it
    if (key.isEmpty())
        keys.remove(source);
    else
        keys.insert(source, key);

    QByteArray text;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        text += QUrl::toPercentEncoding(it.key()) + '=' + QUrl::toPercentEncoding(it.value()) + '\n';
    if (!QDir().mkpath(QFileInfo(m_path).path()))
        return tr("The folder of the key file %1 cannot be made.").arg(m_path);
    // The new file is the user's alone before a key is in it, and keeps that
    // when it takes the file's place.
    const WholeFileWrite written = writeWholeFile(m_path, text, kOwnerOnly);
    if (!written.ok())
        return tr("The key file %1 cannot be written: %2").arg(m_path, written.reason);
    return {};
}
