#pragma once

#include "assettargets.h"
#include "holding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The profile text: twenty records of four "Label\tvalue" lines. Spaces in
// names and symbols are stored as "#", empty text as "NULL", the class as an
// integer with -1 for none. Written as UTF-8 with "\n" line ends. Targets,
// when set, follow as one "AssetTargets" line of five percents in class
// order; without them the text is the twenty records alone.
QByteArray writeProfile(const Holdings &holdings, const AssetTargets &targets = std::nullopt);

// Shortest text that reads back as the same number: 100, 12.5, 1234567, 0.1.
// A profile cannot hold infinities or NaN, so those give "0".
QString profileSharesText(double shares);

struct ProfileReadResult {
    std::optional<Holdings> holdings;        // set on success
    int record = 0;                          // 1..20: the record where reading failed; 0 = the file as a whole or its targets line
    QString problem;                         // what was wrong, user-facing; empty on success
    AssetTargets targets = std::nullopt;     // set when the records are followed by valid targets
};

// Reads all twenty records or none: on any problem the result holds no records.
// Each token is decoded on its own, as UTF-8 when it is valid UTF-8 and as
// Windows-1252 otherwise; tokens quoted in a problem show what does not
// print as escapes.
// Right after the records an "AssetTargets" line may follow; when it is
// malformed the whole file is refused. Any other text after the records is
// not read.
ProfileReadResult readProfile(QByteArrayView bytes);
