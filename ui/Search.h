#pragma once

#include "Prompter.h"

#include <QString>

#include <optional>

namespace lapora {

// A window's search question: the arrow while it is asked, the hourglass after. Nothing typed, or Cancel:
// the arrow again and no text.
inline std::optional<QString> askSearchText(Prompter& p, const QString& title, const QString& prompt) {
    p.pointer(Pointer::Arrow);
    const QString answer = p.input(title, prompt, QString()).value_or(QString());
    p.pointer(Pointer::Hourglass);
    if (answer.isEmpty()) {
        p.pointer(Pointer::Arrow);
        return std::nullopt;
    }
    return answer;
}

// The criteria of the first row whose field begins with the text: [Field] like "text*". Wildcards typed in
// the text stay wildcards; a quote is doubled, so it is searched for as it stands.
inline QString beginsWithCriteria(const QString& field, const QString& text) {
    QString pattern = text;
    pattern.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('[') + field + QStringLiteral("] like \"") + pattern + QStringLiteral("*\"");
}

} // namespace lapora
