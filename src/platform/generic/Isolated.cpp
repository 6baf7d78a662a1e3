#include "platform/Isolated.h"

#include <QProcess>
#include <cstring>

std::optional<QByteArray> RunIsolatedProgram(const QByteArray &program,
                                             const QList<QByteArray> &arguments, int timeoutMs,
                                             QString *why, const std::atomic<bool> *) {
    QProcess process;
    QStringList args;
    for (const QByteArray &a : arguments)
        args << QString::fromLocal8Bit(a);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QString::fromLocal8Bit(program), args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        if (why)
            *why = QStringLiteral("no answer within %1 ms").arg(timeoutMs);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (why)
            *why = QStringLiteral("failed (status %1)").arg(process.exitCode());
        return std::nullopt;
    }
    QByteArray answer = process.readAllStandardOutput();
    quint64 size = 0;
    if (answer.size() < qsizetype(sizeof size) ||
        (std::memcpy(&size, answer.constData(), sizeof size),
         size != quint64(answer.size()) - sizeof size)) {
        if (why)
            *why = QStringLiteral("gave a cut answer");
        return std::nullopt;
    }
    answer.remove(0, sizeof size);
    return answer;
}
