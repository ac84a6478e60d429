#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace lapora {

// Window layouts are given in twips (1440 to the logical inch); the screen's logical DPI turns them into
// pixels, so a layout keeps its proportions on any screen.
inline int twipsToPixels(int twips, Qt::Orientation o = Qt::Horizontal) {
    double dpi = 96.0;
    if (const QScreen* s = QGuiApplication::primaryScreen())
        dpi = o == Qt::Horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
    return qRound(twips * dpi / 1440.0);
}

inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top, Qt::Vertical), twipsToPixels(width),
                 twipsToPixels(height, Qt::Vertical));
}

} // namespace lapora
