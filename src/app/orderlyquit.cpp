#include "app/orderlyquit.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The self-pipe: the signal handler only writes a byte; the GUI thread reads
// it through a socket notifier and runs the quit as an ordinary event.
int s_signalPipe[2] = {-1, -1};

void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // A full pipe already holds a pending quit.
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

OrderlyQuit *OrderlyQuit::instance()
{
    static OrderlyQuit *quit = nullptr;
    if (!quit)
        quit = new OrderlyQuit(QCoreApplication::instance());
    return quit;
}

OrderlyQuit::OrderlyQuit(QObject *parent)
    : QObject(parent)
{ }

OrderlyQuit::~OrderlyQuit() = default;

void OrderlyQuit::addStopHook(const std::function<void()> &hook)
{
    m_hooks.append(hook);
}

void OrderlyQuit::setFinalStep(const std::function<void()> &step)
{
    m_finalStep = step;
}

bool OrderlyQuit::watchTerminationSignals()
{
    if (m_signalNotifier)
        return true;
    if (s_signalPipe[0] < 0 && ::pipe2(s_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning() << "SIGTERM and SIGINT cannot be watched:" << strerror(errno);
        return false;
    }
    m_signalNotifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        ssize_t got = 0;
        int signalNumber = 0;
        while ((got = ::read(s_signalPipe[0], bytes, sizeof bytes)) > 0)
            signalNumber = bytes[got - 1];
        qInfo() << "Signal" << signalNumber << "received; quitting";
        request();
    });

    struct sigaction action
    {
    };
    action.sa_handler = &onTerminationSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return true;
}

void OrderlyQuit::request()
{
    if (m_queued)
        return;
    m_queued = true;
    QMetaObject::invokeMethod(this, &OrderlyQuit::run, Qt::QueuedConnection);
}

void OrderlyQuit::run()
{
    m_quitting = true;
    qInfo() << "Close the Application!";
    for (const auto &hook : qAsConst(m_hooks))
        hook();
    if (m_finalStep)
        m_finalStep();
    emit stopped();
    QCoreApplication::quit();
}
