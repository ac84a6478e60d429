#include "NaploFormX.h"

#include "Clock.h"
#include "DataGrid.h"
#include "Database.h"
#include "FormArea.h"
#include "MenuCommand.h"
#include "Messages.h"
#include "Printer.h"
#include "Prompter.h"
#include "Regional.h"
#include "Schema.h"
#include "Session.h"
#include "StoreError.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QMenuBar>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

constexpr int kGridLeft = 120;
constexpr int kGridTop = 120;
constexpr int kGridWidth = 14400;
constexpr int kGridHeight = 6600;

} // namespace

const QString NaploFormX::kCaption = u("Napló állomány - Lapora");
const QString NaploFormX::kWindowName = QStringLiteral("NaploFormX");
const QString NaploFormX::kSource = u("select * from Regisztrálás order by AkcióDátuma, AkcióIdeje");

NaploFormX::NaploFormX(Session& session, QWidget* parent) : QMainWindow(parent), session_(session) {
    setObjectName(kWindowName);
    setWindowTitle(kCaption);
    try {
        naploData_.open(Database::open(QStringLiteral("regiszt.lpb")), kSource);
    } catch (const StoreError&) {
        // Without the log file the grid stays empty and there is nothing to print.
    }

    QMenuBar* bar = menuBar();
    addCommand(bar, "&Nyomtatás", "Nyomtat", this, &NaploFormX::printLog);
    addCommand(bar, "&Vissza", "Kilepes", this, &NaploFormX::back);

    QWidget* area = makeFormArea(this);
    std::vector<GridColumn> columns;
    for (const Column& c : schema::table(u("Regisztrálás")).columns)
        columns.push_back({c.name, c.name});
    grid_ = new DataGrid(naploData_, columns, area);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setGeometry(twipsRect(kGridLeft, kGridTop, kGridWidth, kGridHeight));
    grid_->setCaption(u("Napló állomány (Nem módosítható!)"));
    resize(twipsToPixels(kGridLeft * 2 + kGridWidth),
           twipsToPixels(kGridTop * 2 + kGridHeight, Qt::Vertical) + bar->sizeHint().height());
}

NaploFormX::~NaploFormX() {
    // The grid listens to the view: it goes first.
    delete takeCentralWidget();
}

void NaploFormX::printLog() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    QString text;
    try {
        if (naploData_.isOpen() && naploData_.recordCount() >= 1 && !naploData_.eof()) {
            if (!naploData_.hasCurrent()) // before the first row: the print starts at the first
                naploData_.moveFirst();
            text = u("FakturoW programkezelési napló - ") + regional::formatDate(Clock::today()) +
                   QStringLiteral(" - ") + regional::formatTime(Clock::now());
            const auto f = [this](const char* name) { return naploData_.field(u(name)).display(); };
            const QString cr = QStringLiteral("\r");
            const QString sp = QStringLiteral(" ");
            // From the cursor to the end, in the order the grid shows; the view ends past its last row.
            while (!naploData_.eof()) {
                text += cr + sp + f("Felhasználó") + sp + f("AkcióDátuma") + sp + sp + f("AkcióIdeje") + sp +
                        f("Akció") + sp + f("Számlaszám") + sp + f("OkmányTipus") + cr;
                naploData_.moveNext();
            }
        }
    } catch (const StoreError&) {
        text.clear(); // a log that cannot be read prints nothing
    }
    if (!text.isEmpty()) {
        Printer* printer = session_.printer;
        const auto notReady = [&p] {
            p.pointer(Pointer::Arrow);
            p.beep();
            p.message(msg::kFigyelem, msg::kNincsNyomtato, Icon::Error, Buttons::Ok);
            p.beep();
        };
        const bool printed =
            printer && printer->setOrientation(Orientation::Landscape) && printer->printText(text);
        if (!printed)
            notReady();
        // Ended in either case; a document that fails to go out is no print either.
        const bool ended = printer && printer->endDocument();
        if (printed && !ended)
            notReady();
    }
    grid_->syncToView();
    p.pointer(Pointer::Arrow);
}

void NaploFormX::back() {
    close();
}

void NaploFormX::closeEvent(QCloseEvent* e) {
    try {
        naploData_.close();
    } catch (const StoreError&) {
    }
    e->accept();
}

} // namespace lapora
