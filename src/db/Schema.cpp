#include "db/Schema.h"

#include <QHash>

namespace db::schema {

QStringList createStatements() {
    return {
        QStringLiteral("CREATE TABLE 住所録 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 氏名 TEXT, "
                       "索引インデックス TEXT, 住所 TEXT, 郵便番号 TEXT, 誕生日 TEXT, "
                       "Ｅメール1 TEXT, Ｅメール2 TEXT, その他 TEXT)"),
        // A deleted entry takes its numbers with it, so its callers no longer count as known.
        QStringLiteral("CREATE TABLE 電話番号 (TelID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "IDsub INTEGER REFERENCES 住所録(ID) ON DELETE CASCADE, 電番 TEXT, "
                       "摘要 TEXT)"),
        QStringLiteral("CREATE TABLE 着信履歴 (履歴ID INTEGER PRIMARY KEY, 日時 TEXT, 時間 TEXT, "
                       "電番 TEXT, 氏名 TEXT, 住所 TEXT, 郵便番号 TEXT, 着信者ID INTEGER, "
                       "メモ TEXT)"),
        QStringLiteral("CREATE INDEX 電話番号_電番 ON 電話番号(電番)"),
        QStringLiteral("CREATE INDEX 電話番号_IDsub ON 電話番号(IDsub)"),
        QStringLiteral("CREATE INDEX 着信履歴_着信者ID ON 着信履歴(着信者ID)"),
    };
}

QStringList tableNames() {
    return {QStringLiteral("住所録"), QStringLiteral("電話番号"), QStringLiteral("着信履歴")};
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
         QStringLiteral("SELECT * FROM 電話番号 WHERE 電番 = :TelNo")},
        {QStringLiteral("Q_履歴削除"), QStringLiteral("DELETE FROM 着信履歴")},
    };
    return queries.value(name);
}

} // namespace db::schema
