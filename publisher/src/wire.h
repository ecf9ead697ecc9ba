#pragma once

#include <QByteArray>
#include <QJsonObject>

// The wire forms shared with the launcher: gzip, the pair-swapping mask of the
// scrambled bodies, Base64 of the analytics posts and the reply envelope.
namespace Wire {

// gzip stream (15-bit window with gzip header) of `data`; empty input gives empty output.
QByteArray gzip(const QByteArray &data);

// Inflates a gzip or zlib stream. Returns false unless the stream reached its proper end,
// and never produces more than `limit` bytes (a small body must not inflate into gigabytes).
bool gunzip(const QByteArray &data, QByteArray *out, qint64 limit = 64 * 1024 * 1024);

// Swaps each pair of bytes and masks both with 0xA9; an odd last byte stays as it is.
// Applying it twice restores the input.
QByteArray swapEach2Bytes(QByteArray data);

// Strict standard Base64 (RFC 4648 alphabet with "=" padding, white space around it
// tolerated). Returns false for any other character or a wrong length.
bool fromBase64Strict(const QByteArray &text, QByteArray *out);

// True when `data` starts with the gzip magic bytes.
bool looksGzipped(const QByteArray &data);

// {"code": code, "msg": msg, "data": data} as compact JSON.
QByteArray envelope(int code, const QString &msg, const QJsonObject &data = QJsonObject());

// The scrambled form of a reply: gzip of the pair-swapped, masked indented JSON.
QByteArray scramble(const QByteArray &indentedJson);

// Undoes scramble(); false when the body is not a complete gzip stream.
bool unscramble(const QByteArray &body, QByteArray *out);

} // namespace Wire
