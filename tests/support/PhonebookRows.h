#pragma once

// Phonebook rows written the way the program writes them, for tests that need callers.

#include "db/Database.h"

#include <QtTest>

// A new 住所録 entry; address and postal code stay Null when empty. Returns its ID.
inline int addEntry(const db::Database &d, const QString &name, const QString &address = {},
                    const QString &zip = {}) {
    db::RowSet t = d.openTable(QStringLiteral("住所録"));
    t.addNew();
    t.setField(QStringLiteral("氏名"), name);
    if (!address.isEmpty())
        t.setField(QStringLiteral("住所"), address);
    if (!zip.isEmpty())
        t.setField(QStringLiteral("郵便番号"), zip);
    t.update();
    t.moveLast();
    return t.field(QStringLiteral("ID")).toInt();
}

// A number of the entry; the remark (摘要) stays Null when empty.
inline void addNumber(const db::Database &d, int entry, const QString &number,
                      const QString &remark = {}) {
    db::RowSet t = d.openTable(QStringLiteral("電話番号"));
    t.addNew();
    t.setField(QStringLiteral("IDsub"), entry);
    t.setField(QStringLiteral("電番"), number);
    if (!remark.isEmpty())
        t.setField(QStringLiteral("摘要"), remark);
    QVERIFY(t.update());
}
