#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// Where a transfer goes: its scheme, host and port, as one value.
struct Origin {
    QString scheme;
    QString host; // lower case, as sent
    int port = 0;

    friend bool operator==(const Origin &, const Origin &) = default;
};
size_t qHash(const Origin &origin, size_t seed = 0);

// The origin of an encoded URL; the port is the scheme's default when none
// is given.
Origin originOf(const QByteArray &url);

// Which waiting transfers may start: at most kMaxConnectionsPerHost running
// to one origin whoever asks, and within that at most a share's own limit
// for each share (a quote source), so that sources on one host share its
// connections rather than adding to them.
class HostQueues
{
public:
    static constexpr int kMaxConnectionsPerHost = 4;

    bool mayStart(const Origin &origin, quint64 share, int shareLimit) const;
    void started(const Origin &origin, quint64 share);
    void ended(const Origin &origin, quint64 share);

    int running(const Origin &origin) const { return m_perOrigin.value(origin); }

private:
    QHash<Origin, int> m_perOrigin;
    QHash<quint64, int> m_perShare;
};
