#include "JobList.h"

#include "Clock.h"
#include "DataGrid.h"
#include "Database.h"
#include "Imprint.h"
#include "MenuCommand.h"
#include "Messages.h"
#include "ModalHost.h"
#include "NullSafe.h"
#include "PageLayout.h"
#include "PageRun.h"
#include "Prompter.h"
#include "Regional.h"
#include "Session.h"
#include "StoreError.h"
#include "Twips.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>

#include <memory>

namespace lapora {

const QString LPNyomtatFormX::kCaption =
    QString::fromUtf8("Nyomtatás - a dátumra katintva szűr időintervallumra - Lapora");
const QString LPNyomtatFormX::kConnect =
    QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=lapora.mdb");

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// The file a connection text names ("Data Source=..."), opened by name in the working folder.
QString dataSourceOf(const QString& connect) {
    for (const QString& part : connect.split(QLatin1Char(';'))) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            return part.mid(eq + 1).trimmed();
    }
    return QString();
}

// A text literal of the query: a quote in the name is doubled, so any name finds its own job sheets.
QString quoted(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

// m/d/yyyy, plain numbers without leading zeros.
QString jetDate(const QDate& d) {
    return QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year());
}

std::optional<QDate> dateOf(const Value& v) {
    switch (v.type()) {
    case Value::Type::Date:
    case Value::Type::DateTime:
        return v.asDate();
    case Value::Type::Text:
        return regional::parseDate(v.asText());
    default:
        return std::nullopt;
    }
}

QString rowCell(int slot, int column) {
    return QStringLiteral("Label%1").arg(3 * slot + 3 + column);
}

} // namespace

LPNyomtatFormX::LPNyomtatFormX(Session& session, QWidget* parent) : QMainWindow(parent), session_(session) {
    setObjectName(QStringLiteral("LPNyomtatFormX"));
    setWindowTitle(kCaption);

    QMenuBar* bar = menuBar();
    addCommand(bar, "&Nyomtatás", "Nyomtat", this, &LPNyomtatFormX::print);
    addCommand(bar, "&Vissza", "Kilepes", this, &LPNyomtatFormX::quit);

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("Area"));
    setCentralWidget(area);

    label1_ = new QLabel(u("Nyomtatandó cég"), area);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(twipsRect(240, 120, 11760, 255));
    QFont bold = label1_->font();
    bold.setBold(true);
    label1_->setFont(bold);

    auto picker = [area](const char* name, int left) {
        auto* p = new QDateEdit(area);
        p->setObjectName(QString::fromLatin1(name));
        p->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
        p->setCalendarPopup(true);
        p->setDate(Clock::today());
        p->setGeometry(twipsRect(left, 480, 1500, 315));
        return p;
    };
    dtPicker1_ = picker("DTPicker1", 240);
    dtPicker2_ = picker("DTPicker2", 1920);
    dtPicker2_->setToolTip(u("Belekattintva szűr dátumra"));
    // A click anywhere in the field, its text part included, asks for the filter.
    dtPicker2_->installEventFilter(this);
    for (QLineEdit* e : dtPicker2_->findChildren<QLineEdit*>())
        e->installEventFilter(this);

    // Load: the company handed over by the main window, and its job sheets.
    company_ = session_.jobListCompany;
    label1_->setText(company_);
    try {
        cegAdodc_.open(Database::open(dataSourceOf(kConnect)), listQuery());
    } catch (const StoreError&) {
        // Stays closed: the grid shows nothing and "&Nyomtatás" finds no data.
    }

    grid_ = new DataGrid(cegAdodc_,
                         {{u("Dátum"), u("Dátum")},
                          {.caption = u("Idő"), .field = u("Idő"), .hourMinute = true},
                          {u("CégNeve"), u("CégNeve")},
                          {u("CégSzékhelye"), u("CégSzékhelye")},
                          {u("CégCime"), u("CégCime")},
                          {u("ElvégzettMunka"), u("ElvégzettMunka")},
                          {u("MunkalapSzáma"), u("MunkalapSzáma")},
                          {u("MunkátVégezte"), u("MunkátVégezte")}},
                         area);
    grid_->setObjectName(QStringLiteral("DataGrid1"));
    grid_->setGeometry(twipsRect(120, 960, 11880, 5055));
    grid_->setCaption(u("Cég - vállalkozás"));
    // Nothing here reacts to the grid: the rows stay in the order the pages print them.
    grid_->setHeaderSorting(false);

    resize(twipsToPixels(12240), twipsToPixels(6240, Qt::Vertical) + menuBar()->sizeHint().height());
}

LPNyomtatFormX::~LPNyomtatFormX() {
    // The grid listens to the query view: it goes first.
    delete takeCentralWidget();
}

QString LPNyomtatFormX::listQuery() const {
    return u("select * from laporak where CégNeve = ") + quoted(company_);
}

