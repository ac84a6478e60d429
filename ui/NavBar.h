#pragma once

#include <QFrame>
#include <QString>

#include <functional>

namespace lapora {

class DataGrid;
class StoreError;
class View;

// The navigation bar under a grid: first, previous, the caption, next, last. The grid follows the view's
// move; a move the store refuses goes to the failure handler.
class NavBar : public QFrame {
    Q_OBJECT
public:
    enum Step { First = -2, Previous = -1, Next = 1, Last = 2 };
    NavBar(View& view, DataGrid* grid, const QString& caption, QWidget* parent);
    void setFailureHandler(std::function<void(const StoreError&)> f) { failed_ = std::move(f); }
    void navigate(int step);

private:
    View& view_;
    DataGrid* grid_;
    std::function<void(const StoreError&)> failed_;
};

} // namespace lapora
