#include "BoundFields.h"

#include "Clock.h"
#include "Messages.h"
#include "NullSafe.h"
#include "Prompter.h"
#include "Regional.h"

#include <QApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QValidator>

#include <algorithm>

namespace lapora {

namespace {

// Limits what the user can put into a field: a paste is cut at the limit, as typing stops there. Texts set by
// the program are not cut (the field is then not "modified").
class MaxChars : public QValidator {
public:
    MaxChars(int n, QLineEdit* edit) : QValidator(edit), n_(n), edit_(edit), last_(edit->text().size()) {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { last_ = t.size(); });
    }
    State validate(QString& s, int& pos) const override {
        if (s.size() <= n_)
            return Acceptable;
        if (!edit_->isModified() || s.size() <= last_)
            return Invalid;
        // The user's insertion ends at the cursor: drop its tail beyond the room the field has.
        const int excess = s.size() - std::max(n_, last_);
        if (pos < excess)
            return Invalid;
        s.remove(pos - excess, excess);
        pos -= excess;
        return s.size() <= n_ ? Acceptable : Intermediate;
    }

private:
    int n_;
    QLineEdit* edit_;
    int last_;
};

QTime timeOf(const Value& v) {
    switch (v.type()) {
    case Value::Type::Time:
        return v.asTime();
    case Value::Type::DateTime:
        return v.asTime();
    case Value::Type::Text:
        return regional::parseTime(v.asText()).value_or(QTime());
    default:
        return QTime();
    }
}

bool contains(const std::vector<QWidget*>& list, QWidget* w) {
    return std::find(list.begin(), list.end(), w) != list.end();
}

} // namespace

void setBaseColour(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
}

