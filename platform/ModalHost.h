#pragma once

class QWidget;

namespace lapora {

// Shows a window modally and returns when it has closed. Qt: exec(); tests: a handler per objectName.
class ModalHost {
public:
    virtual ~ModalHost() = default;
    virtual void showModal(QWidget* window) = 0;
};

} // namespace lapora
