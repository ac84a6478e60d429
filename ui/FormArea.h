#pragma once

#include "Fonts.h"

#include <QLabel>
#include <QMainWindow>
#include <QRect>
#include <QString>
#include <QWidget>

namespace lapora {

// The central widget ("Area") a window's controls sit on at their design places, in the design font.
inline QWidget* makeFormArea(QMainWindow* window) {
    auto* area = new QWidget(window);
    area->setObjectName(QStringLiteral("Area"));
    area->setFont(designFont());
    window->setCentralWidget(area);
    return area;
}

// A label at its design place on the area; named where a name is given.
inline QLabel* placeLabel(QWidget* area, const QString& text, const QRect& r,
                          const QString& name = QString()) {
    auto* l = new QLabel(text, area);
    l->setGeometry(r);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

} // namespace lapora
