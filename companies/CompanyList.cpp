// The company list: 22 companies a page on the company-list page, from the current company to the last in
// the view's order.
#include "CimzettForm.h"
#include "ViewRows.h"

#include "Clock.h"
#include "Messages.h"
#include "ModalHost.h"
#include "NullSafe.h"
#include "PageLayout.h"
#include "PageRun.h"
#include "Prompter.h"
#include "Regional.h"
#include "Session.h"
#include "StoreError.h"

#include <array>
#include <memory>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

constexpr int kColumns = 6;
using ListRow = std::array<QString, kColumns>;

// Row k (from 1) of the page uses the labels 6k+2 to 6k+7, left to right.
QString rowCell(int slot, int column) {
    return QStringLiteral("Label%1").arg(kColumns * slot + 2 + column);
}

} // namespace

void CimzettForm::printList() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    const auto standOnLast = [this, &p] {
        p.pointer(Pointer::Arrow);
        try {
            if (hasRows(cimzett_) && cimzett_.eof())
                cimzett_.moveLast();
        } catch (const StoreError& e) {
            storeFailed(e);
        }
    };
    if (!hasRows(cimzett_)) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelem, msg::kNincsNyomtatando, Icon::Exclamation, Buttons::Ok);
        standOnLast();
        return;
    }
    // The list shows what is stored: what is typed goes in first.
    if (!fields_.writePendingEdits()) {
        p.pointer(Pointer::Arrow);
        return;
    }
    // The run's own copy of the rows, read before the first page: what happens while a page is shown, the
    // window's activation among it, cannot move the run.
    std::vector<ListRow> rows;
    try {
        const int n = cimzett_.recordCount();
        const int from = cimzett_.hasCurrent() ? cimzett_.position() : (cimzett_.eof() ? n : 0);
        const auto column = [this](const char* field) { return cimzett_.fieldIndex(u(field)); };
        const int name = column("CimNev"), postal = column("CimIrszam"), country = column("CimOrszag"),
                  seat = column("CimSzekhely"), street = column("CimCim"), phone = column("CimTelefon"),
                  fax = column("CimFax");
        for (int i = from; i < n; ++i) {
            const auto text = [&](int col) { return NullText(cimzett_.valueAt(i, col)); };
            rows.push_back({text(name), text(postal), text(country), text(seat), text(street),
                            text(phone) + QStringLiteral(" / ") + text(fax)});
        }
    } catch (const StoreError& e) {
        storeFailed(e);
        p.pointer(Pointer::Arrow);
        return;
    }

    std::array<QString, kRowsPerPage * kColumns> cells;
    const QString issued = u("Kiadva: ") + regional::formatDate(Clock::today());
    runPages(
        rows.size(), kRowsPerPage,
        [&](int slot, size_t row) {
            for (int c = 0; c < kColumns; ++c)
                cells[static_cast<size_t>((slot - 1) * kColumns + c)] = rows[row][static_cast<size_t>(c)];
        },
        [&](int page, bool last, size_t) {
            auto window = std::make_unique<PageLayoutWindow>(companyListLayout(), session_, this);
            window->setCellText(QStringLiteral("Label1"), u("CÉGEK-VÁLLALKOZÓK"));
            for (int slot = 1; slot <= kRowsPerPage; ++slot)
                for (int c = 0; c < kColumns; ++c)
                    window->setCellText(rowCell(slot, c),
                                        cells[static_cast<size_t>((slot - 1) * kColumns + c)]);
            window->setCellText(QStringLiteral("Label140"), issued);
            window->setCellText(QStringLiteral("Label141"), u("Lapszám: ") + QString::number(page));
            p.pointer(Pointer::Arrow);
            session_.modal.showModal(window.get());
            window.reset();
            const bool goOn = !session_.layoutCancelled;
            // The last page is logged whether the user printed it or not, "Mégse" included.
            if (last)
                log(u("Címzett nyomtatása"));
            p.pointer(Pointer::Arrow);
            cells.fill(QString());
            return goOn;
        });
    // The pages were in front of the window: its activation, held back while the run went on, comes now.
    activate();
    standOnLast();
}

} // namespace lapora
