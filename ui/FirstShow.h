#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

namespace lapora {

// Calls `f` once, from the event loop right after the window's first show: the window is on screen before
// its opening checks ask anything. A window whose activation may also be called directly checks for that
// in `f`.
inline void onFirstShow(QWidget* window, std::function<void()> f) {
    class Watch : public QObject {
    public:
        Watch(QWidget* w, std::function<void()> f) : QObject(w), f_(std::move(f)) {
            w->installEventFilter(this);
        }
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::Show && o == parent()) {
                o->removeEventFilter(this);
                QTimer::singleShot(0, parent(), std::move(f_));
                deleteLater();
            }
            return false;
        }

    private:
        std::function<void()> f_;
    };
    new Watch(window, std::move(f));
}

} // namespace lapora
