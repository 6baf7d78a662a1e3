#include "settings/HistoryLayoutFile.h"

#include "platform/AtomicFile.h"
#include "platform/LegacyText.h"

#include <QFile>
#include <QStringList>
#include <limits>
#include <optional>

namespace {

// The one place the layout reaches the disk: the program's atomic write, as for Kolvane.ini.
bool WriteLayoutBytes(const QString &path, const QByteArray &bytes) {
    return WriteFileAtomically(path, bytes);
}

std::optional<qint32> ReadNumber(const QString &line) {
    bool ok = false;
    const qlonglong value = line.trimmed().toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

std::optional<bool> ReadTruth(const QString &line) {
    const QString text = line.trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("#FALSE#"), Qt::CaseInsensitive) == 0)
        return false;
    // A number converts as any truth value does: non-zero is true.
    if (const auto n = ReadNumber(text))
        return *n != 0;
    return std::nullopt;
}

bool Parse(const QString &text, HistoryLayout &layout) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() < 11)
        return false;
    qint32 numbers[10];
    for (int i = 0; i < 10; ++i) {
        const auto n = ReadNumber(lines[i]);
        if (!n)
            return false;
        numbers[i] = *n;
    }
    const auto onTop = ReadTruth(lines[10]);
    if (!onTop)
        return false;
    // A negative width or size cannot have been written by the window: the file is damaged.
    for (int i : {0, 1, 2, 3, 4, 5, 8, 9})
        if (numbers[i] < 0)
            return false;
    for (int i = 0; i < HistoryLayout::ColumnCount; ++i)
        layout.ColumnWidth[i] = numbers[i];
    layout.Left = numbers[6];
    layout.Top = numbers[7];
    layout.Width = numbers[8];
    layout.Height = numbers[9];
    layout.HistoryOnTop = *onTop;
    return true;
}

} // namespace

bool HistoryLayout::operator==(const HistoryLayout &o) const {
    for (int i = 0; i < ColumnCount; ++i)
        if (ColumnWidth[i] != o.ColumnWidth[i])
            return false;
    return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height &&
           HistoryOnTop == o.HistoryOnTop;
}

bool ReadHistoryLayoutFile(const QString &path, HistoryLayout &layout) {
    layout = HistoryLayout();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    HistoryLayout read;
    if (!Parse(DecodeLegacyText(file.readAll()), read))
        return false;
    layout = read;
    return true;
}

QByteArray FormatHistoryLayoutFile(const HistoryLayout &layout) {
    QString text;
    const auto line = [&text](const QString &value) {
        text += value;
        text += QLatin1String("\r\n");
    };
    for (int i = 0; i < HistoryLayout::ColumnCount; ++i)
        line(QString::number(layout.ColumnWidth[i]));
    line(QString::number(layout.Left));
    line(QString::number(layout.Top));
    line(QString::number(layout.Width));
    line(QString::number(layout.Height));
    line(layout.HistoryOnTop ? QStringLiteral("True") : QStringLiteral("False"));
    return EncodeLegacyText(text);
}

bool WriteHistoryLayoutFile(const QString &path, const HistoryLayout &layout) {
    // A file that does not read may still hold what someone set by hand: it is kept beside as
    // Rireki.ini.damaged (the previous copy replaced), and nothing is written when that fails.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        HistoryLayout probe;
        if (!bytes.isEmpty() && !Parse(DecodeLegacyText(bytes), probe) &&
            !WriteLayoutBytes(path + QStringLiteral(".damaged"), bytes))
            return false;
    }
    return WriteLayoutBytes(path, FormatHistoryLayoutFile(layout));
}
