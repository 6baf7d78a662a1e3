// Puts a small sample phonebook into DIR/Kolvane.mdb for the demo, so the simulated TA's
// known callers show a name and an address. Leaves a phonebook that has entries alone.
//
//   kolvane-sample-phonebook DIR

#include "db/Database.h"
#include "db/Phonebook.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {
struct Sample {
    const char *name, *index, *address, *zip, *number, *remark;
};
const Sample Samples[] = {
    {"山田 太郎", "ﾔ", "千葉県柏市旭町１－２－３", "277-0852", "0471234567", "自宅"},
    {"株式会社コルベーン", "ｺ", "東京都千代田区丸の内２－４－１", "100-0005", "03-1234-5678", ""},
    {"佐藤 花子", "ｻ", "大阪府大阪市北区梅田１－１－１", "530-0001", "0661234567", "携帯"},
};
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kolvane-sample-phonebook DIR\n");
        return 2;
    }
    db::Database database(QDir(QString::fromLocal8Bit(argv[1])).filePath("Kolvane.mdb"));
    if (!database.isOpen()) {
        std::fprintf(stderr, "kolvane-sample-phonebook: not a Kolvane database\n");
        return 1;
    }
    db::RowSet entries = database.openTable(QStringLiteral("住所録"));
    if (!entries.isEmpty())
        return 0;
    for (const Sample &s : Samples) {
        db::PhonebookEntry entry;
        entry.name = QString::fromUtf8(s.name);
        entry.indexLetter = QString::fromUtf8(s.index);
        entry.address = QString::fromUtf8(s.address);
        entry.zip = QString::fromUtf8(s.zip);
        const std::optional<qint32> id = db::AddPhonebookEntry(database, entry);
        if (!id || !db::AddPhonebookNumber(database, *id, QString::fromUtf8(s.number),
                                           QString::fromUtf8(s.remark)))
            return 1;
    }
    std::printf("sample phonebook: %d entries\n", int(sizeof Samples / sizeof *Samples));
    return 0;
}
