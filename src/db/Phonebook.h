#pragma once

#include "db/Database.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace db {

// A phonebook entry as 住所録 stores it; an empty field is stored as Null.
struct PhonebookEntry {
    QString name;         // 氏名
    QString indexLetter;  // 索引インデックス
    QString address;      // 住所
    QString zip;          // 郵便番号
    QString birthday;     // 誕生日
    QString mail1, mail2; // Ｅメール1, Ｅメール2
    QString other;        // その他
};

// The one way a phonebook row is added: registration, the phonebook window, vCard import and
// the tools all write 住所録 and 電話番号 through these two.
//
// A new 住所録 row and its ID: the key of the row just stored, never "the last row" (another
// writer's). nullopt when the file is not open or refuses the row, with the reason in `whyNot`.
std::optional<qint32> AddPhonebookEntry(const Database &database, const PhonebookEntry &entry,
                                        QString *whyNot = nullptr);
// A new 電話番号 row owned by the entry: the number as written (Null for a null text: a row
// still to be typed in; an empty text is kept, and matches only as written) and its kind
// (摘要, Null when empty). Its TelID, or nullopt as for AddPhonebookEntry.
std::optional<qint32> AddPhonebookNumber(const Database &database, qint32 entryId,
                                         const QString &number, const QString &kind = {},
                                         QString *whyNot = nullptr);

} // namespace db

// The phonebook window's data without widgets: the entry cursor over 住所録, an entry's
// numbers in 電話番号, and the index letters.
namespace db::phonebook {

// The 46 index letters in the order of the index buttons: ｱ ... ﾜ, then ｦ and ﾝ.
QStringList IndexLetters();
// The kinds offered for a number (other text is accepted too).
QStringList NumberKinds();
// The fields of 住所録 the window's boxes edit (every field but ID).
QStringList EntryFields();

// The name stored for a caller registered without one, and how a window shows it.
QString NamelessName();
QString NamelessShown();
// A stored name as a window shows it: the nameless entry's name in Japanese.
QString ShownName(const QString &stored);

// The number value of an id shown as text: 0 for empty or non-numeric text.
qint32 IdOfText(const QString &text);

struct NumberRow {
    qint32 TelId = 0;
    QString Number; // 電番, empty for Null
    QString Kind;   // 摘要, empty for Null
};

// Every number of the entry in TelID order.
QVector<NumberRow> NumbersOfEntry(const Database &database, qint32 entryId);
// A new number row owned by the entry, with nothing else set; its TelID.
std::optional<qint32> CreateNumberRow(const Database &database, qint32 entryId);
// 電番 or 摘要 of the number row; false when the row is not there.
bool SetNumberField(const Database &database, qint32 telId, const QString &field,
                    const QString &text);
// Removes the number row; false when it is not there.
bool DeleteNumberRow(const Database &database, qint32 telId);

// The entry cursor: every 住所録 row in table order, with a current row or the positions
// before the first and after the last row. It reads and writes through the connection it is
// given, which must outlive it.
class EntryCursor {
public:
    explicit EntryCursor(const Database &database);

    bool onEntry() const;
    bool bof() const { return rows_.bof(); }
    bool eof() const { return rows_.eof(); }
    // The shown entry's ID; 0 when no entry is current.
    qint32 id() const;
    // A field of the shown entry; empty for Null or when no entry is current.
    QString field(const QString &name) const;
    QMap<QString, QString> fields() const;

    void moveFirst() { rows_.moveFirst(); }
    void moveLast() { rows_.moveLast(); }
    // One row on, unless already after the last row (from before the first: the first).
    void moveNext() { rows_.moveNext(); }
    void movePrevious() { rows_.movePrevious(); }
    // First row, then the entry with this ID; stays on the first row when it is gone.
    bool moveToId(qint32 id);

    // Entries in 住所録, and the shown entry's 1-based position (0 when none is current).
    int count() const;
    int position() const;

    // Writes the values that differ from the shown entry's row (empty text stores Null).
    // True when nothing needed writing or the row was written.
    bool writeChanges(const QMap<QString, QString> &values);
    // Stores a new entry with the non-empty values and makes it the shown entry.
    std::optional<qint32> storeNew(const QMap<QString, QString> &values);
    // Deletes the shown entry (its numbers go with it) and shows the first entry.
    bool deleteCurrent();

private:
    const Database &database_;
    RowSet rows_;
};

} // namespace db::phonebook
