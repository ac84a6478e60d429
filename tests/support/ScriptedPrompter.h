#pragma once

#include "ModalHost.h"
#include "Prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace lapora::test {

// Plays a script of expected dialogs with their answers. A dialog that is not the next one expected (title,
// text, icon, buttons), or any dialog once the script is spent, fails the current test (ADD_FAILURE) and
// answers No / Cancel. Beeps and pointer changes are recorded.
class ScriptedPrompter : public Prompter {
public:
    // Expect a message box; answer it.
    ScriptedPrompter& expectMessage(const QString& title, const QString& text, Icon icon, Buttons buttons,
                                    Answer answer);
    // Expect an input box; answer with text, or nullopt for Cancel.
    ScriptedPrompter& expectInput(const QString& title, const QString& prompt, std::optional<QString> answer);

    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override;
    std::optional<QString> input(const QString& title, const QString& prompt,
                                 const QString& defaultText) override;
    void beep() override {
        ++beeps;
        events << QStringLiteral("beep");
    }
    void pointer(Pointer p) override {
        pointers.push_back(p);
        events << (p == Pointer::Arrow ? QStringLiteral("arrow") : QStringLiteral("hourglass"));
    }

    bool done() const { return script_.empty(); } // every expected dialog came
    QStringList asked;                            // "title | text" of every dialog, in order
    int beeps = 0;
    std::vector<Pointer> pointers;
    // Beeps, pointers and dialogs interleaved, in order: "beep", "arrow", "hourglass", "question <title>",
    // "exclamation <title>", "error <title>", "message <title>", "input <title>".
    QStringList events;
    // Where the house rules were broken: a question or a warning without a beep since the previous dialog, a
    // message box while the hourglass is up. Empty when every dialog came as it should.
    QStringList dialogOrderFaults() const;

private:
    struct Step {
        bool isInput;
        QString title, text;
        Icon icon;
        Buttons buttons;
        Answer answer;
        std::optional<QString> inputAnswer;
    };
    std::deque<Step> script_;
};

// Hands a modal window to the handler registered for its objectName, which fills, clicks and closes it.
// A window without a handler fails the test and is closed at once.
class TestModalHost : public ModalHost {
public:
    void on(const QString& objectName, std::function<void(QWidget*)> handler) {
        handlers_[objectName] = handler;
    }
    void showModal(QWidget* window) override;
    QStringList shown; // objectNames, in order

private:
    std::map<QString, std::function<void(QWidget*)>> handlers_;
};

} // namespace lapora::test
