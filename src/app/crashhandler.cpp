#include "app/crashhandler.h"

#include "app/appdir.h"
#include "app/logmanager.h"

#include <QDebug>
#include <QFile>
#include <QRegularExpression>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int FatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

// Set before the handlers are installed; the handler only reads them.
std::atomic<const char *> s_recordPath {nullptr};
std::atomic<bool> s_installed {false};
std::atomic<bool> s_handling {false};

// Lower-case hexadecimal without prefix; returns the length written.
size_t toHex(std::uint64_t value, char *out)
{
    char reversed[16];
    size_t length = 0;
    do {
        reversed[length++] = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (size_t i = 0; i < length; ++i)
        out[i] = reversed[length - 1 - i];
    return length;
}

void append(char *buffer, size_t &used, size_t capacity, const char *text, size_t length)
{
    if (used + length > capacity)
        length = capacity - used;
    std::memcpy(buffer + used, text, length);
    used += length;
}

void writeAll(int fd, const char *data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        length -= size_t(written);
    }
}

void onFatalSignal(int signalNumber, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    // A second fault while recording the first (or on another thread) goes
    // straight to the default action.
    if (!s_handling.exchange(true)) {
        char code[16];
        const size_t codeLength = toHex(std::uint64_t(signalNumber), code);
        char address[16];
        const auto low = std::uint64_t(std::uintptr_t(info ? info->si_addr : nullptr) & 0xFFFFFFFFu);
        const size_t addressLength = toHex(low, address);

        if (const char *path = s_recordPath.load()) {
            const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0) {
                char record[40];
                size_t used = 0;
                append(record, used, sizeof record, code, codeLength);
                append(record, used, sizeof record, " ", 1);
                append(record, used, sizeof record, address, addressLength);
                append(record, used, sizeof record, "\n", 1);
                writeAll(fd, record, used);
                ::close(fd);
            }
        }

        static const char prefix[] = "[crash] [FATAL]: Sorry, the program has crashed and needs to close.Error Code-";
        static const char middle[] = " , Error Message-";
        char line[160];
        size_t used = 0;
        append(line, used, sizeof line, prefix, sizeof prefix - 1);
        append(line, used, sizeof line, code, codeLength);
        append(line, used, sizeof line, middle, sizeof middle - 1);
        append(line, used, sizeof line, address, addressLength);
        append(line, used, sizeof line, "\n", 1);
        const int logFd = LogManager::crashDescriptor();
        if (logFd >= 0)
            writeAll(logFd, line, used);
        writeAll(STDERR_FILENO, line, used);
    }

    // SA_RESETHAND restored the default action; the signal is blocked while
    // this handler runs and ends the process as soon as it returns (a real
    // fault also repeats at the faulting instruction).
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
    errno = savedErrno;
}

} // namespace

QString CrashHandler::defaultRecordPath()
{
    return AppDir::filePath(QStringLiteral("crash.txt"));
}

void CrashHandler::install(const QString &recordPath)
{
    // Kept for the process's life: the handler may read it at any moment.
    const QByteArray encoded = QFile::encodeName(recordPath);
    char *copy = static_cast<char *>(std::malloc(size_t(encoded.size()) + 1));
    if (!copy)
        return;
    std::memcpy(copy, encoded.constData(), size_t(encoded.size()) + 1);
    s_recordPath.store(copy);

    if (s_installed.exchange(true))
        return;

    // A stack overflow leaves no room to run the handler on the thread's own stack.
    static char alternateStack[64 * 1024];
    stack_t stack {};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    if (::sigaltstack(&stack, nullptr) != 0)
        qWarning() << "The crash handler has no stack of its own";

    struct sigaction action
    {
    };
    action.sa_sigaction = &onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : FatalSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

CrashHandler::Record CrashHandler::readRecord(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "The crash record cannot be read:" << path << file.errorString();
        return {};
    }
    const QString text = QString::fromLatin1(file.read(64)).trimmed();
    static const QRegularExpression form(QStringLiteral("^([0-9a-f]{1,8}) ([0-9a-f]{1,8})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        qWarning() << "The crash record is damaged; ignored:" << path;
        return {};
    }
    return {match.captured(1), match.captured(2)};
}

bool CrashHandler::clearRecord(const QString &path)
{
    if (!QFile::exists(path) || QFile::remove(path))
        return true;
    qWarning() << "The crash record cannot be removed:" << path;
    return false;
}

QString CrashHandler::noticeText(const Record &record)
{
    return QStringLiteral("Sorry, the program has crashed and needs to close.Error Code-%1 , Error Message-%2")
        .arg(record.code, record.address);
}
