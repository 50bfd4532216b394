#pragma once

#include <QString>

// The window's caption: the program's name for a new form and, once a
// profile has been loaded or saved, the profile's file name before it, with
// the desktop's "[*]" mark for unsaved changes after the name.
QString windowCaption(const QString &profilePath);
