#include "quotesitestore.h"
#include "quotedtext.h"

#include "certificatefile.h"
#include "quotehost.h"
#include "settingsfile.h"

#include <QCoreApplication>
#include <QDir>
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

StoredQuoteSiteRead read(const QSettings &settings)
{
    StoredQuoteSiteRead found;
    if (const QString problem = SettingsFile::problem(settings); !problem.isEmpty()) {
        found.problems << tr("%1; the saved quote site is ignored.").arg(problem);
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
    if (settings.format() == SettingsFile::unreadFormat())
        return tr("%1 and the quote site cannot be saved in it; remove the file to save one.")
            .arg(SettingsFile::problem(settings));
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
