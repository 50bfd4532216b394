#pragma once

#include <QByteArrayList>
#include <QJsonArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// What every file of kept values, the prices' and the rates', does alike:
// it is a JSON object {"version":<version>,"<list>":[entries...]}, read
// within a size limit, written whole, and set aside when it cannot be used.

// What became of loading a kept file.
enum class KeptFileOutcome {
    Loaded,
    Missing,        // no file yet: nothing was ever saved
    SetAside,       // unusable, renamed to keptFileBadPath()
    LeftInPlace,    // unusable, and renaming it failed too
};

struct KeptFileSave {
    bool saved = false;
    QString error;          // on failure: names the file and the reason
};

// One kind of kept file.
struct KeptFileLayout {
    int version = 1;
    const char *list = "";  // the member holding the entries
    qint64 maxBytes = 0;    // read no further; written no larger
};

// Why the entries of a file could not be read.
enum class KeptFileFault {
    None,
    Unreadable,     // it cannot be opened or read (a folder, a failing disk)
    TooLarge,       // over the layout's maxBytes
    NotJson,
    WrongShape,     // not the layout's object of its version
};

// The store's own problem for `fault`, of the same name.
template <typename Problem>
Problem keptFileProblem(KeptFileFault fault)
{
    switch (fault) {
    case KeptFileFault::None:
        return Problem::None;
    case KeptFileFault::Unreadable:
        return Problem::Unreadable;
    case KeptFileFault::TooLarge:
        return Problem::TooLarge;
    case KeptFileFault::NotJson:
        return Problem::NotJson;
    case KeptFileFault::WrongShape:
        return Problem::WrongShape;
    }
    Q_UNREACHABLE();
}

struct KeptFileRead {
    KeptFileFault fault = KeptFileFault::None;
    QString detail;         // the system's or the JSON parser's reason, for the message
    QJsonArray entries;
};

// The entries of the file at `path`, which exists.
KeptFileRead readKeptFile(const QString &path, const KeptFileLayout &layout);

QString keptFileBadPath(const QString &path);
// For the status line: "The <what> in "<path>" could not be used: <why>."
// and whether the file was set aside; empty for a file loaded or missing.
QString keptFileMessage(const QString &what, const QString &path, KeptFileOutcome outcome, const QString &why,
                        const QString &renameError);
// Renames the file to keptFileBadPath(), replacing an earlier one, so that
// it can be looked at and the next save starts afresh; the system's reason
// when it could not.
std::optional<QString> setKeptFileAside(const QString &path);

// The file holding `entries` (compact JSON objects, those to go first when
// space runs out first), leaving out as many as would take it past the
// layout's maxBytes.
QByteArray keptFileBytes(const KeptFileLayout &layout, const QByteArrayList &entries);
// Replaces the file atomically, creating its folder: on failure the previous
// file stays as it was, and the reason is given.
std::optional<QString> writeKeptFile(const QString &path, const QByteArray &bytes);
