#include "AdatathozatalFormX.h"

#include "BoundFields.h"
#include "BusyButton.h"
#include "DataGrid.h"
#include "Database.h"
#include "FirstShow.h"
#include "FormArea.h"
#include "MenuCommand.h"
#include "Messages.h"
#include "NavBar.h"
#include "Prompter.h"
#include "Schema.h"
#include "Session.h"
#include "StoreError.h"
#include "Twips.h"
#include "ViewRows.h"
#include "WriteLock.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>

#include <optional>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

constexpr int kLeft = 120;
constexpr int kGridTop = 120;
constexpr int kGridWidth = 15000;
constexpr int kGridHeight = 6000;
constexpr int kNavHeight = 345;
constexpr int kButtonTop = kGridTop + kGridHeight + kNavHeight + 120;
constexpr int kButtonSize = 600;

const QString kAllDeleted = u("Minden adat törölve (Deleted All)! Kér új adatot (New)?");

} // namespace

const QString AdatathozatalFormX::kCaption =
    u("Adat áthozatal más rendszerekből, adatok kezelése - Lapora - Mintaverk");
const QString AdatathozatalFormX::kWindowName = QStringLiteral("AdatathozatalFormX");
const QString AdatathozatalFormX::kSource = u("select  * from SzamlaAthozat order by Sorszám");

AdatathozatalFormX::AdatathozatalFormX(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    setObjectName(kWindowName);
    setWindowTitle(kCaption);
    quit_ = true;
    try {
        athozData_.open(Database::open(schema::kLaporaFile), kSource);
    } catch (const StoreError&) {
        // Without the file the grid stays empty and the deletions find no line.
    }

    QMenuBar* bar = menuBar();
    QMenu* m = bar->addMenu(u("&Adatműveletek"));
    m->setObjectName(QStringLiteral("AdatMuv"));
    sorTorol_ = addCommand(m, "Kijelölt sor törlése", "SorTorol", this, &AdatathozatalFormX::deleteLine);
    m->addSeparator();
    osszTorol_ = addCommand(m, "Összes adat törlése", "OsszTorol", this, &AdatathozatalFormX::deleteAll);
    addCommand(bar, "&Kilépés", "Kilepes", this, &AdatathozatalFormX::exit);

    buildControls();
    resize(twipsToPixels(kLeft * 2 + kGridWidth),
           twipsToPixels(kButtonTop + kButtonSize + 120, Qt::Vertical) + bar->sizeHint().height());
    onFirstShow(this, [this] {
        if (!activated_)
            activate();
    });
}

AdatathozatalFormX::~AdatathozatalFormX() {
    // The grid listens to the view: it goes first.
    delete takeCentralWidget();
}

void AdatathozatalFormX::buildControls() {
    QWidget* area = makeFormArea(this);

    // Every field but the quantity, each headed by its name.
    std::vector<GridColumn> columns;
    for (const Column& c : schema::table(QStringLiteral("SzamlaAthozat")).columns)
        if (c.name != u("Mennyiség"))
            columns.push_back({c.name, c.name});
    grid_ = new DataGrid(athozData_, columns, area);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setToolTip(u("Oszlopra kattintva rendez, cellában javít"));
    grid_->setGeometry(twipsRect(kLeft, kGridTop, kGridWidth, kGridHeight));
    grid_->setCaption(u("Áthozat"));
    grid_->setPrompter(&session_.prompter);
    grid_->setEditable(true);
    grid_->viewModel()->setWriteFailed([this] { showWriteRefused(session_.prompter); });

    auto* nav = new NavBar(athozData_, grid_, u("Mozgás a táblában a nyilakkal"), area);
    nav->setObjectName(QStringLiteral("AthozData"));
    nav->setGeometry(twipsRect(kLeft, kGridTop + kGridHeight, kGridWidth, kNavHeight));
    nav->setFailureHandler([this](const StoreError& e) {
        if (!dynamic_cast<const ReportedStoreError*>(&e))
            showWriteRefused(session_.prompter);
    });

    struct ButtonDef {
        int number;
        const char* tip;
        QStyle::StandardPixmap icon;
        void (AdatathozatalFormX::*command)();
    };
    const ButtonDef defs[] = {
        {1, "Kijelölt sor törlése", QStyle::SP_DialogDiscardButton, &AdatathozatalFormX::deleteLine},
        {2, "Összes adat törlése", QStyle::SP_TrashIcon, &AdatathozatalFormX::deleteAll},
        {3, "Kilépés", QStyle::SP_DialogCloseButton, &AdatathozatalFormX::exit},
    };
    int left = kLeft + kGridWidth - 3 * kButtonSize - 2 * 120;
    for (const ButtonDef& d : defs) {
        auto* b = new QPushButton(area);
        b->setObjectName(QStringLiteral("Command%1").arg(d.number));
        b->setToolTip(u(d.tip));
        b->setIcon(style()->standardIcon(d.icon));
        b->setIconSize(QSize(twipsToPixels(360), twipsToPixels(360)));
        b->setGeometry(twipsRect(left, kButtonTop, kButtonSize, kButtonSize));
        setButtonColour(b, kIdleWhite);
        connect(b, &QPushButton::clicked, this, d.command);
        command_[d.number] = b;
        left += kButtonSize + 120;
    }
}

