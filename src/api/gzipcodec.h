#pragma once

#include <QByteArray>

// The byte transforms of scrambled requests and replies: a pair swap with a
// mask, and gzip. Free functions so that they can be used (and fuzzed)
// without any network object.

// Swaps every byte pair and masks both bytes with 0xA9, in place; an odd last
// byte stays as it is. Applying it twice restores the input.
void swapEach2Bytes(QByteArray &bytes);

// gzip (deflate, 15-bit window, gzip header and trailer, default level).
// Empty input gives empty output.
QByteArray compressGzip(const QByteArray &bytes);

// The largest output uncompressGzip() produces by default. Server replies are
// a few kilobytes; 64 MiB leaves ample room while a decompression bomb (a
// tiny body that inflates to gigabytes) cannot exhaust memory.
constexpr qint64 kMaxInflatedBytes = 64 * 1024 * 1024;

// Inflates a gzip or zlib stream (header detected automatically). Returns the
// whole output only when the stream reached its proper end; an incomplete or
// damaged stream, or one inflating past `maxOutput` bytes, gives an empty
// result (with a warning in the log for the latter two).
QByteArray uncompressGzip(const QByteArray &bytes, qint64 maxOutput = kMaxInflatedBytes);
