#pragma once

#include "exchange/Exchange.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <QVector>
#include <optional>

namespace db {
class Database;
}

namespace exchange {

// Writes every phonebook entry with its numbers to `path` as vCard 3.0 (UTF-8). The file is
// written whole or not at all.
ExportReport ExportPhonebookVCard(const db::Database &database, const QString &path,
                                  Wording wording = Wording::English);

// Adds the cards of the vCard file `path` (3.0, 4.0 or 2.1; UTF-8 or Shift_JIS) to the
// phonebook, in one transaction for the whole file: every readable card goes in, or, when the
// database refuses a write, none. A number already in the phonebook (by NumberKey) is reported
// and not added again; a card whose every number is already there under its own name (or,
// without numbers, whose name is already there) is not added at all.
ImportReport ImportPhonebookVCard(const db::Database &database, const QString &path,
                                  Wording wording = Wording::English);

// --- the format itself, without a database ---

struct VCardNumber {
    QString number; // as the card writes it
    QString kind;   // 摘要: 自宅, 携帯, Ｆａｘ, 勤務先, a label of the card, or empty
};

// One card in the phonebook's terms: the fields of 住所録 and the numbers of 電話番号.
struct VCardEntry {
    QString name;        // 氏名
    QString indexLetter; // 索引インデックス
    QString address;     // 住所
    QString zip;         // 郵便番号
    QString birthday;    // 誕生日 as the phonebook stores it (see BirthdayOfVCard)
    QString mail1, mail2;
    QString other;                // その他
    QVector<VCardNumber> numbers; // every number, in the card's order
    bool operator==(const VCardEntry &o) const;
};
inline bool operator==(const VCardNumber &a, const VCardNumber &b) {
    return a.number == b.number && a.kind == b.kind;
}

// A card that could not be read, or that was refused (a name or number with a control
// character, NUL included, which no phone number or name holds).
struct VCardFault {
    enum class Kind { Truncated, Empty, ControlCharacters };
    Kind kind = Kind::Truncated;
    int card = 0; // 1-based, in the file's order
    int line = 0; // the line of its BEGIN:VCARD
};

struct VCardFile {
    QVector<VCardEntry> entries;
    QVector<VCardFault> faults;
    int cards = 0; // BEGIN:VCARD lines seen
};

// Reads a vCard file card by card, from the start of `device`: only the card being read is held
// in memory, whatever the file's size. Lines end with CR LF, LF or CR; a byte order mark is
// dropped and UTF-16 read as such; each card is UTF-8 when it reads as UTF-8, else code page
// 932 (a property's CHARSET wins).
class VCardReader {
public:
    explicit VCardReader(QIODevice &device) : device_(device) {}
    // The next card, as an entry or a fault; nullopt after the last one.
    struct Card {
        std::optional<VCardEntry> entry;
        VCardFault fault; // when there is no entry
    };
    std::optional<Card> next();
    int cards() const { return cards_; }      // BEGIN:VCARD lines seen so far
    bool anyText() const { return anyText_; } // a line not blank seen so far
    bool readFailed() const { return readFailed_; }

private:
    struct Line {
        QByteArray text;
        int number = 0;
    };
    bool fill();
    std::optional<Line> physicalLine();
    std::optional<Line> contentLine();
    std::optional<Card> endOfCard();

    QIODevice &device_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool started_ = false;
    bool atEnd_ = false;
    bool afterCr_ = false;
    bool readFailed_ = false;
    std::optional<QStringDecoder> utf16_;
    std::optional<Line> peeked_;
    int lineNumber_ = 1;
    bool inCard_ = false;
    bool anyText_ = false;
    int cardLine_ = 0;
    int cards_ = 0;
    QVector<QByteArray> card_;
};

// Reads every card of a vCard file's bytes. Never fails: what cannot be read is a fault.
VCardFile ParseVCards(const QByteArray &bytes);
// The entries as a vCard 3.0 file: UTF-8, CR LF, lines folded at 75 octets.
QByteArray WriteVCards(const QVector<VCardEntry> &entries);

// The index letter of a reading or name: the half-width katakana of its first kana (voiced
// and small kana count as their plain letter: が → ｶ, っ → ﾂ); empty when it does not begin
// with kana, since the index offers kana letters only.
QString IndexLetterOf(const QString &reading);

// A vCard BDAY value (YYYY-MM-DD, YYYYMMDD, --MMDD, --MM-DD, a date with a time) as the
// phonebook stores a birthday: "YYYY/MM/DD", or "MM/DD" without a year. Other text is kept.
QString BirthdayOfVCard(const QString &value);
// A stored birthday as a BDAY value ("YYYY-MM-DD" or "--MMDD"); empty when the text is not a
// date the phonebook's forms give (it is then written as text).
QString VCardOfBirthday(const QString &stored);

// What a fault says, in the wording asked for.
QString FaultText(const VCardFault &fault, Wording wording);

} // namespace exchange
