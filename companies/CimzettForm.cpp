#include "CimzettForm.h"

#include "DataGrid.h"
#include "Database.h"
#include "FirstShow.h"
#include "FormArea.h"
#include "LogEntry.h"
#include "MenuCommand.h"
#include "Messages.h"
#include "NavBar.h"
#include "NullSafe.h"
#include "Prompter.h"
#include "Schema.h"
#include "Session.h"
#include "StoreError.h"
#include "Twips.h"
#include "ViewRows.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// The layout in twips: labels on the left, the fields beside them, the company grid on the right.
constexpr int kLabelLeft = 120;
constexpr int kFieldLeft = 2100;
constexpr int kRowTop = 240;
constexpr int kRowStep = 330;
constexpr int kRowHeight = 285;
constexpr int kGridLeft = 6840;
constexpr int kGridWidth = 8400;

int rowTop(int i) {
    return kRowTop + i * kRowStep;
}

} // namespace

const QString CimzettForm::kCaption = QString::fromUtf8("Cégek - vállalkozók adatainak törzse - Lapora");
const QString CimzettForm::kWindowName = QStringLiteral("CimzettForm");
const QString CimzettForm::kSearchCaption = QStringLiteral("<") + QString(18, QLatin1Char(' ')) +
                                            QString::fromUtf8("Keresés (cég)névre") +
                                            QString(19, QLatin1Char(' ')) + QStringLiteral(">");

CimzettForm::CimzettForm(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), fields_(cimzett_, session.prompter) {
    setObjectName(kWindowName);
    setWindowTitle(kCaption);
    quit_ = true;
    openViews();
    buildMenu();
    buildControls();
    fields_.load();
    resize(twipsToPixels(kGridLeft + kGridWidth + 120),
           twipsToPixels(rowTop(16) + 600, Qt::Vertical) + menuBar()->sizeHint().height());
    // Load.
    showCountryList(false);
    session_.prompter.pointer(Pointer::Arrow);
    onFirstShow(this, [this] {
        if (!activated_)
            activate();
    });
}

CimzettForm::~CimzettForm() {
    fields_.detach();
    // The grids listen to the views: they go first.
    delete takeCentralWidget();
}

void CimzettForm::openViews() {
    std::shared_ptr<Database> lapora;
    try {
        lapora = Database::open(schema::kLaporaFile);
        cimzett_.open(lapora, u("Címzett"));
        data1_.open(lapora, QStringLiteral("Orszagjel"));
    } catch (const StoreError&) {
        // A view that cannot open stays closed: its grid is empty and its commands find no row.
    }
    try {
        regisztData_.open(Database::open(schema::kRegisztFile), u("Regisztrálás"));
    } catch (const StoreError&) {
    }
}

// ---- layout -----------------------------------------------------------------------------------------------

void CimzettForm::buildMenu() {
    QMenuBar* bar = menuBar();
    QMenu* m = bar->addMenu(u("&Adatkezelés"));
    m->setObjectName(QStringLiteral("CimzettAdatkezel"));
    addCommand(m, "Új cég-vállalkozó", "UjAdat", this, &CimzettForm::newCompany);
    m->addSeparator();
    addCommand(m, "Törlés", "CimzettTorol", this, &CimzettForm::deleteCompany);
    m->addSeparator();
    addCommand(m, "Mentés-Kilépés", "Kilepes", this, &CimzettForm::saveAndExit);
    addCommand(bar, "&Nyomtatás", "CimzettNyom", this, &CimzettForm::printList);
}

