#include "platform/Isolated.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const char *data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

qint64 nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

std::optional<QByteArray> RunIsolated(const std::function<QByteArray()> &work, int timeoutMs,
                                      QString *why, const std::atomic<bool> *cancelled) {
    const auto fail = [&](const QString &text) -> std::optional<QByteArray> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return fail(QStringLiteral("no pipe: ") + QString::fromLocal8Bit(std::strerror(errno)));
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return fail(QStringLiteral("no child process: ") +
                    QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (pid == 0) {
        // The child: the library's complaints about a damaged file are not the user's.
        ::close(fds[0]);
        const int devnull = ::open("/dev/null", O_WRONLY);
        if (devnull >= 0)
            ::dup2(devnull, STDERR_FILENO);
        const QByteArray result = work();
        const quint64 size = quint64(result.size());
        const bool ok = writeAll(fds[1], reinterpret_cast<const char *>(&size), sizeof size) &&
                        writeAll(fds[1], result.constData(), result.size());
        ::_exit(ok ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray received;
    const qint64 deadline = nowMs() + timeoutMs;
    bool timedOut = false, stopped = false;
    // A wait that can be cancelled looks at the flag this often.
    constexpr qint64 cancelCheckMs = 100;
    for (;;) {
        if (cancelled && cancelled->load(std::memory_order_relaxed)) {
            stopped = true;
            break;
        }
        const qint64 left = deadline - nowMs();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd p{fds[0], POLLIN, 0};
        const int r = ::poll(&p, 1, int(cancelled ? qMin(left, cancelCheckMs) : left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0)
            continue; // the deadline (or the flag) is looked at again above
        char buffer[65536];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the child has ended (or closed its end)
        received.append(buffer, n);
    }
    ::close(fds[0]);
    if (timedOut || stopped)
        ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (stopped)
        return fail(QStringLiteral("cancelled"));
    if (timedOut)
        return fail(QStringLiteral("no answer within %1 ms").arg(timeoutMs));
    if (WIFSIGNALED(status))
        return fail(QStringLiteral("crashed (signal %1)").arg(WTERMSIG(status)));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return fail(QStringLiteral("failed (status %1)").arg(WEXITSTATUS(status)));
    quint64 size = 0;
    if (received.size() < qsizetype(sizeof size))
        return fail(QStringLiteral("gave no answer"));
    std::memcpy(&size, received.constData(), sizeof size);
    if (size != quint64(received.size()) - sizeof size)
        return fail(QStringLiteral("gave a cut answer"));
    // In place: a whole table's rows can be a large answer.
    received.remove(0, sizeof size);
    return received;
}
