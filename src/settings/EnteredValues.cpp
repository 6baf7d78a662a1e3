#include "settings/EnteredValues.h"

#include "settings/Settings.h"

#include <cmath>
#include <limits>

namespace EnteredValues {

std::optional<qint16> LeadingNumber16(const QString &text) {
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    QString number;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        number += text[i++];
    const auto digits = [&] {
        int count = 0;
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            number += text[i++];
            ++count;
        }
        return count;
    };
    int mantissa = digits();
    if (i < n && text[i] == QLatin1Char('.')) {
        number += text[i++];
        mantissa += digits();
    }
    if (mantissa == 0)
        return qint16(0);
    // An exponent counts only when digits follow it.
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        const int mark = i;
        const int length = int(number.size());
        number += QLatin1Char('e');
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            number += text[i++];
        if (digits() == 0) {
            i = mark;
            number.truncate(length);
        }
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // Rounding in the default mode: to nearest, halves to even.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() ||
        rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(rounded);
}

void ApplyPortText(Settings &settings, const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('/'))) {
        // The description the list shows beside a device is not part of its path.
        const qsizetype description = trimmed.indexOf(QStringLiteral(" ("));
        settings.PortName = description < 0 ? trimmed : trimmed.left(description).trimmed();
        return;
    }
    if (const auto number = LeadingNumber16(text)) {
        settings.PortNumber = *number;
        settings.PortName.clear();
    }
}

QString PortText(const Settings &settings) {
    return settings.PortName.isEmpty() ? QString::number(settings.PortNumber) : settings.PortName;
}

QString DeviceEntry(const QString &path, const QString &description) {
    return description.isEmpty() ? path
                                 : path + QStringLiteral(" (") + description + QLatin1Char(')');
}

} // namespace EnteredValues
