#pragma once

#include <QAction>
#include <QObject>
#include <QString>
#include <QWidget>

namespace lapora {

// Adds a command to a menu or a menu bar: its caption (UTF-8, with its & key), the objectName tests and the
// window find it by, and the window's method it runs. The action belongs to the menu it is added to.
template <class Window>
QAction* addCommand(QWidget* menu, const char* caption, const char* name, Window* window,
                    void (Window::*command)()) {
    auto* a = new QAction(QString::fromUtf8(caption), menu);
    a->setObjectName(QString::fromLatin1(name));
    menu->addAction(a);
    QObject::connect(a, &QAction::triggered, window, command);
    return a;
}

} // namespace lapora
