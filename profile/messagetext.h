#pragma once

#include <QString>
#include <QStringView>

// Text from outside (a token of a file, a file name) made safe to show in a
// message: every character that does not print (control and format
// characters, line and paragraph separators, private-use and unassigned code
// points, broken surrogates) is written as an escape, \x01 for one of the
// first 256 code points, \u202e or \U0010ffff for the others. Everything else
// is shown as it is.
QString escapedForMessage(QStringView text);
