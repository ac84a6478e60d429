#pragma once

#include <QString>

#include <optional>

namespace lapora {

enum class Icon { None, Question, Exclamation, Error, Information };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };
enum class Pointer { Arrow, Hourglass };

// The system's message box, input box, beep and mouse pointer. Tests replace it with a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) = 0;
    // The typed text, or nullopt on Cancel.
    virtual std::optional<QString> input(const QString& title, const QString& prompt,
                                         const QString& defaultText = QString()) = 0;
    virtual void beep() = 0;
    virtual void pointer(Pointer p) = 0;
};

} // namespace lapora
