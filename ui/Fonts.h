#pragma once

#include <QFont>
#include <QStringList>

namespace lapora {

// The face and size the windows' controls were designed in.
inline QFont designFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

// The windows name the fonts they were designed with; on Linux the metric-compatible Liberation fonts stand
// in, so captions keep their design widths. The windows' small default face runs narrower than the Arial
// metrics of Liberation Sans (a caption such as "Cég-vállalkozó neve:" lost its colon at its design width):
// its stand-in is the narrow face, metric-compatible with Arial Narrow.
inline void installFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

} // namespace lapora
