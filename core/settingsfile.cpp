#include "settingsfile.h"
#include "quotedtext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QTemporaryDir>

namespace SettingsFile {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SettingsFile", text);
}

// Failing makes the settings report a format error, never a silent empty read.
bool readNothing(QIODevice &, QSettings::SettingsMap &)
{
    return false;
}

bool writeNothing(QIODevice &, const QSettings::SettingsMap &)
{
    return false;
}

bool isTooLarge(const QString &path)
{
    return QFileInfo(path).size() > kMaxBytes;
}

} // namespace

QSettings::Format unreadFormat()
{
    // Qt has room for only a few custom formats, so this one is registered once.
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), readNothing, writeNothing);
    return format;
}

std::unique_ptr<QSettings> open(const QString &path)
{
    auto settings = std::make_unique<QSettings>(path, isTooLarge(path) ? unreadFormat() : QSettings::IniFormat);
    settings->setFallbacksEnabled(false);
    return settings;
}

QString problem(const QSettings &settings)
{
    const QString file = quotedText(QDir::toNativeSeparators(settings.fileName()));
    if (settings.format() == unreadFormat())
        return tr("The settings file %1 is larger than %2 KiB, so it is not read").arg(file).arg(kMaxBytes / 1024);
    switch (settings.status()) {
    case QSettings::NoError:
        return {};
    case QSettings::AccessError:
        return tr("The settings file %1 cannot be read").arg(file);
    case QSettings::FormatError:
        return tr("The settings file %1 is damaged").arg(file);
    }
    Q_UNREACHABLE();
}

std::optional<qint64> sizeAfter(const QSettings &settings, const std::function<void(QSettings &)> &change)
{
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return std::nullopt;
    const QString path = scratch.filePath(QStringLiteral("settings.conf"));
    {
        // Qt writes the whole file from its values, so a copy of them is as
        // large as the file would be.
        QSettings copy(path, QSettings::IniFormat);
        for (const QString &key : settings.allKeys())
            copy.setValue(key, settings.value(key));
        change(copy);
        copy.sync();
        if (copy.status() != QSettings::NoError)
            return std::nullopt;
    }
    return QFileInfo(path).size();
}

} // namespace SettingsFile
