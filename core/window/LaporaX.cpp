#include "LaporaX.h"

#include "FirstShow.h"
#include "FormArea.h"
#include "Imprint.h"

#include "AdatathozatalFormX.h"
#include "Certificate.h"
#include "CimzettForm.h"
#include "Clock.h"
#include "DataGrid.h"
#include "Database.h"
#include "FolderLock.h"
#include "HelpFormX.h"
#include "JobList.h"
#include "LaporaFelhasznaloiKezikonyvForm.h"
#include "LogEntry.h"
#include "MenuCommand.h"
#include "Messages.h"
#include "ModalHost.h"
#include "NaploFormX.h"
#include "NullSafe.h"
#include "PageLayout.h"
#include "ParameterFormX.h"
#include "Prompter.h"
#include "Regional.h"
#include "Schema.h"
#include "Search.h"
#include "Session.h"
#include "StoreError.h"
#include "SzamlaImportFormX.h"
#include "TaroloImportFormX.h"
#include "Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include <cmath>

namespace lapora {

const QString LaporaX::kTitle = QString::fromUtf8("Lapora V.2.2  2013. Munkalap-teljesítés igazolás");
const QString LaporaX::kImprint = QStringLiteral(" - ") + imprint::kMakerName;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

const QString kJobsSource = u("select * from Laporak order by Dátum, MunkalapSzáma");
const QString kStagingSource = u("select  * from SzamlaAthozat order by Sorszám");
const QString kWindowName = QStringLiteral("LaporaX");

struct SearchLink {
    const char* label;
    bool companies; // searches the company view, otherwise the job sheets
    const char* title;
    const char* prompt;
    const char* field; // the field whose beginning it finds
    const char* notFound;
};

const SearchLink kSearchLinks[] = {
    {"Label1", true, "Keresés (cég)névre", "Kérem a cég vagy vállalkozó nevét:", "CimNev",
     "Nincs ilyen név!"},
    {"Label10", false, "Keresés dátumra", "Kérem a dátumot:", "Dátum", "Nincs ilyen dátum!"},
    {"Label11", false, "Keresés (cég)névre", "Kérem a cég vagy vállalkozó nevét:", "CégNeve",
     "Nincs ilyen név!"},
    {"Label12", false, "Keresés munkalap sorszámra", "Kérem a munkalap sorszámát:", "MunkalapSzáma",
     "Nincs ilyen munkalap sorszám!"},
};

} // namespace

LaporaX::LaporaX(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session), fields_(laporakData_, session.prompter) {
    setObjectName(kWindowName);
    setWindowTitle(kTitle + kImprint);
    quit_ = true;

    firstActivation_ = true;
    session_.settings.FakturoNextPath.clear();
    session_.settings.TaroloPath.clear();
    session_.settings.InterfacePath.clear();
    openViews();

    buildMenu();
    buildControls();

    connect(&fields_, &BoundFields::focusEntered, this, &LaporaX::onFieldFocusIn);
    connect(&fields_, &BoundFields::focusLeft, this, &LaporaX::onFieldFocusOut);
    setWindowFactory(QStringLiteral("LPNyom"), [this] { return std::make_unique<LPNyomtatFormX>(session_); });
    setWindowFactory(QStringLiteral("LPCeg"), [this] { return std::make_unique<CimzettForm>(session_); });
    setWindowFactory(QStringLiteral("AthozatTabla"),
                     [this] { return std::make_unique<AdatathozatalFormX>(session_); });
    // The settings window's "Segédlet (Help)" shows the help window.
    helpFactory_ = [this] { return std::make_unique<HelpFormX>(session_); };
    setWindowFactory(QStringLiteral("ParametereK"), [this] {
        auto w = std::make_unique<ParameterFormX>(session_);
        if (helpFactory_)
            w->setHelpFactory(helpFactory_);
        return w;
    });
    setWindowFactory(QStringLiteral("naplozaS"), [this] { return std::make_unique<NaploFormX>(session_); });
    setWindowFactory(QStringLiteral("SzamlA"),
                     [this] { return std::make_unique<SzamlaImportFormX>(session_); });
    setWindowFactory(QStringLiteral("RaktarbolAthoz"),
                     [this] { return std::make_unique<TaroloImportFormX>(session_); });
    setWindowFactory(QStringLiteral("Kezikonyv"),
                     [this] { return std::make_unique<LaporaFelhasznaloiKezikonyvForm>(session_); });

    resize(twipsToPixels(15000), twipsToPixels(10200, Qt::Vertical) + menuBar()->sizeHint().height());
    fields_.load();
    showSettingsLabel();
    onFirstShow(this, [this] {
        if (activations_ == 0)
            activate();
    });
}

LaporaX::~LaporaX() {
    fields_.detach();
    // The grids listen to the views: they go first.
    delete takeCentralWidget();
}

bool LaporaX::folderInUse(const FolderLock& lock, Prompter& prompter) {
    if (!lock.held())
        return false;
    prompter.pointer(Pointer::Arrow);
    prompter.beep();
    prompter.message(msg::kFigyelem, msg::kMappaFoglalt, Icon::Error, Buttons::Ok);
    return true;
}

