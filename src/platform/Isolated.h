#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <optional>

// Runs a program that reads untrusted input through a library we cannot make safe (libmdb on
// a damaged Access file), where its faults cannot reach this program. It runs `program` with
// `arguments` and takes its answer from standard output: the answer's length in 8 bytes of the
// machine's order, then the answer. nullopt when it could not be started, crashed, ended with a
// status other than 0, gave a cut answer or none within `timeoutMs`; `why` then says which.
// Setting `*cancelled` ends it early (it is killed within a tenth of a second), with nullopt.
// The program starts afresh: nothing of this program's state, locks included, goes with it.
std::optional<QByteArray> RunIsolatedProgram(const QByteArray &program,
                                             const QList<QByteArray> &arguments, int timeoutMs,
                                             QString *why = nullptr,
                                             const std::atomic<bool> *cancelled = nullptr);
