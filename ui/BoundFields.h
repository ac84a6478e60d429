#pragma once

#include "StoreError.h"
#include "View.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <vector>

class QDateEdit;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace lapora {

class Prompter;

// An input field with the focus, and the grids' background before the focus first colours them.
inline const QColor kFocusColour(128, 255, 255);
inline const QColor kLightYellow(255, 255, 192);
void setBaseColour(QWidget* w, const QColor& c);

// Whether a key typed into a field goes through; a refused key is dropped with a beep.
using KeyRule = std::function<bool(const QKeyEvent&)>;
namespace keyrules {
// Digits, "-", "," and Backspace; keys that type no character (moves, Tab, Enter, shortcuts) pass.
bool amount(const QKeyEvent& e);
// Digits and Backspace; every other typed character, control characters included, is refused. Keys that
// type nothing (moves, Delete, Tab) pass.
bool digitsOnly(const QKeyEvent& e);
} // namespace keyrules

// What a refused store step was doing: its message names it.
enum class Refused { Save, Delete, NewRow, Move };
// The program's message for a refused store step; the typed data stay on screen for another try.
void showWriteRefused(Prompter& p, Refused what = Refused::Save);

// A store failure that the fields' write has shown already: callers only stop.
class ReportedStoreError : public StoreError {
public:
    ReportedStoreError() : StoreError("reported") {}
};

// The edit fields of a window bound to the current row of one view. Loading shows the row and remembers what
// was shown; a field whose text differs from that is an edit of the row. Edits are written when the view is
// about to move (a refused write is shown and stops the move, so nothing typed is lost), or on demand.
// Focus colour, select-all, limits for typing and key rules are per control.
class BoundFields : public QObject {
    Q_OBJECT
public:
    enum class Kind {
        Text,   // empty text is stored as Null
        Number, // text that is no number is stored as Null
        Time,   // "hh:mm" in a masked line edit; a changed time gets whole minutes
    };

    BoundFields(View& view, Prompter& prompter, QObject* parent = nullptr);
    ~BoundFields() override;
    // Stops following the view (before the controls go).
    void detach();

    void bind(QLineEdit* e, const QString& field, Kind kind = Kind::Text);
    void bind(QPlainTextEdit* e, const QString& field); // multi-line; CR LF line ends in the row
    void bind(QDateEdit* e, const QString& field);      // Null shows as today
    void bind(QLabel* l, const QString& field);         // shown only

    // Behaviours of a control, bound or not.
    void setLimit(QLineEdit* e, int chars); // typing stops and a paste is cut there; program texts are not
    void setFocusColour(QWidget* w);        // light cyan with the focus, the system's colour without
    void setSelectAllOnFocus(QLineEdit* e);
    void setSelectAllOnClick(QLineEdit* e);
    void setKeyRule(QWidget* w, KeyRule rule);

    void load(); // shows the view's current row (empty fields without one)
    bool loading() const { return loading_; }
    bool hasPendingEdits() const;
    using Changes = std::vector<std::pair<QString, Value>>;
    // Writes the edits, and the further field values given, into the current row in one update. StoreError
    // when the store refuses; the fields then keep their texts.
    void write(const Changes& also = {});
    // False, with the message for what the caller was doing shown, when the store refused.
    bool writePendingEdits(Refused what = Refused::Save);

    // What the fields' focus events do; the signals follow for the window's own reactions.
    void focusIn(QWidget* w);
    void focusOut(QWidget* w);
    // Whether the rule lets the key through; a refusal beeps.
    bool judgeKey(const KeyRule& rule, const QKeyEvent& e);

signals:
    void focusEntered(QWidget* w);
    void focusLeft(QWidget* w);

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    enum class Control { Line, Memo, Date, Label };
    struct Binding {
        QWidget* widget;
        QString field;
        Control control;
        Kind kind;
    };

    void add(QWidget* w, const QString& field, Control control, Kind kind);
    void watch(QWidget* w);
    void show(const Binding& b, const Value& v);
    void clear(const Binding& b);
    QString state(const Binding& b) const; // what the control shows, to compare with what was loaded
    Value value(const Binding& b) const;   // what the control shows, as the field's value
    bool badTime(const Binding& b) const;  // a time field holding something that is no time
    void onViewChanged(View::Change c);

    View& view_;
    Prompter& prompter_;
    std::vector<Binding> bindings_;
    std::map<QWidget*, QString> shown_;
    std::map<QWidget*, KeyRule> keyRules_;
    std::vector<QWidget*> coloured_;
    std::vector<QWidget*> selectAll_;
    std::vector<QWidget*> selectOnClick_;
    std::vector<QWidget*> watched_;
    std::int64_t loadedRow_ = -1;
    int subscription_ = 0;
    int beforeMove_ = 0;
    bool attached_ = false;
    bool loading_ = false;
};

} // namespace lapora