void LaporaX::openViews() {
    auto open = [](View& v, const std::shared_ptr<Database>& db, const QString& source) {
        if (!db)
            return;
        try {
            v.open(db, source);
        } catch (const StoreError&) {
            // Stays closed; the activation's check reports it.
        }
    };
    auto file = [this](const QString& name) -> std::shared_ptr<Database> {
        // A data file of the old kind is not opened at all: LPMRep converts it, this program only says so.
        if (Database::format(name) == Database::Format::Jet) {
            if (legacyFile_.isEmpty())
                legacyFile_ = QFileInfo(Database::resolve(name)).fileName();
            return nullptr;
        }
        try {
            return Database::open(name);
        } catch (const StoreBusy&) {
            filesBusy_ = true;
            return nullptr;
        } catch (const StoreError&) {
            return nullptr;
        }
    };
    const auto lapora = file(schema::kLaporaFile);
    open(laporakData_, lapora, kJobsSource);
    open(cimzett_, lapora, u("Címzett"));
    open(athozData_, lapora, kStagingSource);
    open(parameterData_, file(schema::kParameterFile), QStringLiteral("EmblemaPath"));
    open(regisztData_, file(schema::kRegisztFile), u("Regisztrálás"));
}

// ---- layout -------------------------------------------------------------------------------------------

void LaporaX::buildMenu() {
    QMenuBar* bar = menuBar();
    QMenu* m = bar->addMenu(u("&Adatkezelés"));
    m->setObjectName(QStringLiteral("Adatkezeles"));
    addCommand(m, "Új adat felvitele", "LPUj", this, &LaporaX::newJobSheet);
    m->addSeparator();
    addCommand(m, "Kijelölt sor törlése", "LPTorol", this, &LaporaX::deleteJobSheet);
    m->addSeparator();
    addCommand(m, "Adat áthozatal tábla kezelése", "AthozatTabla", this, &LaporaX::openStagingTable);

    m = bar->addMenu(u("A&datkapcsolatok"));
    m->setObjectName(QStringLiteral("Adatkapcsolatok"));
    addCommand(m, "Számlázóból áthozatal (FakturoNext)", "SzamlA", this, &LaporaX::openInvoiceImport);
    m->addSeparator();
    addCommand(m, "Raktárból, vámraktárból áthozat (Tarolow, Keverda, Adorak)", "RaktarbolAthoz", this,
               &LaporaX::openWarehouseImport);

    m = bar->addMenu(u("&Nyomtatás"));
    m->setObjectName(QStringLiteral("Nyomtatas"));
    addCommand(m, "Aktuális lap nyomtatása", "AktLapNyom", this, &LaporaX::printCurrentSheet);
    m->addSeparator();
    addCommand(m, "Lista", "LPNyom", this, &LaporaX::openJobList);

    addCommand(bar, "&Cégek-Vállalkozók törzs", "LPCeg", this, &LaporaX::openCompanyRegister);

    m = bar->addMenu(u("S&zerviz"));
    m->setObjectName(QStringLiteral("Szerviz"));
    addCommand(m, "Paraméter adatok", "ParametereK", this, &LaporaX::openSettings);
    m->addSeparator();
    addCommand(m, "Napló", "naplozaS", this, &LaporaX::openLog);

    m = bar->addMenu(u("&Segédlet"));
    m->setObjectName(QStringLiteral("Segedlet"));
    addCommand(m, "Kézikönyv", "Kezikonyv", this, &LaporaX::openManual);

    addCommand(bar, "&Mentés-Kilépés", "Kilepes", this, &LaporaX::exitRoutine);
}

QWidget* LaporaX::makeNavBar(View& v, DataGrid* grid, const QString& name, const QString& caption,
                             const QRect& r) {
    auto* bar = new QFrame(centralWidget());
    bar->setObjectName(name);
    bar->setFrameShape(QFrame::Panel);
    bar->setFrameShadow(QFrame::Sunken);
    bar->setGeometry(r);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    auto button = [&](const char* text, const char* objectName, int step) {
        auto* b = new QToolButton(bar);
        b->setText(QString::fromLatin1(text));
        b->setObjectName(QString::fromLatin1(objectName));
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, &v, grid, step] { navigate(v, grid, step); });
        row->addWidget(b);
    };
    button("|<", "First", -2);
    button("<", "Previous", -1);
    auto* label = new QLabel(caption, bar);
    label->setObjectName(QStringLiteral("Caption"));
    row->addWidget(label, 1);
    button(">", "Next", 1);
    button(">|", "Last", 2);
    return bar;
}

