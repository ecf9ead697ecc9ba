#include "wire.h"

#include <QJsonDocument>

#include <zlib.h>

namespace Wire {

QByteArray gzip(const QByteArray &data)
{
    QByteArray out;
    if (data.isEmpty())
        return out;
    z_stream stream {};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    char chunk[16384];
    int result = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof(chunk);
        result = deflate(&stream, Z_FINISH);
        if (result == Z_STREAM_ERROR)
            break;
        out.append(chunk, static_cast<int>(sizeof(chunk) - stream.avail_out));
    } while (result != Z_STREAM_END);
    deflateEnd(&stream);
    return out;
}

bool gunzip(const QByteArray &data, QByteArray *out, qint64 limit)
{
    out->clear();
    if (data.isEmpty())
        return false;
    z_stream stream {};
    if (inflateInit2(&stream, 47) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    char chunk[32768];
    int result = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef *>(chunk);
        stream.avail_out = sizeof(chunk);
        result = inflate(&stream, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END)
            break;
        out->append(chunk, static_cast<int>(sizeof(chunk) - stream.avail_out));
        if (out->size() > limit) {
            result = Z_MEM_ERROR;
            break;
        }
        // No progress with input left means a truncated or garbled stream.
        if (result == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)
            break;
    } while (result != Z_STREAM_END);
    inflateEnd(&stream);
    if (result != Z_STREAM_END) {
        out->clear();
        return false;
    }
    return true;
}

QByteArray swapEach2Bytes(QByteArray data)
{
    const char mask = static_cast<char>(0xA9);
    for (int i = 0; i + 1 < data.size(); i += 2) {
        const char a = data[i];
        data[i] = static_cast<char>(data[i + 1] ^ mask);
        data[i + 1] = static_cast<char>(a ^ mask);
    }
    return data;
}

bool fromBase64Strict(const QByteArray &text, QByteArray *out)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() % 4 != 0)
        return false;
    int padding = 0;
    for (int i = 0; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        const bool alphabet
            = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
        if (c == '=') {
            ++padding;
        } else if (!alphabet || padding > 0) {
            return false;
        }
    }
    if (padding > 2)
        return false;
    *out = QByteArray::fromBase64(trimmed);
    return true;
}

bool looksGzipped(const QByteArray &data)
{
    return data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0x1f
        && static_cast<unsigned char>(data[1]) == 0x8b;
}

QByteArray envelope(int code, const QString &msg, const QJsonObject &data)
{
    QJsonObject object;
    object.insert(QStringLiteral("code"), code);
    object.insert(QStringLiteral("msg"), msg);
    object.insert(QStringLiteral("data"), data);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray scramble(const QByteArray &indentedJson)
{
    return gzip(swapEach2Bytes(indentedJson));
}

bool unscramble(const QByteArray &body, QByteArray *out)
{
    QByteArray inflated;
    if (!gunzip(body, &inflated))
        return false;
    *out = swapEach2Bytes(inflated);
    return true;
}

} // namespace Wire
