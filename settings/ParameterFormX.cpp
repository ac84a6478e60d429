#include "ParameterFormX.h"

#include "DataGrid.h"
#include "Database.h"
#include "FirstShow.h"
#include "FormArea.h"
#include "LogEntry.h"
#include "MenuCommand.h"
#include "ModalHost.h"
#include "NullSafe.h"
#include "Prompter.h"
#include "Schema.h"
#include "Session.h"
#include "StoreError.h"
#include "Twips.h"
#include "ViewRows.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

const QString kSizeField = u("KépernyöMérete");

// The longest text each column of the settings row takes from the keyboard, by position.
constexpr int kLimits[] = {100, 4, 8, 3, 100, 100, 15, 100, 160, 1, 100, 100, 100, 1000};
constexpr int kRuledColumns = static_cast<int>(sizeof(kLimits) / sizeof(kLimits[0]));

bool isBackspace(const QKeyEvent& k) {
    return k.key() == Qt::Key_Backspace || k.text() == QStringLiteral("\b");
}

bool isSizeLetter(const QString& t) {
    return t.size() == 1 && QStringLiteral("NnMm").contains(t);
}

} // namespace

void copySettingsValues(View& settings, SettingsValues& to) {
    if (!settings.isOpen() || settings.recordCount() < 1)
        return;
    settings.moveLast();
    const std::pair<const char*, QString*> values[] = {
        {"FakturoNextPath", &to.FakturoNextPath}, {"TaroloPath", &to.TaroloPath},
        {"KeverdaPath", &to.KeverdaPath},         {"AdorakPath", &to.AdorakPath},
        {"InterfacePath", &to.InterfacePath},     {"ÁllandóSzöveg", &to.AllandoSzoveg},
    };
    for (const auto& [field, target] : values) {
        try {
            *target = NullText(settings.field(u(field)));
        } catch (const StoreError&) {
        }
    }
}

bool settingsWantMaximised(View& settings) {
    try {
        if (!settings.isOpen() || settings.recordCount() < 1)
            return false;
        const int last = settings.recordCount() - 1;
        const int f = settings.fieldIndex(kSizeField);
        return f >= 0 && NullText(settings.valueAt(last, f)).trimmed().toUpper() == QStringLiteral("M");
    } catch (const StoreError&) {
        return false;
    }
}

const QString ParameterFormX::kCaption = QStringLiteral("Beállítások - Lapora");
const QString ParameterFormX::kWindowName = QStringLiteral("ParameterFormX");

ParameterFormX::ParameterFormX(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), fields_(parameterData_, session.prompter) {
    setObjectName(kWindowName);
    setWindowTitle(kCaption);
    quit_ = true;
    try {
        parameterData_.open(Database::open(schema::kParameterFile), QStringLiteral("EmblemaPath"));
    } catch (const StoreError&) {
        // Without the file the grid stays empty and the commands find no row.
    }
    try {
        regisztData_.open(Database::open(schema::kRegisztFile), u("Regisztrálás"));
    } catch (const StoreError&) {
    }

    QMenuBar* bar = menuBar();
    addCommand(bar, "&Segédlet (Help)", "Segedlet", this, &ParameterFormX::help);
    addCommand(bar, "&Kilépés", "Kilepes", this, &ParameterFormX::exit);

    buildControls();
    fields_.load();
    resize(twipsToPixels(120 + 14535 + 120),
           twipsToPixels(840 + 1215 + 240, Qt::Vertical) + menuBar()->sizeHint().height());
    onFirstShow(this, [this] {
        if (!activated_)
            activate();
    });
}

ParameterFormX::~ParameterFormX() {
    fields_.detach();
    // The grid listens to the view: it goes first.
    delete takeCentralWidget();
}