void LaporaX::buildControls() {
    QWidget* area = makeFormArea(this);

    auto label = [area](const QString& text, const QRect& r, const QString& name = QString()) {
        return placeLabel(area, text, r, name);
    };
    auto link = [&](const char* name, const char* text, const QRect& r) {
        QLabel* l = label(u(text), r, QString::fromLatin1(name));
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 255));
        p.setColor(QPalette::Window, QColor(255, 255, 255));
        l->setPalette(p);
        l->setAutoFillBackground(true);
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
        return l;
    };

    link("Label10", "< Dátumra keres >", twipsRect(360, 120, 2400, 195))->setToolTip(u("év.hónap.nap"));
    link("Label11", "< Névre keres >", twipsRect(3360, 120, 2400, 195));
    link("Label12", "< Munkalap sorszámra >", twipsRect(10320, 120, 2400, 195));

    grid2_ = new DataGrid(laporakData_,
                          {{u("Dátum"), u("Dátum")},
                           {.caption = u("Idő"), .field = u("Idő"), .hourMinute = true},
                           {u("Partner neve"), u("CégNeve")},
                           {u("Partner székhelye"), u("CégSzékhelye")},
                           {u("Partner címe"), u("CégCime")},
                           {u("Elvégzett munka"), u("ElvégzettMunka")},
                           {u("Munkalap száma"), u("MunkalapSzáma")},
                           {u("Munkát végezte"), u("MunkátVégezte")},
                           {u("Számlaszám"), u("Számlaszám")},
                           {u("Számla jellege"), u("SzámlaJelleg")},
                           {u("Megjegyzés"), u("Szoveg")}},
                          area);
    grid2_->setObjectName(QStringLiteral("DBGrid2"));
    grid2_->setGeometry(twipsRect(120, 360, 14655, 2055));
    grid2_->setCaption(u("Munkák adatai - oszlopnévre kattintva rendez sorba"));
    grid2_->setToolTip(u("Sorra kattintva módosíthat"));
    // The job sheets keep their date and number order; only the company and staging grids sort.
    grid2_->setHeaderSorting(false);
    makeNavBar(laporakData_, grid2_, QStringLiteral("LaporakData"),
               u("                    Munkák adatai - Mozgás a táblában"), twipsRect(6000, 2400, 8775, 345));

    link("Label1", "<              Keresés névre            >", twipsRect(120, 2520, 3000, 195));

    grid1_ = new DataGrid(cimzett_,
                          {{u("Név"), u("CimNev")},
                           {u("Irányítószám"), u("CimIrszam")},
                           {u("Székhely"), u("CimSzekhely")},
                           {u("Cím"), u("CimCim")},
                           {u("Telefon"), u("CimTelefon")},
                           {u("Fax"), u("CimFax")},
                           {u("Mobil"), u("CimMobil")},
                           {u("Adószám"), u("CimAdoszam")},
                           {u("Banki számlaszám"), u("CimSzamlaszam")},
                           {u("recordID"), u("recordID")},
                           {u("Kapcsolattartó"), u("Kapcsolattartó")},
                           {u("Ország jele"), u("CimOrszag")},
                           {u("Számlázás székh."), u("SzamlazasSzekhelye")},
                           {u("Számlázás ir.szám"), u("SzamlazasIrszama")},
                           {u("Számlázás cím"), u("SzamlazasCime")},
                           {u("Vevőkód"), u("VevoKodja")}},
                          area);
    grid1_->setObjectName(QStringLiteral("DBGrid1"));
    grid1_->setGeometry(twipsRect(120, 3480, 4455, 2895));
    grid1_->setCaption(u("CÉGEK-VÁLLALKOZÓK TÖRZS"));
    grid1_->setToolTip(u("Kijelölt sorra kétszer kattintva átviszi adatokat a munkák táblába, oszlopnévre "
                         "kattintva rendez"));
    connect(grid1_, &DataGrid::rowActivated, this, [this](int) { companyPick(); });
    makeNavBar(cimzett_, grid1_, QStringLiteral("Cimzett"), u("CÉGEK-VÁLLALKOZÓK-Mozgás a táblában"),
               twipsRect(120, 6360, 4455, 345));

    label(u("Adat áthozatal táblája:"), twipsRect(120, 6840, 4380, 195));
    const char* stagingCaptions[] = {"Sorszám",
                                     "Számlaszám",
                                     "Név",
                                     "Cím",
                                     "Megnevezés",
                                     "Nettó ár",
                                     "ÁFA %",
                                     "Bruttó ár",
                                     "Dátumtól",
                                     "Dátumig",
                                     "Adatfelvétel",
                                     "Devizanem",
                                     "Kivezetés",
                                     "Részösszeg",
                                     "Banki kivonat száma",
                                     "Banki kiegyenlités kelte",
                                     "Megjegyzés",
                                     "recordID",
                                     "FIGYELEM",
                                     "Figyelemhez megjegyzés",
                                     "Részkiegyenlités",
                                     "Fizetés módja",
                                     "Részösszeg összesen",
                                     "Teljesítés",
                                     "Mennyiség"};
    const auto& stagingFields = schema::table(QStringLiteral("SzamlaAthozat")).columns;
    std::vector<GridColumn> staging;
    for (size_t i = 0; i < std::size(stagingCaptions) && i < stagingFields.size(); ++i)
        staging.push_back({u(stagingCaptions[i]), stagingFields[i].name});
    grid3_ = new DataGrid(athozData_, staging, area);
    grid3_->setObjectName(QStringLiteral("DBGrid3"));
    grid3_->setGeometry(twipsRect(120, 7080, 4380, 2475));
    grid3_->setCaption(u("Áthozat"));
    grid3_->setToolTip(u("Oszlopnévre kattintva rendez"));
    connect(grid3_, &DataGrid::rowActivated, this, [this](int) { stagingCopy(); });
    makeNavBar(athozData_, grid3_, QStringLiteral("AthozData"),
               u("          Adat áthozatal más rendszerekből"), twipsRect(135, 9480, 4425, 345));

    // The edit area: labels at 4680, fields at 6240.
    label(u("A kijelölt sor adatai:"), twipsRect(4680, 3180, 3000, 195), QStringLiteral("Heading"));
    // Ten rows share the edit area from 3472 to 6240 evenly; a field fills its row but for a small gap.
    auto rowTop = [](int i) { return 3472 + i * (6240 - 3472) / 10; };
    const char* captions[] = {"Dátum:",
                              "Idő:",
                              "Cég-vállalkozó neve:",
                              "Székhelye:",
                              "Címe:",
                              "Elvégzett munka:",
                              "Munkát végezte:",
                              "Nettó ár és ÁFA%:",
                              "Munkalap sorszáma:",
                              "Munkaóra:"};
    for (int i = 0; i < 10; ++i)
        label(u(captions[i]), twipsRect(4680, rowTop(i) + 38, 1500, 195));

    dtPicker1_ = new QDateEdit(area);
    dtPicker1_->setObjectName(QStringLiteral("DTPicker1"));
    dtPicker1_->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    dtPicker1_->setCalendarPopup(true);
    dtPicker1_->setToolTip(u("év.hónap.nap"));
    dtPicker1_->setGeometry(twipsRect(6240, rowTop(0), 1500, 270));

    maskEdBox1_ = new QLineEdit(area);
    maskEdBox1_->setObjectName(QStringLiteral("MaskEdBox1"));
    maskEdBox1_->setInputMask(QStringLiteral("99:99;_"));
    maskEdBox1_->setToolTip(u("Óra:perc:másodperc"));
    maskEdBox1_->setGeometry(twipsRect(6240, rowTop(1), 800, 270));
    fields_.bind(maskEdBox1_, u("Idő"), BoundFields::Kind::Time);
    fields_.setFocusColour(maskEdBox1_);

    struct FieldDef {
        int number;
        const char* field;
        int limit;
        const char* tip;
        BoundFields::Kind kind;
        QRect rect;
    };
    const FieldDef defs[] = {
        {1, "CégNeve", 50, "Név", BoundFields::Kind::Text, twipsRect(6240, rowTop(2), 5400, 270)},
        {2, "CégSzékhelye", 50, "Székhely", BoundFields::Kind::Text, twipsRect(6240, rowTop(3), 5400, 270)},
        {3, "CégCime", 50, "Cím", BoundFields::Kind::Text, twipsRect(6240, rowTop(4), 5400, 270)},
        {4, "ElvégzettMunka", 200, "Munka röviden", BoundFields::Kind::Text,
         twipsRect(6240, rowTop(5), 8535, 270)},
        {6, "MunkátVégezte", 50, "Név, beosztás", BoundFields::Kind::Text,
         twipsRect(6240, rowTop(6), 5400, 270)},
        {8, "NettóÁr", 5, "Nettó ár", BoundFields::Kind::Number, twipsRect(6240, rowTop(7), 1200, 270)},
        {9, "ÁFA", 5, "ÁFA%", BoundFields::Kind::Number, twipsRect(7560, rowTop(7), 700, 270)},
        {10, "BruttóÁr", 5, "Bruttó ár", BoundFields::Kind::Number, twipsRect(8400, rowTop(7), 1200, 270)},
        {5, "MunkalapSzáma", 5, "Sorszám max. 5 hosszú", BoundFields::Kind::Text,
         twipsRect(6240, rowTop(8), 780, 270)},
        {11, "Munkaóra", 5, "Munkaóra", BoundFields::Kind::Number, twipsRect(6240, rowTop(9), 780, 270)},
    };
    for (const FieldDef& d : defs) {
        auto* e = new QLineEdit(area);
        e->setObjectName(QStringLiteral("Text%1").arg(d.number));
        e->setToolTip(u(d.tip));
        e->setGeometry(d.rect);
        text_[d.number] = e;
        fields_.bind(e, u(d.field), d.kind);
        fields_.setLimit(e, d.limit);
    }
    for (int n : {1, 2, 3, 4, 5, 6, 8, 9, 11})
        fields_.setFocusColour(text_[n]);
    for (int n : {8, 9, 11}) {
        fields_.setSelectAllOnFocus(text_[n]);
        fields_.setKeyRule(text_[n], keyrules::amount);
    }
    text_[10]->setReadOnly(true); // filled by the gross calculation only
    setBaseColour(text_[10], kLightYellow);

    label16_ = label(QString(), twipsRect(7080, 5760, 660, 195), QStringLiteral("Label16"));

    label(u("Részletes leírás:"), twipsRect(4710, 6720, 3000, 195));
    text7_ = new QPlainTextEdit(area);
    text7_->setObjectName(QStringLiteral("Text7"));
    text7_->setToolTip(u("Munka"));
    text7_->setGeometry(twipsRect(4710, 6960, 10065, 2175));
    connect(text7_, &QPlainTextEdit::textChanged, this, [this] {
        // A changed description (typed or copied from a staging line): Enter makes a new line there instead
        // of saving, until the description loses the focus.
        if (!fields_.loading())
            command1_->setDefault(false);
    });

    command1_ = new QPushButton(QStringLiteral("OK"), area);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setToolTip(u("Adatok mentése"));
    command1_->setGeometry(twipsRect(12840, 9240, 1935, 615));
    command1_->setDefault(true);
    connect(command1_, &QPushButton::clicked, this, &LaporaX::save);

    fields_.bind(dtPicker1_, u("Dátum"));
    fields_.bind(text7_, QStringLiteral("Szoveg"));
}

