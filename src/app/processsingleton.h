#pragma once

#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <utility>

// The slot of one process-wide object: built on first request from any
// thread, never destroyed before the process ends (objects on other threads
// may still use it during exit).
//
// A published object is read without a lock; the first requests take the
// slot's own mutex and check again, so exactly one thread builds the object.
// Both members are constant-initialised, so a slot at namespace scope is
// usable before any dynamic initialiser runs and is never torn down.
template<typename T> class ProcessSingleton
{
public:
    constexpr ProcessSingleton() = default;
    ProcessSingleton(const ProcessSingleton &) = delete;
    ProcessSingleton &operator=(const ProcessSingleton &) = delete;

    // The object, built by `make` (which returns a new T) on the first call.
    template<typename Make> T *get(Make &&make)
    {
        return get(std::forward<Make>(make), [](T *) {});
    }

    // As above; `published` runs once, still under the lock, right after the
    // object became visible to every thread (to install it as a hook, say).
    template<typename Make, typename Published> T *get(Make &&make, Published &&published)
    {
        T *object = m_object.load(std::memory_order_acquire);
        if (object)
            return object;
        QMutexLocker lock(&m_mutex);
        object = m_object.load(std::memory_order_relaxed);
        if (!object) {
            object = make();
            m_object.store(object, std::memory_order_release);
            published(object);
        }
        return object;
    }

    // The object if it was built, else null; never builds it.
    T *peek() const { return m_object.load(std::memory_order_acquire); }

    // Empties the slot and hands back what it held (tests rebuild objects).
    T *take()
    {
        QMutexLocker lock(&m_mutex);
        return m_object.exchange(nullptr);
    }

private:
    std::atomic<T *> m_object {nullptr};
    QBasicMutex m_mutex;
};
