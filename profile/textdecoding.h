#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Profiles are written in UTF-8. Older ones hold names in Windows-1252, the
// code page they were written in, and a file edited by hand can mix both, so
// each token is decoded on its own.

// The text when the bytes are well-formed UTF-8; nothing when they are not
// (stray continuation bytes, cut sequences, overlong forms, surrogates and
// code points past U+10FFFF all fail).
std::optional<QString> decodeUtf8(QByteArrayView bytes);

// Every byte has a character. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control character of the same
// number, as Windows itself decodes them.
QString decodeWindows1252(QByteArrayView bytes);

// UTF-8 when the token is valid UTF-8, otherwise Windows-1252.
QString decodeProfileToken(QByteArrayView token);
