#pragma once

#include <QByteArray>
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