void LaporaX::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (grid2_)
        grid2_->resize(std::max(0, width() - twipsToPixels(345)), grid2_->height());
}

// ---- binding ------------------------------------------------------------------------------------------

bool LaporaX::jobsHaveRow() const {
    try {
        return laporakData_.recordCount() >= 1;
    } catch (const StoreError&) {
        return false;
    }
}

bool LaporaX::hasPendingEdits() const {
    return fields_.hasPendingEdits();
}

bool LaporaX::writePendingEdits(Refused what) {
    return fields_.writePendingEdits(what);
}

void LaporaX::storeFailed(const StoreError& e, Refused what) {
    if (dynamic_cast<const ReportedStoreError*>(&e))
        return;
    showWriteRefused(session_.prompter, what);
}

void LaporaX::showSettingsLabel() {
    QString text;
    try {
        if (parameterData_.hasCurrent())
            text = NullText(parameterData_.field(u("SorszámKiegészités")));
    } catch (const StoreError&) {
    }
    label16_->setText(text);
}

void LaporaX::log(const QString& action) {
    writeLogEntry(regisztData_, action, kWindowName);
}

void LaporaX::endProgram() {
    ending_ = true;
    if (session_.endProgram)
        session_.endProgram();
}

void LaporaX::syncGrids() {
    for (DataGrid* g : {grid1_, grid2_, grid3_})
        if (g)
            g->syncToView();
}

