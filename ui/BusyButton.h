#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPalette>

namespace lapora {

// A command button of the import, staging and manual windows is green while its command runs and white when
// it has ended.
inline const QColor kBusyGreen(0, 255, 0);     // 65280
inline const QColor kIdleWhite(255, 255, 255); // 16777215

inline void setButtonColour(QAbstractButton* b, const QColor& c) {
    QPalette p = b->palette();
    p.setColor(QPalette::Button, c);
    b->setPalette(p);
    b->setAutoFillBackground(true);
}

// Green for the lifetime of the guard; white again however the command ends.
class BusyButton {
public:
    explicit BusyButton(QAbstractButton* b) : b_(b) {
        if (b_)
            setButtonColour(b_, kBusyGreen);
    }
    ~BusyButton() {
        if (b_)
            setButtonColour(b_, kIdleWhite);
    }
    BusyButton(const BusyButton&) = delete;
    BusyButton& operator=(const BusyButton&) = delete;

private:
    QAbstractButton* b_;
};

} // namespace lapora
