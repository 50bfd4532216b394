#pragma once

#include <QByteArray>

// A gzip member that unpacks to `megabytes` MiB of zero bytes, built in a few
// milliseconds: one flushed deflate segment for a MiB of zeros, repeated.
// About a thousandth of the unpacked size.
QByteArray gzipOfZeroMegabytes(int megabytes);
