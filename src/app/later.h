#pragma once

#include <QMetaObject>
#include <QObject>

#include <utility>

// Defers a handler to the event loop of `context`'s thread, so that it never
// runs inside the emitting call; dropped when `context` is gone by then.
template<typename F> void later(QObject *context, F &&f)
{
    QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::QueuedConnection);
}
