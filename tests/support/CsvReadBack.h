#pragma once

// A CSV file read back by another program than ours: Python's csv module, as a spreadsheet
// importer reads it (UTF-8 with its byte order mark, RFC 4180 quoting). Tests skip when there
// is no python3.

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <optional>

inline QString PythonProgram() {
    return QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// Every record of the file as Python's csv.reader gives it; empty when Python failed (its
// message then goes to `error`).
inline std::optional<QList<QStringList>> ReadCsvWithPython(const QString &path, QString *error) {
    static const char script[] = "import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                                 "    rows = list(csv.reader(f, strict=True))\n"
                                 "sys.stdout.write(json.dumps(rows))\n";
    QProcess p;
    p.start(PythonProgram(), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QString::fromLocal8Bit(p.readAllStandardError());
        return std::nullopt;
    }
    QList<QStringList> rows;
    const QJsonArray records = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    for (const QJsonValue &record : records) {
        QStringList fields;
        for (const QJsonValue &field : record.toArray())
            fields.append(field.toString());
        rows.append(fields);
    }
    return rows;
}
