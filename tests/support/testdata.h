#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// A game tree for the release builder: relative path -> content.
using Tree = QMap<QString, QByteArray>;

// Incompressible, repeatable bytes (a linear congruential sequence).
inline QByteArray pseudoRandom(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        bytes[i] = static_cast<char>(seed >> 24);
    }
    return bytes;
}
