// terminal.h: text the program prints on a terminal.
#pragma once

#include <QString>

// A line as it may go to a terminal: control characters, which could set its title
// or clear its screen, are written as \xNN instead.
inline QString TerminalSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code < 0xA0))
            safe += QStringLiteral("\\x%1").arg(int(code), 2, 16, QLatin1Char('0')).toUpper().replace(QLatin1String("\\X"), QLatin1String("\\x"));
        else
            safe += c;
    }
    return safe;
}