QString LPNyomtatFormX::rangeQuery() const {
    return listQuery() + u(" and Dátum >= #") + jetDate(dtPicker1_->date()) + u("# and ") + u("Dátum <= #") +
           jetDate(dtPicker2_->date()) + QLatin1Char('#');
}

void LPNyomtatFormX::runQuery(const QString& text) {
    try {
        cegAdodc_.setSource(text);
        cegAdodc_.requery();
    } catch (const StoreError&) {
    }
    grid_->viewModel()->refresh();
}

void LPNyomtatFormX::activate() {
    if (closed_)
        return;
    runQuery(listQuery());
    try {
        if (cegAdodc_.recordCount() >= 1) {
            cegAdodc_.moveFirst();
            // A row without a date leaves the field as it was.
            if (const auto d = dateOf(cegAdodc_.field(u("Dátum"))))
                dtPicker1_->setDate(*d);
            cegAdodc_.moveLast();
            if (const auto d = dateOf(cegAdodc_.field(u("Dátum"))))
                dtPicker2_->setDate(*d);
        }
    } catch (const StoreError&) {
    }
    grid_->syncToView();
}

void LPNyomtatFormX::dateFilter() {
    if (closed_)
        return;
    runQuery(rangeQuery());
    int rows = 0;
    try {
        rows = cegAdodc_.recordCount();
        if (rows >= 1)
            cegAdodc_.moveFirst();
    } catch (const StoreError&) {
    }
    if (rows == 0)
        session_.prompter.beep();
    grid_->syncToView();
}

bool LPNyomtatFormX::readRows(std::vector<Row>& rows) {
    rows.clear();
    try {
        const int n = cegAdodc_.recordCount();
        rows.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            // By position in the job-sheet table's field order.
            const auto at = [&](int col) { return cegAdodc_.valueAt(i, col); };
            Row r;
            r.dateTime = NullDate(at(0)).text() + QLatin1Char(' ') + TimeText(at(1));
            r.work = NullText(at(5));
            r.number = NullText(at(6));
            r.heading =
                NullText(at(2)) + QLatin1Char(' ') + NullText(at(3)) + QStringLiteral(", ") + NullText(at(4));
            rows.push_back(std::move(r));
        }
    } catch (const StoreError&) {
        rows.clear();
        return false;
    }
    return true;
}

bool LPNyomtatFormX::showPage(const QString& heading, const QStringList& cells, int page, bool last) {
    auto window = std::make_unique<PageLayoutWindow>(jobListLayout(), session_, this);
    for (int slot = 1; slot <= kRowsPerPage; ++slot)
        for (int col = 0; col < 3; ++col)
            window->setCellText(rowCell(slot, col), cells.at((slot - 1) * 3 + col));
    if (last)
        window->setCellText(QStringLiteral("Label47"), session_.settings.AllandoSzoveg);
    window->setCellText(QStringLiteral("Label2"), heading);
    window->setCellText(QStringLiteral("Label45"), u("Lapszám: ") + QString::number(page) + u(".   ") +
                                                       imprint::oneLine() + u(", nyomtatva: ") +
                                                       regional::formatDate(Clock::today()) + u("  ") +
                                                       regional::formatTime(Clock::now()));
    session_.prompter.pointer(Pointer::Arrow);
    session_.modal.showModal(window.get());
    window.reset();
    const bool goOn = !session_.layoutCancelled;
    // The page was in front of this window: closing it makes this one active again.
    activate();
    return goOn;
}

void LPNyomtatFormX::print() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    // The run keeps the rows it starts with: the re-query after each page must not move it.
    std::vector<Row> rows;
    if (!readRows(rows) || rows.empty()) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelem, msg::kNincsNyomtatando, Icon::Exclamation, Buttons::Ok);
        return;
    }
    QStringList cells;
    for (int i = 0; i < 3 * kRowsPerPage; ++i)
        cells << QString();
    QString heading = rows.front().heading;
    runPages(
        rows.size(), kRowsPerPage,
        [&](int slot, size_t i) {
            const Row& r = rows[i];
            cells[(slot - 1) * 3] = r.dateTime;
            cells[(slot - 1) * 3 + 1] = r.work;
            cells[(slot - 1) * 3 + 2] = r.number;
        },
        [&](int page, bool last, size_t next) {
            if (!last && next < rows.size())
                heading = rows[next].heading;
            const bool goOn = showPage(heading, cells, page, last);
            for (QString& c : cells)
                c.clear();
            return goOn;
        });
}

void LPNyomtatFormX::quit() {
    close();
}

void LPNyomtatFormX::closeEvent(QCloseEvent* e) {
    if (!closed_) {
        closed_ = true;
        try {
            cegAdodc_.close();
        } catch (const StoreError&) {
        }
    }
    e->accept();
}

void LPNyomtatFormX::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!opened_) {
        opened_ = true;
        activate();
    }
}

bool LPNyomtatFormX::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton &&
        (o == dtPicker2_ || o->parent() == dtPicker2_))
        dateFilter();
    return QMainWindow::eventFilter(o, e);
}

} // namespace lapora