void LaporaX::navigate(View& v, DataGrid* grid, int step) {
    try {
        const int n = v.recordCount();
        if (n >= 1) {
            if (step == -2)
                v.moveFirst();
            else if (step == 2)
                v.moveLast();
            else if (step == -1 && v.position() > 0)
                v.movePrevious();
            else if (step == 1 && v.position() < n - 1)
                v.moveNext();
        }
    } catch (const StoreError& e) {
        storeFailed(e, Refused::Move);
    }
    grid->syncToView();
}

// ---- start-up and exit ----------------------------------------------------------------------------------

void LaporaX::activate() {
    if (inActivation_ || ending_)
        return;
    inActivation_ = true;
    ++activations_;
    Prompter& p = session_.prompter;
    const auto done = [this] { inActivation_ = false; };

    // 1. Every data file must be readable, every view open: a file whose tables cannot all be read is not
    // written into (LPMRep rebuilds it). The log is only checked for being open: counting it would read every
    // one of its row ids for a view that only appends.
    try {
        if (!legacyFile_.isEmpty() || filesBusy_)
            throw StoreError("not usable");
        for (View* v : {&laporakData_, &cimzett_, &athozData_, &parameterData_})
            v->recordCount();
        if (!regisztData_.isOpen())
            throw StoreError("view closed");
    } catch (const StoreError&) {
        p.pointer(Pointer::Arrow);
        if (!legacyFile_.isEmpty())
            p.message(msg::kFigyelem, msg::kRegiAdatfajl.arg(legacyFile_), Icon::Error, Buttons::Ok);
        else if (filesBusy_)
            p.message(msg::kFigyelem, msg::kAdatbazisFoglalt, Icon::Error, Buttons::Ok);
        else
            p.message(u("FIGYELEM! NINCS ADATBÁZIS!"), u("SÚLYOS HIBA! Nem találhatók az adatbázisok!"),
                      Icon::Error, Buttons::Ok);
        endProgram();
        done();
        return;
    }

    // 2. Once per run: offer an empty job sheet.
    if (firstActivation_) {
        p.beep();
        p.pointer(Pointer::Arrow);
        if (p.message(u("FIGYELEM! Új üres sor kérése!"), u("Kér most új adatot (üres sort)?"),
                      Icon::Question, Buttons::YesNo) == Answer::Yes) {
            p.pointer(Pointer::Hourglass);
            try {
                laporakData_.addNew();
                laporakData_.setField(u("Dátum"), Value::date(Clock::today()));
                laporakData_.setField(u("Idő"), Value::time(Clock::now()));
                laporakData_.update();
            } catch (const StoreError& e) {
                if (laporakData_.isOpen())
                    laporakData_.cancelUpdate();
                storeFailed(e, Refused::NewRow);
            }
        }
        if (!jobsHaveRow()) {
            done();
            exitRoutine();
            return;
        }
        try {
            laporakData_.moveLast();
        } catch (const StoreError& e) {
            storeFailed(e, Refused::Move);
        }
        firstActivation_ = false;
        grid2_->syncToView();
    }

    // 3. The settings record's paths and constant text become the program-wide values.
    try {
        copySettingsValues(parameterData_, session_.settings);
    } catch (const StoreError&) {
    }
    showSettingsLabel();

    // 4.
    p.pointer(Pointer::Arrow);
    done();
}

