#pragma once

// Phonebook rows written the way the program writes them, for tests that need callers.

#include "db/Database.h"
#include "db/Phonebook.h"

#include <QtTest>

// A new 住所録 entry; address and postal code stay Null when empty. Returns its ID.
inline int addEntry(const db::Database &d, const QString &name, const QString &address = {},
                    const QString &zip = {}) {
    db::PhonebookEntry entry;
    entry.name = name;
    entry.address = address;
    entry.zip = zip;
    return db::AddPhonebookEntry(d, entry).value_or(0);
}

// A number of the entry; the remark (摘要) stays Null when empty.
inline void addNumber(const db::Database &d, int entry, const QString &number,
                      const QString &remark = {}) {
    QVERIFY(db::AddPhonebookNumber(d, entry, number, remark));
}
