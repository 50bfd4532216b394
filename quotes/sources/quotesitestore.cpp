#include "quotesitestore.h"
#include "quotedtext.h"

#include "certificatefile.h"
#include "quotehost.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QVariant>

namespace QuoteSiteStore {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QuoteSiteStore", text);
}

QString settingsFile(const QSettings &settings)
{
    return quotedText(QDir::toNativeSeparators(settings.fileName()));
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
    return QFileInfo(path).size() > kMaxSettingsFileBytes;
}

QString tooLarge(const QSettings &settings)
{
    return tr("The settings file %1 is larger than %2 KiB, so it is not read")
        .arg(settingsFile(settings))
        .arg(kMaxSettingsFileBytes / 1024);
}

// The text under `key`; a value of another type adds `notText` to `problems`.
QString textValue(const QSettings &settings, const char *key, const QString &notText,
                  QStringList &problems)
{
    if (!settings.contains(QLatin1String(key)))
        return {};
    const QVariant value = settings.value(QLatin1String(key));
    if (value.typeId() != QMetaType::QString) {
        problems << notText;
        return {};
    }
    return value.toString();
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

StoredQuoteSiteRead read(const QSettings &settings)
{
    StoredQuoteSiteRead found;
    if (settings.format() == unreadFormat()) {
        found.problems << tr("%1; the saved quote site is ignored.").arg(tooLarge(settings));
        return found;
    }
    switch (settings.status()) {
    case QSettings::NoError:
        break;
    case QSettings::AccessError:
        found.problems << tr("The settings file %1 cannot be read; the saved quote site is ignored.")
                              .arg(settingsFile(settings));
        return found;
    case QSettings::FormatError:
        found.problems << tr("The settings file %1 is damaged; the saved quote site is ignored.")
                              .arg(settingsFile(settings));
        return found;
    }

    found.texts.host = textValue(settings, kHostKey,
                                 tr("The saved quote site host is not a text; it is ignored."),
                                 found.problems);
    if (!found.texts.host.isEmpty()) {
        const QString hostError = QuoteHost::problem(found.texts.host);
        if (hostError.isEmpty())
            found.site.host = found.texts.host;
        else
            found.problems << tr("The saved quote site host is ignored: %1").arg(hostError);
    }

    found.texts.certificateFile = textValue(
        settings, kCertificateFileKey,
        tr("The saved certificate file name is not a text; it is ignored."), found.problems);
    if (!found.texts.certificateFile.isEmpty()) {
        const QString fileError = CertificateFile::problem(found.texts.certificateFile);
        if (fileError.isEmpty())
            found.site.certificateFile = found.texts.certificateFile;
        else
            found.problems << tr("The saved certificate file is ignored: %1").arg(fileError);
    }
    return found;
}

QString write(QSettings &settings, const StoredQuoteSite &site)
{
    if (settings.format() == unreadFormat())
        return tr("%1 and the quote site cannot be saved in it; remove the file to save one.")
            .arg(tooLarge(settings));
    const auto keep = [&settings](const char *key, const QString &value) {
        if (value.isEmpty())
            settings.remove(QLatin1String(key));
        else
            settings.setValue(QLatin1String(key), value);
    };
    keep(kHostKey, site.host);
    keep(kCertificateFileKey, site.certificateFile);
    settings.sync();
    // A file that was damaged when read keeps its status after a good
    // write, so the file itself tells whether the values are in it.
    const QSettings written(settings.fileName(), settings.format());
    const auto holds = [&written](const char *key, const QString &value) {
        return written.value(QLatin1String(key)).toString() == value;
    };
    if (settings.status() == QSettings::AccessError || written.status() != QSettings::NoError
        || !holds(kHostKey, site.host) || !holds(kCertificateFileKey, site.certificateFile)) {
        return tr("The quote site could not be saved in %1.").arg(settingsFile(settings));
    }
    return {};
}

} // namespace QuoteSiteStore