void LaporaX::exitRoutine() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    quit_ = false;
    // Edits on screen go in before anything is checked or closed. A refusal is shown once and the program
    // stays, the texts on screen, so the user can try again or copy them.
    if (!writePendingEdits()) {
        quit_ = true;
        p.pointer(Pointer::Arrow);
        return;
    }
    if (jobsHaveRow()) {
        p.pointer(Pointer::Arrow);
        p.beep();
        const Answer a =
            p.message(msg::kFigyelem, u("Ellenőrzi az összes adatot?"), Icon::Question, Buttons::YesNo);
        p.pointer(Pointer::Hourglass);
        if (a == Answer::Yes) {
            try {
                laporakData_.moveFirst();
                while (!laporakData_.eof()) {
                    if (NullText(laporakData_.field(u("CégNeve"))).isEmpty())
                        laporakData_.remove();
                    laporakData_.moveNext();
                }
            } catch (const StoreError& e) {
                storeFailed(e, Refused::Delete);
            }
        }
    }
    for (View* v : {&parameterData_, &laporakData_, &cimzett_, &regisztData_}) {
        try {
            v->close();
        } catch (const StoreError&) {
        }
    }
    p.pointer(Pointer::Arrow);
    endProgram();
}

void LaporaX::closeEvent(QCloseEvent* e) {
    if (quit_)
        exitRoutine();
    // A refused write at exit keeps the program, and this window, open.
    if (quit_ && !ending_) {
        e->ignore();
        return;
    }
    e->accept();
}

// ---- job-sheet commands ----------------------------------------------------------------------------------

bool LaporaX::recalcGross() {
    if (!laporakData_.hasCurrent())
        return true;
    const double n = NullNumber(text_[8]->text()).value();
    const double r = NullNumber(text_[9]->text()).value();
    const double gross = std::nearbyint(((r + 100) / 100) * n);
    // Never clamped into range: a wrong amount must not be stored as if it were right.
    if (!(std::fabs(gross) <= 2147483647.0))
        return false;
    text_[10]->setText(QString::number(regional::roundHalfEven32(gross)));
    return true;
}

void LaporaX::newJobSheet() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    if (!writePendingEdits(Refused::NewRow)) {
        p.pointer(Pointer::Arrow);
        return;
    }
    try {
        laporakData_.addNew();
        laporakData_.setField(u("Dátum"), Value::date(Clock::today()));
        laporakData_.setField(u("Idő"), Value::time(Clock::now()));
        laporakData_.update();
        laporakData_.moveLast();
    } catch (const StoreError& e) {
        if (laporakData_.isOpen())
            laporakData_.cancelUpdate();
        storeFailed(e, Refused::NewRow);
        p.pointer(Pointer::Arrow);
        return;
    }
    grid2_->syncToView();
    // Edits of the new row: written with it next time.
    text_[8]->setText(QStringLiteral("0"));
    text_[9]->setText(QStringLiteral("25"));
    text_[10]->setText(QStringLiteral("0"));
    log(u("Új adatsor"));
    dtPicker1_->setFocus();
    p.pointer(Pointer::Arrow);
}

void LaporaX::save() {
    Prompter& p = session_.prompter;
    if (!jobsHaveRow()) {
        p.pointer(Pointer::Arrow);
        return;
    }
    p.pointer(Pointer::Hourglass);
    View::Bookmark mark = 0;
    try {
        mark = laporakData_.bookmark();
    } catch (const StoreError&) {
        p.pointer(Pointer::Arrow);
        return;
    }
    // A refused write ends the command here: it must not be logged as saved.
    if (!writePendingEdits()) {
        p.pointer(Pointer::Arrow);
        return;
    }
    try {
        laporakData_.moveFirst();
        laporakData_.moveLast();
    } catch (const StoreError&) {
    }
    grid1_->viewModel()->refresh();
    bool back = false;
    try {
        laporakData_.setBookmark(mark);
        back = true;
    } catch (const StoreError&) {
    }
    if (back) {
        if (!recalcGross()) {
            p.pointer(Pointer::Arrow);
            p.beep();
            p.message(msg::kFigyelem, msg::kTulNagyOsszeg, Icon::Exclamation, Buttons::Ok);
            return;
        }
        // The gross just shown belongs to the saved row.
        if (!writePendingEdits()) {
            p.pointer(Pointer::Arrow);
            return;
        }
    } else {
        p.beep();
        try {
            if (laporakData_.recordCount() >= 1)
                laporakData_.moveLast();
        } catch (const StoreError&) {
        }
    }
    grid2_->syncToView();
    log(u("Adatmentés"));
    p.pointer(Pointer::Arrow);
}

