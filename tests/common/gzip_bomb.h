#pragma once

// A gzip file that unpacks to gigabytes, written in a moment: one mebibyte
// of zero bytes is deflated once (a full flush makes each such block stand
// on its own) and its block repeated, the trailer's CRC combined from the
// blocks'. The unpacked content is never made or written.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <zlib.h>

#include <stdexcept>

namespace velmora::testing {

// Writes the gzip of `head` followed by zero bytes up to `mebibytes` MiB.
inline void writeGzipBomb(const QString& path, const QByteArray& head, qint64 mebibytes)
{
    constexpr qint64 kBlock = 1 << 20;
    const QByteArray first = head + QByteArray(int(kBlock - head.size()), '\0');
    const QByteArray zeros(int(kBlock), '\0');

    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    auto deflateBlock = [&z](const QByteArray& in, int flush) {
        QByteArray out(int(in.size() + 1024), Qt::Uninitialized);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        z.avail_in = uInt(in.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        deflate(&z, flush);
        out.resize(out.size() - int(z.avail_out));
        return out;
    };
    const QByteArray firstDeflated = deflateBlock(first, Z_FULL_FLUSH);
    const QByteArray zerosDeflated = deflateBlock(zeros, Z_FULL_FLUSH);
    const QByteArray end = deflateBlock(QByteArray(), Z_FINISH);
    deflateEnd(&z);

    const uLong zerosCrc = crc32(0, reinterpret_cast<const Bytef*>(zeros.constData()), uInt(zeros.size()));
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(first.constData()), uInt(first.size()));
    for (qint64 i = 1; i < mebibytes; ++i)
        crc = crc32_combine64(crc, zerosCrc, kBlock);

    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the bomb");
    out.write(QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03", 10));
    out.write(firstDeflated);
    for (qint64 i = 1; i < mebibytes; ++i)
        out.write(zerosDeflated);
    out.write(end);
    const quint32 trailer[2] = {quint32(crc), quint32(quint64(mebibytes * kBlock) & 0xffffffffu)};
    out.write(reinterpret_cast<const char*>(trailer), sizeof trailer); // little-endian, as gzip wants
}

} // namespace velmora::testing
