#pragma once

#include "profilerecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The profile text: twenty records of four "Label\tvalue" lines. Spaces in
// names and symbols are stored as "#", empty text as "NULL", the class as an
// integer with -1 for none. Written as UTF-8 with "\n" line ends.
QByteArray writeProfile(const ProfileRecords &records);

// Shortest text that reads back as the same number: 100, 12.5, 1234567, 0.1.
// A profile cannot hold infinities or NaN, so those give "0".
QString profileSharesText(double shares);

struct ProfileReadResult {
    std::optional<ProfileRecords> records;   // set on success
    int record = 0;                          // 1..20: the record where reading failed; 0 = the file as a whole
    QString problem;                         // what was wrong, user-facing; empty on success
};

// Reads all twenty records or none: on any problem the result holds no records.
// Each token is decoded on its own, as UTF-8 when it is valid UTF-8 and as
// Windows-1252 otherwise; tokens quoted in a problem show what does not
// print as escapes.
ProfileReadResult readProfile(QByteArrayView bytes);