// ---- activation and exit ----------------------------------------------------------------------------------

void AdatathozatalFormX::enableCommands(bool on) {
    sorTorol_->setEnabled(on);
    osszTorol_->setEnabled(on);
}

void AdatathozatalFormX::activate() {
    activated_ = true;
    if (!hasRows(athozData_)) {
        enableCommands(false);
        return;
    }
    enableCommands(true);
    try {
        athozData_.moveFirst();
    } catch (const StoreError&) {
        // A refused write of a typed line has been shown; the line keeps its edits.
    }
    grid_->syncToView();
    grid_->setFocus();
}

void AdatathozatalFormX::exit() {
    if (leave())
        close();
}

void AdatathozatalFormX::closeEvent(QCloseEvent* e) {
    if (quit_ && !leave()) {
        e->ignore();
        return;
    }
    e->accept();
}

bool AdatathozatalFormX::leave() {
    quit_ = false;
    // A typed line goes in before the view closes; a refused write keeps the window open with the texts.
    grid_->commitEdit();
    if (!grid_->viewModel()->writeOrReport()) {
        quit_ = true;
        return false;
    }
    try {
        athozData_.close();
    } catch (const StoreError&) {
        session_.prompter.beep();
    }
    return true;
}

// ---- deletions --------------------------------------------------------------------------------------------

// The lines are there and the user says Yes to `question`: then true, under the hourglass.
bool AdatathozatalFormX::askToDelete(const QString& question) {
    Prompter& p = session_.prompter;
    if (!hasRows(athozData_)) {
        enableCommands(false);
        p.pointer(Pointer::Arrow);
        return false;
    }
    p.pointer(Pointer::Arrow);
    p.beep();
    if (p.message(msg::kFigyelemTorles, question, Icon::Exclamation, Buttons::YesNo) != Answer::Yes) {
        p.pointer(Pointer::Arrow);
        return false;
    }
    p.pointer(Pointer::Hourglass);
    return true;
}

void AdatathozatalFormX::deleteLine() {
    Prompter& p = session_.prompter;
    BusyButton busy(command_[1]);
    if (!askToDelete(u("Biztosan véglegesen törli az adatsort (Delete)?")))
        return;
    grid_->commitEdit();
    try {
        if (!athozData_.hasCurrent())
            athozData_.moveLast();
        athozData_.remove();
    } catch (const StoreError&) {
        p.pointer(Pointer::Arrow);
        showWriteRefused(p);
        grid_->syncToView();
        return;
    }
    try {
        athozData_.moveNext();
    } catch (const StoreError&) {
    }
    if (!hasRows(athozData_)) {
        allDeleted();
        return;
    }
    try {
        if (athozData_.eof())
            athozData_.moveLast();
    } catch (const StoreError&) {
    }
    grid_->syncToView();
    p.pointer(Pointer::Arrow);
}

void AdatathozatalFormX::deleteAll() {
    Prompter& p = session_.prompter;
    BusyButton busy(command_[2]);
    if (!askToDelete(u("Biztosan véglegesen törli az összes adatot (Delete All)?")))
        return;
    enableCommands(false);
    grid_->commitEdit();
    grid_->viewModel()->discardEdits(); // the lines they belong to are going
    // All lines or none: a refusal half-way puts every line back.
    bool done = false;
    try {
        WriteLock lock(*athozData_.database());
        athozData_.moveFirst();
        while (!athozData_.eof()) {
            athozData_.remove();
            athozData_.moveNext();
        }
        lock.commit();
        done = true;
    } catch (const StoreError&) {
    }
    if (!done) {
        try {
            athozData_.requery();
        } catch (const StoreError&) {
        }
        enableCommands(hasRows(athozData_));
        grid_->syncToView();
        p.pointer(Pointer::Arrow);
        showWriteRefused(p);
        return;
    }
    allDeleted();
}

void AdatathozatalFormX::allDeleted() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Arrow);
    p.beep();
    if (p.message(msg::kFigyelem, kAllDeleted, Icon::Exclamation, Buttons::YesNo) != Answer::Yes) {
        p.pointer(Pointer::Arrow);
        exit();
        return;
    }
    enableCommands(true);
    // A blank line to type into.
    try {
        athozData_.addNew();
        athozData_.update();
        athozData_.moveLast();
    } catch (const StoreError&) {
        if (athozData_.isOpen())
            athozData_.cancelUpdate();
        showWriteRefused(p);
    }
    grid_->syncToView();
    p.pointer(Pointer::Arrow);
}

} // namespace lapora