void ParameterFormX::buildControls() {
    QWidget* area = makeFormArea(this);

    label1_ = new QLabel(u("Főlap mérete (N)ormál vagy (M)aximum:"), area);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(twipsRect(1200, 300, 3360, 255));
    label1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    text1_ = new QLineEdit(area);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setGeometry(twipsRect(4680, 240, 495, 375));
    text1_->setAlignment(Qt::AlignCenter);
    fields_.bind(text1_, kSizeField);
    fields_.setLimit(text1_, 1);
    fields_.setFocusColour(text1_);
    fields_.setSelectAllOnFocus(text1_);
    fields_.setKeyRule(text1_, [this](const QKeyEvent& e) { return sizeKey(e); });

    std::vector<GridColumn> columns;
    if (parameterData_.isOpen())
        for (int i = 0; i < parameterData_.fieldCount(); ++i) {
            const QString name = parameterData_.column(i).name;
            GridColumn c{name, name};
            c.maxLength = columnLimit(i);
            c.passAtLimit = QStringLiteral(",");
            columns.push_back(c);
        }
    grid_ = new DataGrid(parameterData_, columns, area);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setGeometry(twipsRect(120, 840, 14535, 1215));
    grid_->setCaption(u("A táblázatban adja meg az adatokat!"));
    grid_->setPrompter(&session_.prompter);
    grid_->setEditable(true);
    grid_->setKeyJudge(&ParameterFormX::gridKeyAllowed);
    grid_->viewModel()->setWriteFailed([this] { showWriteRefused(session_.prompter); });
}

// ---- keys -------------------------------------------------------------------------------------------------

int ParameterFormX::columnLimit(int column) {
    if (column < 0)
        column = 0;
    return column < kRuledColumns ? kLimits[column] : 0;
}

// The length limit is the grid's own, by each column's longest text; this judges which keys a column takes.
bool ParameterFormX::gridKeyAllowed(int column, const QString& /*cellText*/, const QKeyEvent& key) {
    if (column < 0)
        column = 0;
    if (column >= kRuledColumns) // a field the table may gain later: nothing to type there
        return isBackspace(key) || key.text() == QStringLiteral(",");
    if (column == 1 || column == 2)
        return keyrules::digitsOnly(key);
    if (column == 9)
        return isBackspace(key) || isSizeLetter(key.text());
    return true;
}

bool ParameterFormX::sizeKey(const QKeyEvent& e) {
    // Every key replaces the one letter.
    text1_->selectAll();
    const QString t = e.text();
    if (isBackspace(e))
        return true;
    if (isSizeLetter(t)) {
        writeLogEntry(regisztData_, u("Képernyőméret változtatása"), kWindowName);
        return true;
    }
    if (t.isEmpty() || t.at(0) < QLatin1Char(' '))
        return true; // moves, Tab, Enter: nothing typed
    return t.size() == 1 && t.at(0).isDigit();
}

// ---- activation, help, exit -------------------------------------------------------------------------------

void ParameterFormX::activate() {
    activated_ = true;
    if (parameterData_.isOpen() && !hasRows(parameterData_)) {
        try {
            parameterData_.addNew();
            parameterData_.setField(kSizeField, Value::text(QStringLiteral("N")));
            parameterData_.update();
        } catch (const StoreError&) {
            if (parameterData_.isOpen())
                parameterData_.cancelUpdate();
            showWriteRefused(session_.prompter);
        }
    }
    if (hasRows(parameterData_)) {
        try {
            parameterData_.moveLast();
        } catch (const StoreError&) {
            // A refused write of the typed edits has been shown; they stay for another try.
        }
    }
    grid_->syncToView();
    text1_->setFocus();
    session_.prompter.pointer(Pointer::Arrow);
}

void ParameterFormX::help() {
    session_.helpKey = kWindowName;
    if (helpFactory_) {
        std::unique_ptr<QWidget> w = helpFactory_();
        if (w)
            session_.modal.showModal(w.get());
    }
    activate();
}

void ParameterFormX::exit() {
    if (leave())
        close();
}

void ParameterFormX::closeEvent(QCloseEvent* e) {
    if (quit_ && !leave()) {
        e->ignore();
        return;
    }
    e->accept();
}

bool ParameterFormX::leave() {
    Prompter& p = session_.prompter;
    if (hasRows(parameterData_)) {
        text1_->setText(text1_->text().toUpper());
        // The size field first: a write of the grid's edits reloads the fields from the row.
        if (!fields_.writePendingEdits())
            return false;
        grid_->commitEdit();
        if (!grid_->viewModel()->writeOrReport())
            return false;
        try {
            copySettingsValues(parameterData_, session_.settings);
        } catch (const StoreError&) {
        }
    }
    bool failed = false;
    for (View* v : {&parameterData_, &regisztData_}) {
        try {
            v->close();
        } catch (const StoreError&) {
            failed = true;
        }
    }
    if (failed)
        p.beep();
    quit_ = false;
    return true;
}

} // namespace lapora
