#include "ScriptedPrompter.h"

#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

namespace lapora::test {

namespace {

const char* iconName(Icon i) {
    switch (i) {
    case Icon::None:
        return "None";
    case Icon::Question:
        return "Question";
    case Icon::Exclamation:
        return "Exclamation";
    case Icon::Error:
        return "Error";
    case Icon::Information:
        return "Information";
    }
    return "?";
}

const char* buttonsName(Buttons b) {
    return b == Buttons::YesNo ? "YesNo" : "Ok";
}

std::string describeMessage(const QString& title, const QString& text, Icon icon, Buttons buttons) {
    return "message box \"" + title.toStdString() + "\" / \"" + text.toStdString() + "\" [" + iconName(icon) +
           ", " + buttonsName(buttons) + "]";
}

std::string describeInput(const QString& title, const QString& prompt) {
    return "input box \"" + title.toStdString() + "\" / \"" + prompt.toStdString() + "\"";
}

} // namespace

ScriptedPrompter& ScriptedPrompter::expectMessage(const QString& title, const QString& text, Icon icon,
                                                  Buttons buttons, Answer answer) {
    script_.push_back(Step{false, title, text, icon, buttons, answer, std::nullopt});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectInput(const QString& title, const QString& prompt,
                                                std::optional<QString> answer) {
    script_.push_back(Step{true, title, prompt, Icon::None, Buttons::Ok, Answer::Ok, std::move(answer)});
    return *this;
}

Answer ScriptedPrompter::message(const QString& title, const QString& text, Icon icon, Buttons buttons) {
    asked << title + QStringLiteral(" | ") + text;
    const QString kind = icon == Icon::Question      ? QStringLiteral("question")
                         : icon == Icon::Exclamation ? QStringLiteral("exclamation")
                         : icon == Icon::Error       ? QStringLiteral("error")
                                                     : QStringLiteral("message");
    events << kind + QLatin1Char(' ') + title;
    const std::string actual = describeMessage(title, text, icon, buttons);
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected " << actual << " (no more dialogs expected)";
        return Answer::No;
    }
    const Step step = script_.front();
    script_.pop_front();
    if (step.isInput) {
        ADD_FAILURE() << "expected " << describeInput(step.title, step.text) << "\n  but got " << actual;
        return Answer::No;
    }
    if (step.title != title || step.text != text || step.icon != icon || step.buttons != buttons) {
        ADD_FAILURE() << "expected " << describeMessage(step.title, step.text, step.icon, step.buttons)
                      << "\n  but got " << actual;
        return Answer::No;
    }
    return step.answer;
}

QStringList ScriptedPrompter::dialogOrderFaults() const {
    QStringList faults;
    bool beeped = false;
    bool arrow = true; // the pointer before anything set it
    for (const QString& e : events) {
        if (e == QLatin1String("beep")) {
            beeped = true;
        } else if (e == QLatin1String("arrow") || e == QLatin1String("hourglass")) {
            arrow = e == QLatin1String("arrow");
        } else {
            const bool box = !e.startsWith(QLatin1String("input "));
            const bool warns =
                e.startsWith(QLatin1String("question ")) || e.startsWith(QLatin1String("exclamation "));
            if (warns && !beeped)
                faults << QStringLiteral("no beep before ") + e;
            if (box && !arrow)
                faults << QStringLiteral("hourglass during ") + e;
            beeped = false;
        }
    }
    return faults;
}

std::optional<QString> ScriptedPrompter::input(const QString& title, const QString& prompt, const QString&) {
    asked << title + QStringLiteral(" | ") + prompt;
    events << QStringLiteral("input ") + title;
    const std::string actual = describeInput(title, prompt);
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected " << actual << " (no more dialogs expected)";
        return std::nullopt;
    }
    const Step step = script_.front();
    script_.pop_front();
    if (!step.isInput) {
        ADD_FAILURE() << "expected " << describeMessage(step.title, step.text, step.icon, step.buttons)
                      << "\n  but got " << actual;
        return std::nullopt;
    }
    if (step.title != title || step.text != prompt) {
        ADD_FAILURE() << "expected " << describeInput(step.title, step.text) << "\n  but got " << actual;
        return std::nullopt;
    }
    return step.inputAnswer;
}

void TestModalHost::showModal(QWidget* window) {
    if (!window) {
        ADD_FAILURE() << "showModal called without a window";
        return;
    }
    const QString name = window->objectName();
    shown << name;
    const auto it = handlers_.find(name);
    if (it == handlers_.end()) {
        ADD_FAILURE() << "no handler for modal window \"" << name.toStdString() << "\"";
        window->close();
        return;
    }
    // The handler may delete the window (a delete-on-close window it closes).
    QPointer<QWidget> guard(window);
    const auto handler = it->second; // a handler may register others while it runs
    handler(window);
    if (guard && guard->isVisible())
        guard->close();
}

} // namespace lapora::test
