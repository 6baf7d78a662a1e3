#include "db/Schema.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <utility>

namespace db::schema {

QStringList createStatements() {
    return QStringList{
               // Auto-numbers only grow, so the row added last is the last one in key order.
               QStringLiteral(
                   "CREATE TABLE 住所録 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 氏名 TEXT, "
                   "索引インデックス TEXT, 住所 TEXT, 郵便番号 TEXT, 誕生日 TEXT, "
                   "Ｅメール1 TEXT, Ｅメール2 TEXT, その他 TEXT)"),
               // A deleted entry takes its numbers with it; otherwise they would keep matching
               // TELNOsach and its callers would show as known with no name.
               QStringLiteral("CREATE TABLE 電話番号 (TelID INTEGER PRIMARY KEY AUTOINCREMENT, "
                              "IDsub INTEGER REFERENCES 住所録(ID) ON DELETE CASCADE, 電番 TEXT, "
                              "摘要 TEXT, 電番キー TEXT)"),
               QStringLiteral(
                   "CREATE TABLE 着信履歴 (履歴ID INTEGER PRIMARY KEY, 日時 TEXT, 時間 TEXT, "
                   "電番 TEXT, 氏名 TEXT, 住所 TEXT, 郵便番号 TEXT, 着信者ID INTEGER, "
                   "メモ TEXT, 迷惑理由 TEXT)"),
               // Every call looks its number up and every history window of an entry its calls.
               QStringLiteral("CREATE INDEX 電話番号_電番 ON 電話番号(電番)"),
               QStringLiteral("CREATE INDEX 電話番号_IDsub ON 電話番号(IDsub)"),
               QStringLiteral("CREATE INDEX 着信履歴_着信者ID ON 着信履歴(着信者ID)"),
           } +
           numberKeyStatements() + historyCountStatements() + nuisanceMarkStatements() +
           historySortStatements() +
           QStringList{QStringLiteral("INSERT INTO 着信履歴件数 (件数) VALUES (0)")};
}

QStringList historyCountStatements() {
    // The number of calls, kept by the file itself as rows come and go: the history window
    // sizes its list from it instead of counting the whole table. Compared with the file's
    // own on every opening, like the number key's.
    return QStringList{
        QStringLiteral("CREATE TABLE 着信履歴件数 (件数 INTEGER NOT NULL)"),
        QStringLiteral("CREATE TRIGGER 着信履歴件数_追加 AFTER INSERT ON 着信履歴 "
                       "BEGIN UPDATE 着信履歴件数 SET 件数 = 件数 + 1; END"),
        QStringLiteral("CREATE TRIGGER 着信履歴件数_削除 AFTER DELETE ON 着信履歴 "
                       "BEGIN UPDATE 着信履歴件数 SET 件数 = 件数 - 1; END"),
    };
}

const QList<HistoryListColumn> &historyListColumns() {
    // The time of day as the call path writes it ("H:mm:ss"): an hour of one digit gets its
    // "0", so that 9:05 comes before 10:00.
    static const QString timeKey =
        QStringLiteral("CASE WHEN substr(時間, 2, 1) = ':' THEN '0' || 時間 "
                       "ELSE coalesce(時間, '') END");
    static const QList<HistoryListColumn> columns = {
        {QStringLiteral("日時"), true, QStringLiteral("coalesce(日時, '') || ' ' || ") + timeKey},
        {QStringLiteral("時間"), true, timeKey},
        {QStringLiteral("電番"), true, QStringLiteral("coalesce(電番, '')")},
        {QStringLiteral("氏名"), true, QStringLiteral("coalesce(氏名, '')")},
        {QStringLiteral("住所"), true, QStringLiteral("coalesce(住所, '')")},
        {QStringLiteral("メモ"), true, QStringLiteral("coalesce(メモ, '')")},
        {QStringLiteral("履歴ID"), false, QString()},
        {QStringLiteral("郵便番号"), false, QString()},
        // Shown after the hidden ones: the window's columns 0-5 keep their places in Rireki.ini.
        {QStringLiteral("迷惑理由"), true, QString()},
    };
    return columns;
}

QStringList historySortStatements() {
    // An index holds the 履歴ID of each row after its key: equal keys come in 履歴ID order.
    QStringList statements;
    for (const HistoryListColumn &c : historyListColumns())
        if (!c.sortKey.isEmpty())
            statements << QStringLiteral("CREATE INDEX %1 ON 着信履歴(%2)")
                              .arg(historySortIndexName(c.field), c.sortKey);
    return statements;
}

QString historySortIndexName(const QString &field) {
    return QStringLiteral("着信履歴_並び_") + field;
}

QString historyCountSql() {
    return QStringLiteral("SELECT 件数 FROM 着信履歴件数");
}

QString numberKeySql(const QString &operand) {
    // Separators people type between digits: ASCII, full-width and the dashes and long marks
    // an input method offers for a hyphen. Anything else stays and leaves the number keyless.
    static const char16_t *const separators[] = {
        u" ",      u"-",      u"(",      u")",      u".",      u"/",      u"\u3000", u"\uFF0D",
        u"\u2010", u"\u2011", u"\u2012", u"\u2013", u"\u2014", u"\u2015", u"\u2212", u"\u30FC",
        u"\uFF70", u"\u30FB", u"\uFF08", u"\uFF09", u"\uFF0E", u"\uFF0F",
    };
    QList<std::pair<QString, QString>> replaced;
    for (const char16_t *separator : separators)
        replaced.append({QString::fromUtf16(separator), QString()});
    replaced.append({QStringLiteral("\uFF0B"), QStringLiteral("+")});
    for (int digit = 0; digit < 10; ++digit)
        replaced.append({QString(QChar(0xFF10 + digit)), QString(QChar(u'0' + digit))});
    // SQLite's parser holds every open parenthesis of an expression: a few replace() calls
    // are nested in each of a row of subqueries instead of all in one expression.
    const int perLevel = 6;
    QString s = QStringLiteral("(SELECT %1 AS s)").arg(operand);
    for (qsizetype i = 0; i < replaced.size(); i += perLevel) {
        QString expression = QStringLiteral("s");
        for (qsizetype j = i; j < std::min(replaced.size(), i + perLevel); ++j)
            expression = QStringLiteral("replace(%1, '%2', '%3')")
                             .arg(expression, replaced[j].first, replaced[j].second);
        s = QStringLiteral("(SELECT %1 AS s FROM %2)").arg(expression, s);
    }
    // Read once: without the OFFSET SQLite would copy the whole chain into every use of s
    // below, and a lookup would work it out dozens of times.
    s = QStringLiteral("(SELECT s FROM %1 LIMIT 1 OFFSET 0)").arg(s);
    // s: the text without separators; d: its digits after a leading "+" (p); n: what follows
    // a country code 81, without a trunk "0" written after it ("+81 (0)3 …").
    return QStringLiteral(
               "(SELECT CASE WHEN d = '' OR trim(d, '0123456789') <> '' THEN NULL "
               "WHEN substr(d, 1, 2) = '81' AND n <> '' AND (p OR length(n) IN (9, 10)) "
               "THEN '0' || n ELSE d END "
               "FROM (SELECT d, p, CASE WHEN substr(d, 3, 1) = '0' THEN substr(d, 4) "
               "ELSE substr(d, 3) END AS n "
               "FROM (SELECT substr(s, 1, 1) = '+' AS p, "
               "CASE WHEN substr(s, 1, 1) = '+' THEN substr(s, 2) ELSE s END AS d FROM %1)))")
        .arg(s);
}

QStringList markKeyUpdates(const QString &rows) {
    // In three steps, because SQLite's parser holds every open parenthesis and the number key's
    // expression is as deep as it allows: the text without its "*" and leading "+", its number
    // key, then the "*" (and "+") of a prefix, so a prefix never equals a whole number's key.
    const QString star = QStringLiteral("substr(電番, -1) IN ('*', '\uFF0A')");
    const QString plus = QStringLiteral("substr(電番, 1, 1) IN ('+', '\uFF0B')");
    return {
        QStringLiteral("UPDATE 迷惑電話 SET 電番キー = CASE WHEN %1 THEN CASE WHEN %2 THEN "
                       "substr(電番, 2, length(電番) - 2) ELSE substr(電番, 1, length(電番) - 1) "
                       "END ELSE 電番 END WHERE %3")
            .arg(star, plus, rows),
        QStringLiteral("UPDATE 迷惑電話 SET 電番キー = %1 WHERE %2")
            .arg(numberKeySql(QStringLiteral("電番キー")), rows),
        // Only a prefix row is written a third time (an import of many numbers pays for each).
        QStringLiteral("UPDATE 迷惑電話 SET 電番キー = CASE WHEN %2 THEN CASE WHEN length(電番) = "
                       "2 THEN '+*' ELSE '+' || 電番キー || '*' END ELSE 電番キー || '*' END "
                       "WHERE (%3) AND %1")
            .arg(star, plus, rows),
    };
}

QStringList nuisanceMarkStatements() {
    static const QStringList statements = [] {
        const QString steps =
            markKeyUpdates(QStringLiteral("ID = NEW.ID")).join(QStringLiteral("; "));
        // Kept by the file like the phonebook's number key, so a row any tool writes matches.
        return QStringList{
            QStringLiteral("CREATE TABLE 迷惑電話 (ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "電番 TEXT, 電番キー TEXT, 理由 TEXT, 登録日 TEXT)"),
            QStringLiteral("CREATE TRIGGER 迷惑電話_電番キー_追加 AFTER INSERT ON 迷惑電話 "
                           "BEGIN %1; END")
                .arg(steps),
            QStringLiteral("CREATE TRIGGER 迷惑電話_電番キー_変更 AFTER UPDATE OF 電番 ON 迷惑電話 "
                           "BEGIN %1; END")
                .arg(steps),
            QStringLiteral("CREATE INDEX 迷惑電話_電番キー ON 迷惑電話(電番キー)"),
        };
    }();
    return statements;
}

QString nuisanceReasonColumnSql() {
    return QStringLiteral("ALTER TABLE 着信履歴 ADD COLUMN 迷惑理由 TEXT");
}

QString markLookupSql() {
    QStringList keys;
    for (int i = 0; i < MarkKeysAsked; ++i)
        keys << QStringLiteral(":K%1").arg(i);
    return QStringLiteral("SELECT 電番キー, 理由 FROM 迷惑電話 WHERE 電番キー IN (%1) ORDER BY ID")
        .arg(keys.join(QStringLiteral(", ")));
}

QStringList numberKeyStatements() {
    // Compared with the file's own on every opening: made once.
    static const QStringList statements = [] {
        const QString key = numberKeySql(QStringLiteral("NEW.電番"));
        // The key is written by these triggers alone: an insert that brings a key of its own (a
        // row copied from another file) gets it worked out again. The update trigger follows 電番
        // only, so its own write of 電番キー never sets it off again. Every connection reads
        // these texts when it opens the file, so each holds the expression once.
        return QStringList{
            QStringLiteral("CREATE TRIGGER 電話番号_電番キー_追加 AFTER INSERT ON 電話番号 "
                           "BEGIN UPDATE 電話番号 SET 電番キー = %1 WHERE TelID = NEW.TelID; END")
                .arg(key),
            QStringLiteral("CREATE TRIGGER 電話番号_電番キー_変更 AFTER UPDATE OF 電番 ON 電話番号 "
                           "BEGIN UPDATE 電話番号 SET 電番キー = %1 WHERE TelID = NEW.TelID; END")
                .arg(key),
            QStringLiteral("CREATE INDEX 電話番号_電番キー ON 電話番号(電番キー)"),
        };
    }();
    return statements;
}

QString numberKeyFillSql() {
    return QStringLiteral("UPDATE 電話番号 SET 電番キー = %1 WHERE 電番キー IS NOT %1")
        .arg(numberKeySql(QStringLiteral("電番")));
}

QString exactStoredQuery(const QString &name) {
    if (name == QStringLiteral("TELNOsach") || name == QStringLiteral("Q_電番既存確認"))
        return QStringLiteral("SELECT * FROM 電話番号 WHERE 電番 = :TelNo ORDER BY TelID");
    return storedQuery(name);
}

QStringList tableNames() {
    return {QStringLiteral("住所録"), QStringLiteral("電話番号"), QStringLiteral("着信履歴")};
}

QStringList fieldNames(const QString &table) {
    static const QHash<QString, QStringList> fields = {
        {QStringLiteral("住所録"),
         {QStringLiteral("ID"), QStringLiteral("氏名"), QStringLiteral("索引インデックス"),
          QStringLiteral("住所"), QStringLiteral("郵便番号"), QStringLiteral("誕生日"),
          QStringLiteral("Ｅメール1"), QStringLiteral("Ｅメール2"), QStringLiteral("その他")}},
        {QStringLiteral("電話番号"),
         {QStringLiteral("TelID"), QStringLiteral("IDsub"), QStringLiteral("電番"),
          QStringLiteral("摘要")}},
        {QStringLiteral("着信履歴"),
         {QStringLiteral("履歴ID"), QStringLiteral("日時"), QStringLiteral("時間"),
          QStringLiteral("電番"), QStringLiteral("氏名"), QStringLiteral("住所"),
          QStringLiteral("郵便番号"), QStringLiteral("着信者ID"), QStringLiteral("メモ")}},
    };
    return fields.value(table);
}

QString keyField(const QString &table) {
    const QStringList fields = fieldNames(table);
    return fields.isEmpty() ? QString() : fields.first();
}

namespace {

// The number rows of :TelNo in TelID order: those that hold it as sent when there are any,
// else those whose digits are its digits. Both arms find their rows through an index.
QString numberLookupSql() {
    return QStringLiteral("SELECT * FROM 電話番号 WHERE 電番 = :TelNo UNION ALL "
                          "SELECT * FROM 電話番号 WHERE 電番キー = %1 AND NOT EXISTS "
                          "(SELECT 1 FROM 電話番号 WHERE 電番 = :TelNo) ORDER BY TelID")
        .arg(numberKeySql(QStringLiteral(":TelNo")));
}

} // namespace

QString storedQuery(const QString &name) {
    static const QHash<QString, QString> queries = {
        {QStringLiteral("TELNOsach"), numberLookupSql()},
        {QStringLiteral("VALsach"), QStringLiteral("SELECT * FROM 住所録 WHERE ID = :IDs")},
        {QStringLiteral("Q_履歴の最大"),
         QStringLiteral("SELECT MAX(履歴ID) AS 履歴IDの最大 FROM 着信履歴")},
        {QStringLiteral("Q_履歴メモ"),
         QStringLiteral("SELECT * FROM 着信履歴 WHERE 履歴ID = :MemoID")},
        {QStringLiteral("Q_電番既存確認"), numberLookupSql()},
        {QStringLiteral("Q_履歴削除"), QStringLiteral("DELETE FROM 着信履歴")},
    };
    return queries.value(name);
}

QString storedQueryTable(const QString &name) {
    if (name == QStringLiteral("Q_履歴メモ"))
        return QStringLiteral("着信履歴");
    return QString();
}

QString historyListSql(bool withNuisanceReason) {
    return QStringLiteral(
               "SELECT 着信履歴.日時, 着信履歴.時間, 着信履歴.電番, 着信履歴.氏名, 着信履歴.住所, "
               "着信履歴.メモ, 着信履歴.履歴ID, 着信履歴.郵便番号, %1\r\n"
               "FROM 着信履歴\r\n"
               "ORDER BY 着信履歴.履歴ID DESC;\r\n")
        .arg(withNuisanceReason ? QStringLiteral("着信履歴.迷惑理由")
                                : QStringLiteral("NULL AS 迷惑理由"));
}

QString phonebookEntriesSql() {
    return QStringLiteral("SELECT 住所録.氏名, 住所録.ID FROM 住所録;");
}

QString phonebookEntriesByLetterSql() {
    return QStringLiteral("SELECT 住所録.氏名, 住所録.ID, 住所録.索引インデックス From 住所録 "
                          "WHERE (((住所録.索引インデックス) Like :Letter));");
}

QString phonebookNumbersOfEntrySql() {
    return QStringLiteral("SELECT 電話番号.IDsub, 電話番号.TelID, 電話番号.電番, 電話番号.摘要 "
                          "From 電話番号 Where (((電話番号.IDsub) =:ID)) "
                          "ORDER BY 電話番号.TelID;");
}

QString phonebookHistoryOfEntrySql() {
    return QStringLiteral("SELECT 日時 || char(13) || 時間 AS 着信日時, 着信履歴.メモ "
                          "From 着信履歴 Where (((着信履歴.着信者ID) = :ID)) "
                          "ORDER BY 着信履歴.履歴ID DESC;");
}

} // namespace db::schema
