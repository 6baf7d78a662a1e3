#include "platform/Isolated.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

qint64 nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// What a child wrote on the pipe until it ended, was cancelled or ran out of time, and how it
// ended. Closes `fd` and reaps the child.
struct Collected {
    QByteArray received;
    int status = 0;
    bool timedOut = false, stopped = false;
};

Collected Collect(pid_t pid, int fd, int timeoutMs, const std::atomic<bool> *cancelled) {
    Collected c;
    const qint64 deadline = nowMs() + timeoutMs;
    // A wait that can be cancelled looks at the flag this often.
    constexpr qint64 cancelCheckMs = 100;
    for (;;) {
        if (cancelled && cancelled->load(std::memory_order_relaxed)) {
            c.stopped = true;
            break;
        }
        const qint64 left = deadline - nowMs();
        if (left <= 0) {
            c.timedOut = true;
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, int(cancelled ? qMin(left, cancelCheckMs) : left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0)
            continue; // the deadline (or the flag) is looked at again above
        char buffer[65536];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the child has ended (or closed its end)
        c.received.append(buffer, n);
    }
    ::close(fd);
    if (c.timedOut || c.stopped)
        ::kill(pid, SIGKILL);
    while (::waitpid(pid, &c.status, 0) < 0 && errno == EINTR) {
    }
    return c;
}

// The failure of a child that did not answer, in words; empty when it ended well.
QString Failure(const Collected &c, int timeoutMs) {
    if (c.stopped)
        return QStringLiteral("cancelled");
    if (c.timedOut)
        return QStringLiteral("no answer within %1 ms").arg(timeoutMs);
    if (WIFSIGNALED(c.status))
        return QStringLiteral("crashed (signal %1)").arg(WTERMSIG(c.status));
    if (!WIFEXITED(c.status) || WEXITSTATUS(c.status) != 0)
        return QStringLiteral("failed (status %1)").arg(WEXITSTATUS(c.status));
    return QString();
}

std::optional<QByteArray> Failed(QString *why, const QString &text) {
    if (why)
        *why = text;
    return std::nullopt;
}

// A pipe and a child process at its write end. nullopt (with `why`) when either cannot be made.
struct Child {
    pid_t pid;
    int readFd, writeFd;
};

std::optional<Child> ForkWithPipe(QString *why) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        Failed(why, QStringLiteral("no pipe: ") + QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        Failed(why,
               QStringLiteral("no child process: ") + QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    return Child{pid, fds[0], fds[1]};
}

// Waits for the child's answer: its length (8 bytes), then the answer itself.
std::optional<QByteArray> TakeAnswer(const Child &child, int timeoutMs, QString *why,
                                     const std::atomic<bool> *cancelled) {
    ::close(child.writeFd);
    Collected c = Collect(child.pid, child.readFd, timeoutMs, cancelled);
    if (const QString failure = Failure(c, timeoutMs); !failure.isEmpty())
        return Failed(why, failure);
    quint64 size = 0;
    if (c.received.size() < qsizetype(sizeof size))
        return Failed(why, QStringLiteral("gave no answer"));
    std::memcpy(&size, c.received.constData(), sizeof size);
    if (size != quint64(c.received.size()) - sizeof size)
        return Failed(why, QStringLiteral("gave a cut answer"));
    // In place: a whole table's rows can be a large answer.
    c.received.remove(0, sizeof size);
    return std::move(c.received);
}

} // namespace

std::optional<QByteArray> RunIsolatedProgram(const QByteArray &program,
                                             const QList<QByteArray> &arguments, int timeoutMs,
                                             QString *why, const std::atomic<bool> *cancelled) {
    // Everything the child needs is made before fork(): between fork() and exec() it only
    // calls what is safe in a copy of a program with threads (no memory is allocated).
    QList<QByteArray> words = {program};
    words << arguments;
    std::vector<char *> argv;
    for (QByteArray &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    if (::access(argv[0], X_OK) != 0)
        return Failed(why, QStringLiteral("cannot start %1").arg(QString::fromLocal8Bit(program)));
    const std::optional<Child> child = ForkWithPipe(why);
    if (!child)
        return std::nullopt;
    if (child->pid == 0) {
        // The program's complaints about a damaged file are not the user's.
        const int devnull = ::open("/dev/null", O_RDWR);
        if (::dup2(child->writeFd, STDOUT_FILENO) < 0)
            ::_exit(126);
        if (devnull >= 0) {
            ::dup2(devnull, STDIN_FILENO);
            ::dup2(devnull, STDERR_FILENO);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return TakeAnswer(*child, timeoutMs, why, cancelled);
}