void CimzettForm::buildControls() {
    QWidget* area = makeFormArea(this);

    auto label = [area](const QString& text, const QRect& r, const QString& name = QString()) {
        return placeLabel(area, text, r, name);
    };

    struct FieldDef {
        int number;
        const char* field;
        int label; // its caption's Label number; 0: the label of the row above serves
        const char* caption;
        int limit; // 0: no typing
        int row;
        int left, width;
        bool centred;
        bool digits;
    };
    const FieldDef defs[] = {
        {2, "CimNev", 1, "Név:", 50, 0, kFieldLeft, 4500, false, false},
        {3, "CimIrszam", 2, "Postai irányítószám:", 6, 1, kFieldLeft, 900, true, false},
        {4, "CimSzekhely", 3, "Székhely:", 40, 2, kFieldLeft, 4500, false, false},
        {5, "CimCim", 4, "Cím:", 40, 3, kFieldLeft, 4500, false, false},
        {6, "CimTelefon", 5, "Telefon:", 15, 4, kFieldLeft, 1800, true, true},
        {7, "CimFax", 6, "FAX:", 15, 5, kFieldLeft, 1800, true, true},
        {8, "CimMobil", 7, "Mobil:", 15, 6, kFieldLeft, 1800, true, true},
        {9, "CimAdoszam", 8, "Adószám:", 15, 7, kFieldLeft, 1800, true, true},
        {10, "CimSzamlaszam", 9, "Banki számlaszám:", 25, 8, kFieldLeft, 2800, true, true},
        {1, "recordID", 10, "Azonosító sorszám:", 0, 9, kFieldLeft, 900, true, false},
        {11, "Kapcsolattartó", 11, "Kapcsolattartó neve:", 50, 10, kFieldLeft, 4500, false, false},
        {12, "SzamlazasSzekhelye", 0, nullptr, 40, 13, kFieldLeft, 3500, false, false},
        {13, "SzamlazasIrszama", 0, nullptr, 6, 13, kFieldLeft + 3600, 900, false, false},
        {14, "SzamlazasCime", 15, "Címe:", 40, 14, kFieldLeft, 4500, false, false},
        {15, "VevoKodja", 16, "Vevő kódja:", 20, 15, kFieldLeft, 2400, false, false},
    };
    for (const FieldDef& d : defs) {
        if (d.caption)
            label(u(d.caption), twipsRect(kLabelLeft, rowTop(d.row) + 45, kFieldLeft - kLabelLeft - 60, 195),
                  QStringLiteral("Label%1").arg(d.label));
        auto* e = new QLineEdit(area);
        e->setObjectName(QStringLiteral("Text%1").arg(d.number));
        e->setGeometry(twipsRect(d.left, rowTop(d.row), d.width, kRowHeight));
        if (d.centred)
            e->setAlignment(Qt::AlignCenter);
        text_[d.number] = e;
        if (d.number == 1) {
            // The serial is the program's: shown, never typed.
            fields_.bind(e, u(d.field), BoundFields::Kind::Number);
            e->setReadOnly(true);
            QFont f = e->font();
            f.setBold(true);
            e->setFont(f);
            continue;
        }
        fields_.bind(e, u(d.field));
        fields_.setLimit(e, d.limit);
        fields_.setFocusColour(e);
        if (d.digits)
            fields_.setKeyRule(e, keyrules::digitsOnly);
    }
    fields_.setSelectAllOnClick(text_[3]);
    // The billing seat and postal code share one label, on its own row above them.
    label(u("Számlázási cím székhelye, irányítószáma:"), twipsRect(kLabelLeft, rowTop(12) + 45, 6600, 195),
          QStringLiteral("Label13"));

    label(u("Ország jelzése:"), twipsRect(kLabelLeft, rowTop(11) + 45, kFieldLeft - kLabelLeft - 60, 195),
          QStringLiteral("Label12"));
    label14_ =
        label(QString(), twipsRect(kFieldLeft, rowTop(11), 700, kRowHeight), QStringLiteral("Label14"));
    label14_->setFrameShape(QFrame::Panel);
    label14_->setFrameShadow(QFrame::Sunken);
    label14_->setAlignment(Qt::AlignCenter);
    fields_.bind(label14_, u("CimOrszag"));

    command1_ = new QPushButton(u("Ország"), area);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(twipsRect(kFieldLeft + 800, rowTop(11) - 15, 1000, 315));
    connect(command1_, &QPushButton::clicked, this, &CimzettForm::searchCountry);

    command4_ = new QPushButton(QStringLiteral("OK"), area);
    command4_->setObjectName(QStringLiteral("Command4"));
    command4_->setGeometry(twipsRect(kFieldLeft, rowTop(16), 1500, 450));
    connect(command4_, &QPushButton::clicked, this, &CimzettForm::commit);

    // The search button: a label above the company grid.
    keres_ = label(kSearchCaption, twipsRect(kGridLeft, 120, kGridWidth, 240), QStringLiteral("keres"));
    keres_->setAlignment(Qt::AlignCenter);
    {
        QPalette p = keres_->palette();
        p.setColor(QPalette::WindowText, QColor(255, 255, 255));
        p.setColor(QPalette::Window, QColor(0, 0, 255));
        keres_->setPalette(p);
        keres_->setAutoFillBackground(true);
        keres_->setCursor(Qt::PointingHandCursor);
        keres_->installEventFilter(this);
    }

    std::vector<GridColumn> columns;
    for (const Column& c : schema::table(u("Címzett")).columns)
        columns.push_back({c.name, c.name});
    grid1_ = new DataGrid(cimzett_, columns, area);
    grid1_->setObjectName(QStringLiteral("DBGrid1"));
    const int gridTop = 420;
    const int navTop = rowTop(16) + 450 - 345;
    grid1_->setGeometry(twipsRect(kGridLeft, gridTop, kGridWidth, navTop - gridTop));
    auto* nav = new NavBar(cimzett_, grid1_,
                           QString(23, QLatin1Char(' ')) + u("CÉGEK-VÁLLALKOZÓK - Mozgás a táblában"), area);
    nav->setObjectName(QStringLiteral("Cimzett"));
    nav->setGeometry(twipsRect(kGridLeft, navTop, kGridWidth, 345));
    nav->setFailureHandler([this](const StoreError& e) { storeFailed(e); });

    grid2_ = new DataGrid(data1_, {{u("Országjel"), u("Országjel")}, {u("Ország"), u("Ország")}}, area);
    grid2_->setObjectName(QStringLiteral("DBGrid2"));
    grid2_->setToolTip(u("Dupla kattintással válasszon!"));
    grid2_->setGeometry(twipsRect(kFieldLeft + 1900, rowTop(11) - 15, 2700, 1800));
    connect(grid2_, &DataGrid::rowActivated, this, [this](int) { pickCountry(); });
    // A small list: the sign as narrow as it is, the name in the rest.
    grid2_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grid2_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    for (DataGrid* g : {grid1_, grid2_}) {
        setBaseColour(g, kLightYellow);
        fields_.setFocusColour(g);
    }
}

