#include "NavBar.h"

#include "DataGrid.h"
#include "StoreError.h"
#include "View.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace lapora {

NavBar::NavBar(View& view, DataGrid* grid, const QString& caption, QWidget* parent)
    : QFrame(parent), view_(view), grid_(grid) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    auto button = [&](const char* text, const char* objectName, int step) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromLatin1(text));
        b->setObjectName(QString::fromLatin1(objectName));
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, step] { navigate(step); });
        row->addWidget(b);
    };
    button("|<", "First", First);
    button("<", "Previous", Previous);
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("Caption"));
    row->addWidget(label, 1);
    button(">", "Next", Next);
    button(">|", "Last", Last);
}

void NavBar::navigate(int step) {
    try {
        const int n = view_.recordCount();
        if (n >= 1) {
            if (step == First)
                view_.moveFirst();
            else if (step == Last)
                view_.moveLast();
            else if (step == Previous && view_.position() > 0)
                view_.movePrevious();
            else if (step == Next && view_.position() < n - 1)
                view_.moveNext();
        }
    } catch (const StoreError& e) {
        if (failed_)
            failed_(e);
    }
    if (grid_)
        grid_->syncToView();
}

} // namespace lapora
