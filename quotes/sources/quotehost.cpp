#include "quotehost.h"
#include "quotedtext.h"


#include <QCoreApplication>
#include <QStringList>
#include <QUrl>

#include <arpa/inet.h>

#include <algorithm>

namespace QuoteHost {
namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("QuoteHost", text);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAllDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

bool isLabelCharacter(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'-';
}

// Whatever stands before "://" was meant as a scheme.
QString schemeProblem(const QString &text)
{
    const qsizetype end = text.indexOf(QStringLiteral("://"));
    if (end < 0)
        return {};
    return tr("Give only the host, without \"%1\": the address always starts with https://.")
        .arg(text.left(end + 3).left(kMaxQuotedLength));
}

QString forbiddenPartProblem(const QString &text)
{
    if (text.contains(u'@'))
        return tr("The host must not contain a user name (\"@\").");
    if (text.contains(u'/'))
        return tr("The host must not contain a path (\"/\"): the path is always /quote/SYMBOL/.");
    if (text.contains(u'?'))
        return tr("The host must not contain a query (\"?\").");
    if (text.contains(u'#'))
        return tr("The host must not contain a fragment (\"#\").");
    return {};
}

QString portProblem(QStringView port)
{
    if (port.isEmpty())
        return tr("The port is missing after \":\".");
    if (!isAllDigits(port))
        return tr("The port %1 is not a number.").arg(quotedText(port.toString()));
    bool ok = false;
    const int value = port.toInt(&ok);
    if (!ok || value < kMinPort || value > kMaxPort) {
        return tr("The port %1 is out of range: it must be from %2 to %3.")
            .arg(port.left(kMaxQuotedLength).toString())
            .arg(kMinPort)
            .arg(kMaxPort);
    }
    return {};
}

QString ipv4Problem(QStringView address)
{
    const QList<QStringView> parts = address.split(u'.');
    bool valid = parts.size() == 4;
    for (const QStringView part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        valid = valid && isAllDigits(part) && ok && value <= 255
                && !(part.size() > 1 && part.startsWith(u'0'));
    }
    return valid ? QString() : tr("%1 is not an IPv4 address.").arg(quotedText(address.toString()));
}

QString labelProblem(QStringView label)
{
    if (label.isEmpty())
        return tr("The host name has an empty part (\"..\" or a dot at its start).");
    if (label.size() > kMaxLabelLength) {
        return tr("The part %1 of the host name is longer than %2 characters.")
            .arg(quotedText(label.toString()))
            .arg(kMaxLabelLength);
    }
    if (!std::all_of(label.begin(), label.end(), isLabelCharacter)) {
        return tr("The part %1 of the host name may hold only letters, digits and hyphens.")
            .arg(quotedText(label.toString()));
    }
    if (label.startsWith(u'-') || label.endsWith(u'-')) {
        return tr("The part %1 of the host name must not start or end with a hyphen.")
            .arg(quotedText(label.toString()));
    }
    return {};
}

bool isAscii(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QString nameProblem(const QString &name)
{
    if (!isAscii(name)) {
        const QByteArray ascii = QUrl::toAce(name);
        if (ascii.isEmpty() || !problem(QString::fromLatin1(ascii)).isEmpty())
            return tr("The host name %1 is not a valid international name.").arg(quotedText(name));
        return tr("Write the host name in its ASCII form: %1.").arg(QString::fromLatin1(ascii));
    }
    // One final dot marks a fully qualified name and is not a label.
    const QStringView labels = name.endsWith(u'.') ? QStringView(name).chopped(1) : QStringView(name);
    if (labels.size() > kMaxNameLength)
        return tr("The host name is longer than %1 characters.").arg(kMaxNameLength);
    const QList<QStringView> parts = labels.split(u'.');
    // A name whose last label is a number is read as an IPv4 address.
    if (isAllDigits(parts.constLast()))
        return ipv4Problem(labels);
    for (const QStringView label : parts) {
        const QString labelError = labelProblem(label);
        if (!labelError.isEmpty())
            return labelError;
    }
    return {};
}

// The C library's own reading of an IPv6 address, which needs nothing of Qt
// Network. Only what such an address is written with reaches it, so no
// other character, a NUL among them, can end its reading early.
bool isIpv6Address(const QString &address)
{
    const bool plain = std::all_of(address.begin(), address.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')
            || c == u':' || c == u'.';
    });
    in6_addr parsed{};
    return plain && inet_pton(AF_INET6, address.toLatin1().constData(), &parsed) == 1;
}

QString bracketedProblem(const QString &text)
{
    const qsizetype close = text.indexOf(u']');
    if (close < 0)
        return tr("The IPv6 address lacks its closing \"]\".");
    const QString address = text.mid(1, close - 1);
    const QStringView rest = QStringView(text).sliced(close + 1);
    if (address.contains(u'%'))
        return tr("An IPv6 address with a zone (\"%\") cannot be used.");
    if (!isIpv6Address(address))
        return tr("%1 is not an IPv6 address.").arg(quotedText(address));
    if (rest.isEmpty())
        return {};
    if (!rest.startsWith(u':'))
        return tr("Only \":port\" may follow the IPv6 address in brackets.");
    return portProblem(rest.sliced(1));
}

} // namespace

QString problem(const QString &text)
{
    if (text.isEmpty())
        return tr("No host is given.");
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); }))
        return tr("The host must not contain spaces.");
    for (const QString &found : {schemeProblem(text), forbiddenPartProblem(text)}) {
        if (!found.isEmpty())
            return found;
    }
    if (text.startsWith(u'['))
        return bracketedProblem(text);
    if (text.count(u':') > 1)
        return tr("Write an IPv6 address in brackets, for example [2001:db8::1]:8443.");

    const qsizetype colon = text.indexOf(u':');
    const QString name = colon < 0 ? text : text.left(colon);
    if (name.isEmpty())
        return tr("The host name is missing before \":\".");
    if (colon >= 0) {
        const QString portError = portProblem(QStringView(text).sliced(colon + 1));
        if (!portError.isEmpty())
            return portError;
    }
    if (name.contains(u'[') || name.contains(u']'))
        return tr("Only an IPv6 address may be written in brackets, and only as the whole host.");
    return nameProblem(name);
}

} // namespace QuoteHost
