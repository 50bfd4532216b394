#include "gzipbomb.h"

#include <QtEndian>

#include <zlib.h>

namespace {

constexpr uInt kMegabyte = 1024 * 1024;

// Deflates `input` into raw deflate data, ending with `flush`.
QByteArray deflateRaw(z_stream &stream, const QByteArray &input, int flush)
{
    QByteArray output(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(input.size()))) + 64,
                      Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    stream.avail_in = static_cast<uInt>(input.size());
    stream.next_out = reinterpret_cast<Bytef *>(output.data());
    stream.avail_out = static_cast<uInt>(output.size());
    if (deflate(&stream, flush) == Z_STREAM_ERROR || stream.avail_in != 0)
        qFatal("deflate failed");
    output.resize(output.size() - static_cast<qsizetype>(stream.avail_out));
    return output;
}

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

QByteArray gzipOfZeroMegabytes(int megabytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        qFatal("deflateInit2 failed");
    const QByteArray zeros(kMegabyte, '\0');
    // A full flush forgets all history, so the segment decodes the same
    // wherever it stands and can simply be repeated.
    const QByteArray segment = deflateRaw(stream, zeros, Z_FULL_FLUSH);
    const QByteArray ending = deflateRaw(stream, QByteArray(), Z_FINISH);
    deflateEnd(&stream);

    const uLong segmentCrc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(zeros.constData()),
                                   kMegabyte);
    uLong crc = crc32(0, nullptr, 0);
    for (int i = 0; i < megabytes; ++i)
        crc = crc32_combine(crc, segmentCrc, kMegabyte);

    // Magic, deflate, no flags, no time, no extra flags, unknown system.
    QByteArray gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    gzip.reserve(gzip.size() + segment.size() * megabytes + ending.size() + 8);
    for (int i = 0; i < megabytes; ++i)
        gzip += segment;
    gzip += ending;
    gzip += littleEndian32(static_cast<quint32>(crc));
    gzip += littleEndian32(static_cast<quint32>(static_cast<quint64>(megabytes) * kMegabyte));
    return gzip;
}
