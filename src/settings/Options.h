#pragma once

#include <QString>
#include <QVariant>

// Options.ini in AppFolder: the settings the original program never had, apart from
// Kolvane.ini so that file keeps the 21 lines other versions read. A QSettings INI file in
// UTF-8 with one group per subject ("Network", "Warnings" …); every change is written at once,
// through a temporary file renamed over the old one, readable by the user alone.
namespace Options {

QString fileName();

// The value of `key` in `group`, or `fallback` when it is missing (or the file is unreadable).
QVariant value(const QString &group, const QString &key, const QVariant &fallback = {});
bool boolValue(const QString &group, const QString &key, bool fallback);

// Stores `value` under `key` in `group`. False, with the file as it was, when it could not be
// written (a full disk, a read-only folder).
bool setValue(const QString &group, const QString &key, const QVariant &value);

} // namespace Options
