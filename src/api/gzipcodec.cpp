#include "api/gzipcodec.h"

#include <QDebug>

#include <zlib.h>

void swapEach2Bytes(QByteArray &bytes)
{
    const char mask = char(0xA9);
    const int pairs = bytes.size() / 2;
    char *data = bytes.data();
    for (int k = 0; k < pairs; ++k) {
        const int i = 2 * k;
        const char a = data[i];
        const char b = data[i + 1];
        data[i] = char(b ^ mask);
        data[i + 1] = char(a ^ mask);
    }
}

QByteArray compressGzip(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};

    z_stream stream {};
    // Window bits 31: a 15-bit window with a gzip header and trailer.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};

    QByteArray output;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    // The output does not depend on the chunk size; a large chunk just means
    // fewer calls.
    char chunk[16384];
    int status = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof(chunk);
        status = deflate(&stream, Z_FINISH);
        if (status == Z_STREAM_ERROR)
            break;
        output.append(chunk, int(sizeof(chunk) - stream.avail_out));
    } while (status != Z_STREAM_END);
    deflateEnd(&stream);
    return output;
}

QByteArray uncompressGzip(const QByteArray &bytes, qint64 maxOutput)
{
    if (bytes.isEmpty())
        return {};

    z_stream stream {};
    // Window bits 47: 15-bit window, gzip or zlib header detected automatically.
    if (inflateInit2(&stream, 47) != Z_OK)
        return {};

    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());

    QByteArray output;
    char chunk[32768];
    int status = Z_OK;
    bool tooLarge = false;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof(chunk);
        status = inflate(&stream, Z_SYNC_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break; // damaged data, or Z_BUF_ERROR: input ended before the stream did
        const int produced = int(sizeof(chunk) - stream.avail_out);
        if (output.size() + qint64(produced) > maxOutput) {
            tooLarge = true;
            break;
        }
        output.append(chunk, produced);
    }
    inflateEnd(&stream);

    if (tooLarge) {
        qWarning().noquote() << QStringLiteral("uncompressGzip: output exceeds %1 bytes, reply dropped").arg(maxOutput);
        return {};
    }
    if (status != Z_STREAM_END)
        return {};
    return output;
}
