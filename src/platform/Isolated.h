#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

// Runs work that reads untrusted input through a library we cannot make safe (libmdb on a
// damaged Access file) where its faults cannot reach the program: in a child process on Unix.
// The work's result comes back as bytes. nullopt when the work crashed, hung past `timeoutMs`
// or could not be started; `why` then says which. Elsewhere the work runs in the program.
// Setting `*cancelled` ends a long piece of work early (the child is killed within a tenth of
// a second), with nullopt.
std::optional<QByteArray> RunIsolated(const std::function<QByteArray()> &work, int timeoutMs,
                                      QString *why = nullptr,
                                      const std::atomic<bool> *cancelled = nullptr);

// Runs the program `program` with `arguments` and takes its answer from standard output (the
// answer's length in 8 bytes of the machine's order, then the answer), as RunIsolated takes the
// work's result: nullopt when it could not be started, crashed, ended
// with a status other than 0, or wrote nothing within `timeoutMs` (or was cancelled). The
// program starts afresh: nothing of this program's state, locks included, goes with it.
std::optional<QByteArray> RunIsolatedProgram(const QByteArray &program,
                                             const QList<QByteArray> &arguments, int timeoutMs,
                                             QString *why = nullptr,
                                             const std::atomic<bool> *cancelled = nullptr);
