#include "db/Schema.h"

#include <QHash>

namespace db::schema {

QStringList createStatements() {
    return {
        // Auto-numbers only grow, so the row added last is the last one in key order.
        QStringLiteral("CREATE TABLE 住所録 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 氏名 TEXT, "
                       "索引インデックス TEXT, 住所 TEXT, 郵便番号 TEXT, 誕生日 TEXT, "
                       "Ｅメール1 TEXT, Ｅメール2 TEXT, その他 TEXT)"),
        // A deleted entry takes its numbers with it; otherwise they would keep matching
        // TELNOsach and its callers would show as known with no name.
        QStringLiteral("CREATE TABLE 電話番号 (TelID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "IDsub INTEGER REFERENCES 住所録(ID) ON DELETE CASCADE, 電番 TEXT, "
                       "摘要 TEXT)"),
        QStringLiteral("CREATE TABLE 着信履歴 (履歴ID INTEGER PRIMARY KEY, 日時 TEXT, 時間 TEXT, "
                       "電番 TEXT, 氏名 TEXT, 住所 TEXT, 郵便番号 TEXT, 着信者ID INTEGER, "
                       "メモ TEXT)"),
        // Every call looks its number up and every history window of an entry its calls.
        QStringLiteral("CREATE INDEX 電話番号_電番 ON 電話番号(電番)"),
        QStringLiteral("CREATE INDEX 電話番号_IDsub ON 電話番号(IDsub)"),
        QStringLiteral("CREATE INDEX 着信履歴_着信者ID ON 着信履歴(着信者ID)"),
    };
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

QString storedQuery(const QString &name) {
    static const QHash<QString, QString> queries = {
        {QStringLiteral("TELNOsach"),
         QStringLiteral("SELECT * FROM 電話番号 WHERE 電番 = :TelNo ORDER BY TelID")},
        {QStringLiteral("VALsach"), QStringLiteral("SELECT * FROM 住所録 WHERE ID = :IDs")},
        {QStringLiteral("Q_履歴の最大"),
         QStringLiteral("SELECT MAX(履歴ID) AS 履歴IDの最大 FROM 着信履歴")},
        {QStringLiteral("Q_履歴メモ"),
         QStringLiteral("SELECT * FROM 着信履歴 WHERE 履歴ID = :MemoID")},
        {QStringLiteral("Q_電番既存確認"),
         QStringLiteral("SELECT * FROM 電話番号 WHERE 電番 = :TelNo ORDER BY TelID")},
        {QStringLiteral("Q_履歴削除"), QStringLiteral("DELETE FROM 着信履歴")},
    };
    return queries.value(name);
}

QString storedQueryTable(const QString &name) {
    if (name == QStringLiteral("Q_履歴メモ"))
        return QStringLiteral("着信履歴");
    return QString();
}

QString historyListSql() {
    return QStringLiteral(
        "SELECT 着信履歴.日時, 着信履歴.時間, 着信履歴.電番, 着信履歴.氏名, 着信履歴.住所, "
        "着信履歴.メモ, 着信履歴.履歴ID, 着信履歴.郵便番号\r\n"
        "FROM 着信履歴\r\n"
        "ORDER BY 着信履歴.履歴ID DESC;\r\n");
}

QString phonebookEntriesSql() {
    return QStringLiteral("SELECT 住所録.氏名, 住所録.ID FROM 住所録;");
}

QString phonebookEntriesByLetterSql() {
    return QStringLiteral("SELECT 住所録.氏名, 住所録.ID, 住所録.索引インデックス From 住所録 "
                          "WHERE (((住所録.索引インデックス) Like :Letter));");
}

QString phonebookNumbersSql() {
    return QStringLiteral("SELECT 電話番号.TelID, 電話番号.IDsub, 電話番号.電番, 電話番号.摘要\r\n"
                          "FROM 電話番号;\r\n");
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