void LaporaX::deleteJobSheet() {
    Prompter& p = session_.prompter;
    if (!jobsHaveRow() || !laporakData_.hasCurrent()) {
        // Nothing to delete.
        p.pointer(Pointer::Arrow);
        return;
    }
    p.pointer(Pointer::Arrow);
    p.beep();
    if (p.message(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"), Icon::Question,
                  Buttons::YesNo) != Answer::Yes) {
        p.pointer(Pointer::Arrow);
        return;
    }
    p.pointer(Pointer::Hourglass);
    try {
        laporakData_.remove();
        laporakData_.moveNext();
    } catch (const StoreError& e) {
        storeFailed(e, Refused::Delete);
        p.pointer(Pointer::Arrow);
        return;
    }
    log(u("Törlés (adatsor)"));
    if (!jobsHaveRow()) {
        p.pointer(Pointer::Arrow);
        p.beep();
        if (p.message(msg::kFigyelem, u("Minden adat törölve (Deleted All)! Kér új adatot (New)?"),
                      Icon::Question, Buttons::YesNo) == Answer::Yes) {
            newJobSheet();
        } else {
            p.pointer(Pointer::Arrow);
            exitRoutine();
        }
        return;
    }
    try {
        if (laporakData_.eof())
            laporakData_.moveLast();
    } catch (const StoreError& e) {
        storeFailed(e, Refused::Move);
    }
    grid2_->syncToView();
    p.pointer(Pointer::Arrow);
}

// ---- searches, company pick, staging-line copy ----------------------------------------------------------

void LaporaX::search(const QString& linkName) {
    const SearchLink* link = nullptr;
    for (const SearchLink& l : kSearchLinks)
        if (linkName == QLatin1String(l.label))
            link = &l;
    if (!link)
        return;
    Prompter& p = session_.prompter;
    View& v = link->companies ? cimzett_ : laporakData_;
    DataGrid* grid = link->companies ? grid1_ : grid2_;
    bool rows = false;
    try {
        rows = v.recordCount() >= 1;
    } catch (const StoreError&) {
    }
    if (!rows) {
        p.pointer(Pointer::Arrow);
        return;
    }
    const std::optional<QString> answer = askSearchText(p, u(link->title), u(link->prompt));
    if (!answer)
        return;
    bool found = false;
    try {
        found = v.findFirst(beginsWithCriteria(u(link->field), *answer));
    } catch (const StoreError& e) {
        storeFailed(e, Refused::Move);
        p.pointer(Pointer::Arrow);
        return;
    }
    if (!found) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelem, u(link->notFound), Icon::Exclamation, Buttons::Ok);
        try {
            v.moveFirst();
        } catch (const StoreError& e) {
            storeFailed(e, Refused::Move);
        }
    }
    grid->syncToView();
    p.pointer(Pointer::Arrow);
}

void LaporaX::companyPick() {
    Prompter& p = session_.prompter;
    bool rows = false;
    try {
        rows = cimzett_.recordCount() >= 1 && cimzett_.hasCurrent();
    } catch (const StoreError&) {
    }
    if (!rows) {
        p.pointer(Pointer::Arrow);
        return;
    }
    if (!text_[1]->text().isEmpty()) {
        p.beep();
        p.pointer(Pointer::Arrow);
        if (p.message(u("FIGYELEM! Adatmódosítás kérése!"), u("Javítja a felvitt adatokat?"), Icon::Question,
                      Buttons::YesNo) != Answer::Yes)
            return;
    }
    p.pointer(Pointer::Hourglass);
    text_[1]->setText(NullText(grid1_->currentValue(0)));
    text_[2]->setText(NullText(grid1_->currentValue(2)));
    text_[3]->setText(NullText(grid1_->currentValue(3)));
    p.pointer(Pointer::Arrow);
}

void LaporaX::stagingCopy() {
    bool ok = false;
    try {
        ok = laporakData_.recordCount() >= 1 && laporakData_.hasCurrent() && athozData_.recordCount() >= 1 &&
             athozData_.hasCurrent();
    } catch (const StoreError&) {
    }
    if (!ok)
        return;
    auto n = [this](int k) { return NullNumber(grid3_->currentValue(k)).text(); };
    const QString crlf = QStringLiteral("\r\n");
    const QString text = u("Okmány sorszáma: ") + n(1) + crlf + NullText(grid3_->currentValue(4)) + crlf +
                         u("Mennyiség: ") + n(24) + crlf + u("Nettó: ") + n(5) + crlf + u("ÁFA: ") + n(6) +
                         crlf + u("Bruttó: ") + n(7) + crlf;
    text7_->setPlainText(text);
}

// ---- other windows --------------------------------------------------------------------------------------

void LaporaX::setWindowFactory(const QString& menuItem, WindowFactory factory) {
    factories_[menuItem] = std::move(factory);
}