namespace keyrules {

bool amount(const QKeyEvent& e) {
    if (e.key() == Qt::Key_Backspace)
        return true;
    const QString t = e.text();
    // Only typed characters are judged; moving, Tab, Enter and shortcuts are no amount keys.
    if (t.isEmpty() || (e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return true;
    const QChar c = t.at(0);
    if (c.unicode() < 0x20 || c.unicode() == 0x7f)
        return true;
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char(',');
}

bool digitsOnly(const QKeyEvent& e) {
    switch (e.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete: // deletes, types nothing
    case Qt::Key_Tab:    // moves the focus on
    case Qt::Key_Backtab:
        return true;
    default:
        break;
    }
    const QString t = e.text();
    if (t.isEmpty())
        return true;
    const QChar c = t.at(0);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') &&
           !(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

} // namespace keyrules

void showWriteRefused(Prompter& p, Refused what) {
    const QString* text = &msg::kIrasHiba;
    switch (what) {
    case Refused::Save:
        break;
    case Refused::Delete:
        text = &msg::kTorlesHiba;
        break;
    case Refused::NewRow:
        text = &msg::kUjSorHiba;
        break;
    case Refused::Move:
        text = &msg::kLepesHiba;
        break;
    }
    p.pointer(Pointer::Arrow);
    p.beep();
    p.message(msg::kFigyelem, *text, Icon::Error, Buttons::Ok);
}

BoundFields::BoundFields(View& view, Prompter& prompter, QObject* parent)
    : QObject(parent), view_(view), prompter_(prompter) {
    beforeMove_ = view_.addBeforeMove([this] {
        // A move must not leave the row while its edits are refused: the user sees why and the texts stay.
        try {
            write();
        } catch (const StoreError&) {
            showWriteRefused(prompter_, Refused::Move);
            throw ReportedStoreError();
        }
    });
    subscription_ = view_.subscribe([this](View::Change c) { onViewChanged(c); });
    attached_ = true;
}

BoundFields::~BoundFields() {
    detach();
}

void BoundFields::detach() {
    if (!attached_)
        return;
    attached_ = false;
    view_.removeBeforeMove(beforeMove_);
    view_.unsubscribe(subscription_);
}

// ---- what is bound ---------------------------------------------------------------------------------------

void BoundFields::add(QWidget* w, const QString& field, Control control, Kind kind) {
    bindings_.push_back({w, field, control, kind});
    watch(w);
}

void BoundFields::bind(QLineEdit* e, const QString& field, Kind kind) {
    add(e, field, Control::Line, kind);
}

void BoundFields::bind(QPlainTextEdit* e, const QString& field) {
    add(e, field, Control::Memo, Kind::Text);
}

void BoundFields::bind(QDateEdit* e, const QString& field) {
    add(e, field, Control::Date, Kind::Text);
}

void BoundFields::bind(QLabel* l, const QString& field) {
    add(l, field, Control::Label, Kind::Text);
}

void BoundFields::watch(QWidget* w) {
    if (contains(watched_, w))
        return;
    watched_.push_back(w);
    w->installEventFilter(this);
}

void BoundFields::setLimit(QLineEdit* e, int chars) {
    e->setValidator(new MaxChars(chars, e));
}

void BoundFields::setFocusColour(QWidget* w) {
    if (!contains(coloured_, w))
        coloured_.push_back(w);
    watch(w);
}

void BoundFields::setSelectAllOnFocus(QLineEdit* e) {
    if (!contains(selectAll_, e))
        selectAll_.push_back(e);
    watch(e);
}

void BoundFields::setSelectAllOnClick(QLineEdit* e) {
    if (!contains(selectOnClick_, e))
        selectOnClick_.push_back(e);
    watch(e);
}

void BoundFields::setKeyRule(QWidget* w, KeyRule rule) {
    keyRules_[w] = std::move(rule);
    watch(w);
}

// ---- showing and writing the row -------------------------------------------------------------------------

void BoundFields::show(const Binding& b, const Value& v) {
    switch (b.control) {
    case Control::Line: {
        auto* e = static_cast<QLineEdit*>(b.widget);
        if (b.kind == Kind::Time) {
            const QTime t = timeOf(v);
            e->setText(t.isValid() ? regional::formatShortTime(t) : QString());
        } else {
            e->setText(NullText(v));
        }
        break;
    }
    case Control::Memo:
        static_cast<QPlainTextEdit*>(b.widget)->setPlainText(NullText(v));
        break;
    case Control::Date: {
        const DateOrEmpty d = NullDate(v);
        static_cast<QDateEdit*>(b.widget)->setDate(d.isEmpty() ? Clock::today() : d.value());
        break;
    }
    case Control::Label:
        static_cast<QLabel*>(b.widget)->setText(NullText(v));
        break;
    }
}

void BoundFields::clear(const Binding& b) {
    switch (b.control) {
    case Control::Line:
        static_cast<QLineEdit*>(b.widget)->clear();
        break;
    case Control::Memo:
        static_cast<QPlainTextEdit*>(b.widget)->clear();
        break;
    case Control::Date:
        static_cast<QDateEdit*>(b.widget)->setDate(Clock::today());
        break;
    case Control::Label:
        static_cast<QLabel*>(b.widget)->clear();
        break;
    }
}

QString BoundFields::state(const Binding& b) const {
    switch (b.control) {
    case Control::Line:
        return static_cast<QLineEdit*>(b.widget)->text();
    case Control::Memo:
        return static_cast<QPlainTextEdit*>(b.widget)->toPlainText();
    case Control::Date:
        return static_cast<QDateEdit*>(b.widget)->date().toString(Qt::ISODate);
    case Control::Label:
        return static_cast<QLabel*>(b.widget)->text();
    }
    return QString();
}

Value BoundFields::value(const Binding& b) const {
    switch (b.control) {
    case Control::Line: {
        auto* e = static_cast<QLineEdit*>(b.widget);
        const QString t = e->text();
        switch (b.kind) {
        case Kind::Number:
            // Text that is no number counts as 0 everywhere; it is stored as Null.
            if (const auto n = regional::parseNumber(t))
                return Value::number(*n);
            return Value();
        case Kind::Time:
            // A changed time gets whole minutes; an incomplete one is no time.
            if (e->hasAcceptableInput()) {
                const QStringList hm = t.split(QLatin1Char(':'));
                const QTime time(hm.value(0).toInt(), hm.value(1).toInt(), 0);
                if (time.isValid())
                    return Value::time(time);
            }
            return Value();
        case Kind::Text:
            return t.isEmpty() ? Value() : Value::text(t);
        }
        return Value();
    }
    case Control::Memo: {
        // A multi-line text keeps CR LF line ends.
        QString stored = static_cast<QPlainTextEdit*>(b.widget)->toPlainText();
        stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        return stored.isEmpty() ? Value() : Value::text(stored);
    }
    case Control::Date:
        return Value::date(static_cast<QDateEdit*>(b.widget)->date());
    case Control::Label:
        break;
    }
    return Value();
}

void BoundFields::load() {
    loading_ = true;
    try {
        if (view_.hasCurrent()) {
            for (const Binding& b : bindings_)
                show(b, view_.field(b.field));
            loadedRow_ = view_.bookmark();
        } else {
            for (const Binding& b : bindings_)
                clear(b);
            loadedRow_ = -1;
        }
    } catch (const StoreError&) {
        for (const Binding& b : bindings_)
            clear(b);
        loadedRow_ = -1;
    }
    shown_.clear();
    for (const Binding& b : bindings_)
        shown_[b.widget] = state(b);
    loading_ = false;
}

void BoundFields::onViewChanged(View::Change c) {
    if (loading_)
        return;
    std::int64_t row = -1;
    if (view_.hasCurrent())
        row = view_.bookmark();
    // Another row, or this row written: show what is stored. Otherwise the fields keep their edits.
    if (c == View::Change::Values || row != loadedRow_)
        load();
}

bool BoundFields::hasPendingEdits() const {
    for (const Binding& b : bindings_) {
        if (b.control == Control::Label)
            continue;
        const auto it = shown_.find(b.widget);
        if (it == shown_.end() || it->second != state(b))
            return true;
    }
    return false;
}

bool BoundFields::badTime(const Binding& b) const {
    if (b.control != Control::Line || b.kind != Kind::Time)
        return false;
    auto* e = static_cast<QLineEdit*>(b.widget);
    QString digits = e->text();
    digits.remove(QLatin1Char(':')).remove(QLatin1Char(' '));
    if (digits.isEmpty())
        return false; // emptied on purpose: no time
    return value(b).isNull();
}

void BoundFields::write(const Changes& also) {
    if (!view_.isOpen() || !view_.hasCurrent() || (also.empty() && !hasPendingEdits()))
        return;
    Changes changes;
    std::vector<const Binding*> restore;
    for (const Binding& b : bindings_) {
        if (b.control == Control::Label)
            continue;
        const auto it = shown_.find(b.widget);
        if (it != shown_.end() && it->second == state(b))
            continue;
        // A time that is no time (99:99, 25:61, 12:3_) never replaces the stored one.
        if (badTime(b)) {
            restore.push_back(&b);
            continue;
        }
        changes.emplace_back(b.field, value(b));
    }
    changes.insert(changes.end(), also.begin(), also.end());
    if (!changes.empty()) {
        try {
            view_.edit();
            for (const auto& [field, value] : changes)
                view_.setField(field, value);
            view_.update();
        } catch (const StoreError&) {
            if (view_.isOpen())
                view_.cancelUpdate();
            throw;
        }
    }
    if (restore.empty())
        return;
    // The stored time shows again, with a beep for the refused input.
    prompter_.beep();
    loading_ = true;
    try {
        for (const Binding* b : restore) {
            show(*b, view_.hasCurrent() ? view_.field(b->field) : Value());
            shown_[b->widget] = state(*b);
        }
    } catch (const StoreError&) {
    }
    loading_ = false;
}

bool BoundFields::writePendingEdits(Refused what) {
    try {
        write();
        return true;
    } catch (const ReportedStoreError&) {
        return false;
    } catch (const StoreError&) {
        showWriteRefused(prompter_, what);
        return false;
    }
}

// ---- focus and keys --------------------------------------------------------------------------------------

void BoundFields::focusIn(QWidget* w) {
    if (contains(coloured_, w))
        setBaseColour(w, kFocusColour);
    if (contains(selectAll_, w)) {
        auto* e = static_cast<QLineEdit*>(w);
        e->selectAll();
        // A mouse click places the cursor after the focus arrives; select again once it has.
        QTimer::singleShot(0, e, &QLineEdit::selectAll);
    }
    emit focusEntered(w);
}

void BoundFields::focusOut(QWidget* w) {
    if (contains(coloured_, w))
        setBaseColour(w, QApplication::palette(w).color(QPalette::Base));
    emit focusLeft(w);
}

bool BoundFields::judgeKey(const KeyRule& rule, const QKeyEvent& e) {
    if (!rule || rule(e))
        return true;
    prompter_.beep();
    return false;
}

bool BoundFields::eventFilter(QObject* o, QEvent* e) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w)
        return false;
    switch (e->type()) {
    case QEvent::FocusIn:
        focusIn(w);
        break;
    case QEvent::FocusOut:
        focusOut(w);
        break;
    case QEvent::KeyPress: {
        const auto it = keyRules_.find(w);
        if (it != keyRules_.end() && !judgeKey(it->second, *static_cast<QKeyEvent*>(e)))
            return true;
        break;
    }
    case QEvent::MouseButtonRelease:
        if (contains(selectOnClick_, w))
            // After the press has placed the cursor.
            static_cast<QLineEdit*>(w)->selectAll();
        break;
    default:
        break;
    }
    return false;
}

} // namespace lapora
