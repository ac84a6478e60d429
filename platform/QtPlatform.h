#pragma once

#include "ModalHost.h"
#include "Prompter.h"

#include <memory>

class QMessageBox;
class QWidget;

namespace lapora {

// The box QtPrompter::message runs, and how its result reads; apart so they can be checked without running
// it.
std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const QString& title, const QString& text,
                                            Icon icon, Buttons buttons);
Answer answerOf(int clicked, Buttons buttons); // clicked: the QMessageBox::StandardButton exec() gave

// QMessageBox, QInputDialog, QApplication::beep and the override cursor.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* p) { parent_ = p; }
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& defaultText) override;
    void beep() override;
    void pointer(Pointer p) override;

private:
    QWidget* parent_;
    bool hourglass_ = false;
};

class QtModalHost : public ModalHost {
public:
    void showModal(QWidget* window) override; // QDialog::exec, or a local event loop for other windows
};

} // namespace lapora