void LaporaX::openWindow(const QString& menuItem) {
    const auto it = factories_.find(menuItem);
    if (it == factories_.end() || !it->second)
        return;
    Prompter& p = session_.prompter;
    const bool jobList = menuItem == QLatin1String("LPNyom");
    if (jobList) {
        if (!jobsHaveRow())
            return;
        session_.jobListCompany = NullText(grid2_->currentValue(2));
    }
    // The other windows read the data files: the job sheet on screen goes in first.
    if (!writePendingEdits())
        return;
    std::unique_ptr<QWidget> window = it->second();
    if (!window)
        return;
    const bool keepVisible = menuItem == QLatin1String("Kezikonyv");
    if (!keepVisible)
        hide();
    session_.modal.showModal(window.get());
    window.reset();
    const bool settings = menuItem == QLatin1String("ParametereK");
    if (settings) {
        // The settings window may have made the record: the view sees it only when run again.
        try {
            parameterData_.requery();
        } catch (const StoreError&) {
        }
    }
    if (!keepVisible) {
        // Back from the settings the window takes the size they now give.
        if (settings)
            showInSetSize();
        else
            show();
    }
    activate();
    if (ending_)
        return;

    if (menuItem == QLatin1String("AthozatTabla") || menuItem == QLatin1String("SzamlA") ||
        menuItem == QLatin1String("RaktarbolAthoz")) {
        try {
            athozData_.requery();
        } catch (const StoreError&) {
        }
        grid3_->viewModel()->refresh();
        try {
            if (athozData_.recordCount() >= 1) {
                athozData_.moveLast();
                athozData_.moveFirst();
            }
        } catch (const StoreError&) {
        }
        grid3_->syncToView();
    } else if (menuItem == QLatin1String("LPCeg")) {
        try {
            cimzett_.requery();
        } catch (const StoreError&) {
        }
        grid1_->viewModel()->refresh();
        try {
            if (cimzett_.recordCount() >= 1)
                cimzett_.moveLast();
        } catch (const StoreError&) {
        }
        grid1_->syncToView();
        p.pointer(Pointer::Arrow);
    } else if (jobList) {
        p.pointer(Pointer::Arrow);
    }
}

bool LaporaX::wantsMaximised() {
    return settingsWantMaximised(parameterData_);
}

void LaporaX::showInSetSize() {
    if (wantsMaximised())
        showMaximized();
    else if (isMaximized())
        showNormal();
    else
        show();
}

void LaporaX::openStagingTable() {
    openWindow(QStringLiteral("AthozatTabla"));
}
void LaporaX::openInvoiceImport() {
    openWindow(QStringLiteral("SzamlA"));
}
void LaporaX::openWarehouseImport() {
    openWindow(QStringLiteral("RaktarbolAthoz"));
}
void LaporaX::printCurrentSheet() {
    Prompter& p = session_.prompter;
    bool sheet = false;
    try {
        sheet = laporakData_.recordCount() >= 1 && laporakData_.hasCurrent();
    } catch (const StoreError&) {
    }
    const auto noData = [&p] {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelem, msg::kNincsNyomtatando, Icon::Exclamation, Buttons::Ok);
    };
    if (!sheet) {
        noData();
        return;
    }
    // The page shows what is stored: the edits on screen go in first, and a refused write prints nothing.
    if (!writePendingEdits()) {
        p.pointer(Pointer::Arrow);
        return;
    }
    std::vector<std::pair<QString, QString>> cells;
    try {
        cells = certificateCells(laporakData_, session_);
    } catch (const StoreError&) {
        noData();
        return;
    }
    p.pointer(Pointer::Arrow);
    auto page = std::make_unique<PageLayoutWindow>(certificateLayout(), session_, this);
    for (const QString& cell : certificateClearedCells())
        page->setCellText(cell, QString());
    for (const auto& [cell, text] : cells)
        page->setCellText(cell, text);
    p.pointer(Pointer::Arrow);
    // Like every window the menu opens (the manual aside), the page stands alone while it is shown.
    hide();
    session_.modal.showModal(page.get());
    page.reset();
    show();
    // Whether or not the page went to the printer.
    log(u("Lap nyomtatása"));
    // Back from a window this one opened.
    activate();
    p.pointer(Pointer::Arrow);
}
void LaporaX::openJobList() {
    openWindow(QStringLiteral("LPNyom"));
}
void LaporaX::openCompanyRegister() {
    openWindow(QStringLiteral("LPCeg"));
}
void LaporaX::openSettings() {
    openWindow(QStringLiteral("ParametereK"));
}
void LaporaX::openLog() {
    openWindow(QStringLiteral("naplozaS"));
}
void LaporaX::openManual() {
    openWindow(QStringLiteral("Kezikonyv"));
}

// ---- field events ---------------------------------------------------------------------------------------

void LaporaX::fieldFocusIn(QWidget* w) {
    fields_.focusIn(w);
}

void LaporaX::fieldFocusOut(QWidget* w) {
    fields_.focusOut(w);
}

void LaporaX::onFieldFocusIn(QWidget* w) {
    if (w == text7_)
        command1_->setDefault(false);
}

void LaporaX::onFieldFocusOut(QWidget* w) {
    if (w == text_[8] || w == text_[9])
        recalcGross();
    if (w == text7_)
        command1_->setDefault(true);
}

bool LaporaX::amountKeyAllowed(const QKeyEvent& e) {
    return fields_.judgeKey(keyrules::amount, e);
}

bool LaporaX::eventFilter(QObject* o, QEvent* e) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w)
        return false;
    switch (e->type()) {
    case QEvent::MouseButtonRelease:
        if (qobject_cast<QLabel*>(w) && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            search(w->objectName());
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void LaporaX::keyPressEvent(QKeyEvent* e) {
    // Enter anywhere but the description saves, as the window's default button.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && command1_->isDefault() &&
        command1_->isEnabled()) {
        command1_->click();
        e->accept();
        return;
    }
    QMainWindow::keyPressEvent(e);
}

} // namespace lapora