void CimzettForm::showCountryList(bool on) {
    grid2_->setVisible(on);
    if (on) {
        grid2_->raise();
        grid2_->syncToView();
    }
}

// ---- start-up, activation and exit ----------------------------------------------------------------------

void CimzettForm::activate() {
    activated_ = true;
    showCountryList(false);
    session_.prompter.pointer(Pointer::Arrow);
    if (!hasRows(cimzett_)) {
        if (cimzett_.isOpen())
            newCompany();
        return;
    }
    try {
        cimzett_.moveLast();
    } catch (const StoreError& e) {
        storeFailed(e);
    }
    grid1_->syncToView();
}

void CimzettForm::saveAndExit() {
    if (leave())
        close();
}

void CimzettForm::closeEvent(QCloseEvent* e) {
    if (quit_ && !leave()) {
        e->ignore();
        return;
    }
    e->accept();
}

bool CimzettForm::leave() {
    Prompter& p = session_.prompter;
    quit_ = false;
    // What is typed goes in before the check; a refused write keeps the window open with the texts.
    if (!fields_.writePendingEdits()) {
        quit_ = true;
        return false;
    }
    if (hasRows(cimzett_)) {
        p.pointer(Pointer::Arrow);
        p.beep();
        if (p.message(u("FIGYELEM! Ellenőrzés és hibása adatok törlése!"),
                      u("Kéri az adatok teljes ellenőrzését?"), Icon::Question,
                      Buttons::YesNo) == Answer::Yes)
            exitCheck();
    }
    for (View* v : {&regisztData_, &cimzett_, &data1_}) {
        try {
            v->close();
        } catch (const StoreError&) {
        }
    }
    p.pointer(Pointer::Arrow);
    return true;
}

void CimzettForm::exitCheck() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    try {
        cimzett_.moveFirst();
        while (!cimzett_.eof()) {
            // By position: 0 is the name. A name of blanks is a name.
            if (NullText(cimzett_.field(0)).isEmpty()) {
                bool deleted = false;
                try {
                    cimzett_.remove();
                    deleted = true;
                } catch (const StoreError&) {
                }
                if (deleted)
                    log(u("Automata ell. törléssel"));
            }
            cimzett_.moveNext();
        }
    } catch (const StoreError& e) {
        storeFailed(e);
    }
    p.pointer(Pointer::Arrow);
}

// ---- shared steps ---------------------------------------------------------------------------------------

void CimzettForm::log(const QString& action) {
    writeLogEntry(regisztData_, action, kWindowName);
}

void CimzettForm::storeFailed(const StoreError& e, Refused what) {
    if (dynamic_cast<const ReportedStoreError*>(&e))
        return;
    showWriteRefused(session_.prompter, what);
}

bool CimzettForm::eventFilter(QObject* o, QEvent* e) {
    if (o == keres_ && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        searchName();
        return true;
    }
    return QMainWindow::eventFilter(o, e);
}

} // namespace lapora
