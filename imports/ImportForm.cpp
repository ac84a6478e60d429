#include "ImportForm.h"

#include "BusyButton.h"
#include "DataGrid.h"
#include "Database.h"
#include "FirstShow.h"
#include "FormArea.h"
#include "MenuCommand.h"
#include "Messages.h"
#include "NavBar.h"
#include "NullSafe.h"
#include "Prompter.h"
#include "Regional.h"
#include "Schema.h"
#include "Session.h"
#include "StoreError.h"
#include "Twips.h"
#include "ViewRows.h"
#include "WriteLock.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

#include <optional>

namespace lapora {

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// The layout in twips: the grid with its navigation bar on top, the quick finder and the buttons below.
constexpr int kLeft = 120;
constexpr int kWindowWidth = 15360;
constexpr int kGridTop = 120;
constexpr int kGridWidth = 11400;
constexpr int kGridHeight = 5280;
constexpr int kNavTop = kGridTop + kGridHeight;
constexpr int kNavHeight = 345;
constexpr int kFindTop = kNavTop + kNavHeight + 180;
constexpr int kButtonTop = kFindTop + 480;
constexpr int kButtonWidth = 2100;
constexpr int kButtonHeight = 450;
constexpr int kWindowHeight = kButtonTop + kButtonHeight + 240;
constexpr int kWidenMargin = 315;

const QString kSorszamTitle = u("FIGYELEM! Egy számot kell megadni!");
const QString kSorszamText = u("A megadott sorszám nem létezik, vagy rosszul adta meg!");

} // namespace

const QString ImportForm::kSaveErrorCaption =
    u("ADATMENTÉSI HIBA VAN A TÁBLÁBAN! ELLENŐRIZZE AZ ADATSOROKAT, "
      "MERT LEHET HIÁNYZÓ TÉTELSOR!");
const QString ImportForm::kGridCaption = u("Átméretezésre kattintson ide!");

ImportForm::ImportForm(Session& session, Config config)
    : session_(session), config_(std::move(config)), fields_(data_, session.prompter) {
    setObjectName(config_.windowName);
    setWindowTitle(config_.caption);
    quit_ = true;
    try {
        lapora_ = Database::open(schema::kLaporaFile);
        data_.open(lapora_, config_.table);
        atviszData_.open(lapora_, u("select  * from SzamlaAthozat order by Sorszám"));
    } catch (const StoreError&) {
        // A view that cannot open stays closed: its grid is empty and the commands find no row.
    }
    buildControls();
    resize(twipsToPixels(kWindowWidth),
           twipsToPixels(kWindowHeight, Qt::Vertical) + menuBar()->sizeHint().height());
    fields_.load();
    // Load.
    setCommands(false);
    onFirstShow(this, [this] {
        if (!activated_)
            activate();
    });
}

ImportForm::~ImportForm() {
    captionLabel_->removeEventFilter(this);
    captionLabel_ = nullptr;
    fields_.detach();
    // The grid listens to the collection view: it goes first.
    delete takeCentralWidget();
}

void ImportForm::buildControls() {
    kilepes_ = addCommand(menuBar(), "&Kilépés", "Kilepes", this, &ImportForm::exitCommand);

    QWidget* area = makeFormArea(this);

    std::vector<GridColumn> columns;
    const auto& fields = schema::table(config_.table).columns;
    for (size_t i = static_cast<size_t>(config_.firstGridColumn); i < fields.size(); ++i)
        columns.push_back({fields[i].name, fields[i].name});
    grid1_ = new DataGrid(data_, columns, area);
    grid1_->setObjectName(QStringLiteral("DBGrid1"));
    grid1_->setGeometry(twipsRect(kLeft, kGridTop, kGridWidth, kGridHeight));
    grid1_->setCaption(kGridCaption);
    grid1_->setPrompter(&session_.prompter);
    if (!config_.gridTooltip.isEmpty())
        grid1_->setToolTip(config_.gridTooltip);
    if (config_.editableGrid) {
        grid1_->setEditable(true);
        grid1_->viewModel()->setWriteFailed([this] { showWriteRefused(session_.prompter); });
    }
    connect(grid1_, &QAbstractItemView::clicked, this, [this] { widenGrid(); });
    captionLabel_ = grid1_->captionLabel();
    captionLabel_->installEventFilter(this);

    nav_ = new NavBar(data_, grid1_, config_.navCaption, area);
    nav_->setObjectName(QStringLiteral("Data"));
    nav_->setGeometry(twipsRect(kLeft, kNavTop, kGridWidth, kNavHeight));
    nav_->setFailureHandler([this](const StoreError&) { storeRefused(); });

    text1_ = new QLineEdit(area);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setToolTip(u("Számlaszámra keres"));
    text1_->setGeometry(twipsRect(kLeft, kFindTop, 1400, 315));
    fields_.setKeyRule(text1_, keyrules::digitsOnly);
    fields_.setSelectAllOnClick(text1_);
    connect(text1_, &QLineEdit::textChanged, this, [this] { quickFind(); });

    label1_ = new QLabel(config_.findLabel, area);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(twipsRect(kLeft + 1460, kFindTop + 45, 2700, 240));

    label2_ = new QLabel(area);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(twipsRect(kLeft + 4260, kFindTop, 1400, 315));
    label2_->setFrameShape(QFrame::Panel);
    label2_->setFrameShadow(QFrame::Sunken);
    label2_->setAlignment(Qt::AlignCenter);
    fields_.bind(label2_, config_.key);

    struct ButtonDef {
        int n;
        const char* caption;
        const char* tooltip;
        void (ImportForm::*slot)();
    };
    const ButtonDef buttons[] = {
        {1, "Feltöltés", "Új adat, sor", &ImportForm::collect},
        {2, "Adatsort töröl", "Kijelölt sort véglegesen törli", &ImportForm::deleteLine},
        {3, "Vissza-átadás", "Kiválaszt és helyettesít", &ImportForm::transfer},
        {4, "Összes törlése", nullptr, &ImportForm::deleteAll},
    };
    for (const ButtonDef& d : buttons) {
        auto* b = new QPushButton(u(d.caption), area);
        b->setObjectName(QStringLiteral("Command%1").arg(d.n));
        if (d.tooltip)
            b->setToolTip(u(d.tooltip));
        b->setGeometry(
            twipsRect(kLeft + (d.n - 1) * (kButtonWidth + 120), kButtonTop, kButtonWidth, kButtonHeight));
        setButtonColour(b, kIdleWhite);
        connect(b, &QPushButton::clicked, this, d.slot);
        command_[d.n] = b;
    }
}

// ---- shared steps ---------------------------------------------------------------------------------------

void ImportForm::setCommands(bool on) {
    for (int n = 2; n <= 4; ++n)
        command_[n]->setEnabled(on);
}

void ImportForm::requery(View& v) {
    try {
        if (v.isOpen())
            v.requery();
    } catch (const StoreError&) {
    }
}

void ImportForm::setCollectionSource(const QString& source) {
    // A new row set on the new source, as a changed source always gave: a header sort does not carry over.
    data_.setSource(source);
    try {
        if (data_.isOpen())
            data_.recreate();
    } catch (const StoreError&) {
    }
}

void ImportForm::refreshGrid() {
    grid1_->viewModel()->refresh();
    grid1_->syncToView();
}

void ImportForm::showLast(bool focusFind) {
    try {
        data_.moveLast();
        text1_->setText(NullNumber(data_.field(config_.key)).text());
    } catch (const StoreError&) {
    }
    if (focusFind)
        text1_->setFocus();
}

bool ImportForm::commitGridEdits() {
    if (!config_.editableGrid)
        return true;
    grid1_->commitEdit();
    return grid1_->viewModel()->writeOrReport(); // a refusal is shown
}

void ImportForm::storeRefused() {
    showWriteRefused(session_.prompter);
}

std::shared_ptr<Database> ImportForm::openForeign(const QString& folder, const QString& fileName) {
    // The folder comes from the settings record with either separator; the file name in any letter case.
    return Database::open(folder + QLatin1Char('\\') + fileName, QString(), Database::Access::ReadOnly);
}

bool ImportForm::openSource(Source& s, const std::shared_ptr<Database>& file) {
    try {
        // Reading the whole table here: a damaged file fails now, not halfway through a collection.
        s.view.open(file, s.table);
        s.view.recordCount();
        return true;
    } catch (const StoreError&) {
        try {
            s.view.close();
        } catch (const StoreError&) {
        }
        return false;
    }
}

// ---- start-up and exit ----------------------------------------------------------------------------------

void ImportForm::activate() {
    activated_ = true;
    Prompter& p = session_.prompter;
    if (!hasRows(data_)) {
        setCommands(false);
    } else {
        setCommands(true);
        p.beep();
        p.pointer(Pointer::Arrow);
        p.beep();
        if (p.message(u("FIGYELEM!)"), u("Nem üres az áthozatal táblája! Törli az összes adatot most?"),
                      Icon::Question, Buttons::YesNo) == Answer::Yes) {
            deleteAll();
            setCommands(false);
        }
    }
    openSources();
}

void ImportForm::exitCommand() {
    // A cell typed in the grid goes in first; a refused write keeps the window open with the text.
    if (grid1_ && data_.isOpen() && !commitGridEdits())
        return;
    quit_ = false;
    exited_ = true;
    std::vector<View*> views{&atviszData_};
    for (auto it = sources_.rbegin(); it != sources_.rend(); ++it)
        views.push_back(&(*it)->view);
    views.push_back(&data_);
    for (View* v : views) {
        try {
            v->close();
        } catch (const StoreError&) {
        }
    }
    close();
}

void ImportForm::closeEvent(QCloseEvent* e) {
    if (quit_) {
        exitCommand();
        if (quit_) {
            e->ignore();
            return;
        }
    }
    e->accept();
}

bool ImportForm::eventFilter(QObject* o, QEvent* e) {
    if (o == captionLabel_ && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        widenGrid();
        return true;
    }
    return QMainWindow::eventFilter(o, e);
}

void ImportForm::widenGrid() {
    const int w = std::max(0, width() - twipsToPixels(kLeft + kWidenMargin));
    const QRect g = grid1_->geometry();
    grid1_->setGeometry(g.x(), g.y(), w, g.height());
    const QRect n = nav_->geometry();
    nav_->setGeometry(n.x(), n.y(), w, n.height());
}

// ---- quick find and deletions -----------------------------------------------------------------------------

void ImportForm::quickFind() {
    Prompter& p = session_.prompter;
    int rows = 0;
    try {
        if (!data_.isOpen()) {
            p.pointer(Pointer::Arrow);
            return;
        }
        rows = data_.recordCount();
    } catch (const StoreError&) {
        exitCommand();
        return;
    }
    if (rows < 1) {
        p.pointer(Pointer::Arrow);
        return;
    }
    const double n = NullNumber(text1_->text()).value();
    if (n == 0)
        return;
    p.pointer(Pointer::Hourglass);
    try {
        const QString number = QString::number(n, 'g', 15);
        if (!data_.findFirst(QLatin1Char('[') + config_.key + QStringLiteral("] = ") + number)) {
            p.beep();
            data_.moveLast();
        }
    } catch (const StoreError&) {
        p.beep();
    }
    p.pointer(Pointer::Arrow);
}

void ImportForm::deleteLine() {
    Prompter& p = session_.prompter;
    if (!commitGridEdits())
        return;
    {
        BusyButton busy(command_[2]);
        if (!hasRows(data_)) {
            command_[2]->setEnabled(false);
        } else {
            p.pointer(Pointer::Arrow);
            p.beep();
            if (p.message(msg::kFigyelemTorles, u("Biztosan véglegesen törli az adatsort (Delete)?"),
                          Icon::Exclamation, Buttons::YesNo) == Answer::Yes) {
                p.pointer(Pointer::Hourglass);
                try {
                    data_.remove();
                    data_.moveNext();
                    if (!hasRows(data_)) {
                        p.pointer(Pointer::Arrow);
                        p.beep();
                        p.message(msg::kFigyelem, u("Minden adat törölve (Deleted All)!"), Icon::Exclamation,
                                  Buttons::Ok);
                    } else if (data_.eof()) {
                        data_.moveLast();
                    }
                } catch (const StoreError&) {
                    storeRefused();
                }
                grid1_->syncToView();
            }
        }
    }
    p.pointer(Pointer::Arrow);
}

void ImportForm::deleteAll() {
    Prompter& p = session_.prompter;
    if (!commitGridEdits())
        return;
    {
        BusyButton busy(command_[4]);
        if (!hasRows(data_)) {
            command_[4]->setEnabled(false);
        } else {
            p.pointer(Pointer::Arrow);
            p.beep();
            if (p.message(msg::kFigyelemTorles, u("Biztosan véglegesen törli az összes adatot (Delete All)?"),
                          Icon::Exclamation, Buttons::YesNo) == Answer::Yes) {
                p.pointer(Pointer::Hourglass);
                // All or none: a refused delete keeps every line.
                try {
                    WriteLock lock(*lapora_);
                    data_.moveFirst();
                    while (!data_.eof()) {
                        data_.remove();
                        data_.moveNext();
                    }
                    lock.commit();
                    setCommands(false);
                    command_[1]->setFocus();
                    resetFilter();
                } catch (const StoreError&) {
                    requery(data_);
                    refreshGrid();
                    storeRefused();
                }
            }
        }
    }
    p.pointer(Pointer::Arrow);
}

// ---- collection -------------------------------------------------------------------------------------------

void ImportForm::collect() {
    Prompter& p = session_.prompter;
    if (!commitGridEdits())
        return;
    {
        BusyButton busy(command_[1]);
        resetFilter();
        p.pointer(Pointer::Hourglass);
        setCollectionSource(config_.orderedSource);
        refreshGrid();
        if (!hasRows(data_)) {
            setCommands(false);
            command_[1]->setFocus();
        } else {
            showLast();
            setCommands(true);
        }
        for (auto& s : sources_) {
            if (!collectFrom(*s))
                return; // the buttons and the collection view keep their state
        }
        if (hasRows(data_)) {
            setCommands(true);
            setCollectionSource(config_.finalSource);
            refreshGrid();
            try {
                data_.moveLast();
            } catch (const StoreError&) {
            }
        } else {
            setCommands(false);
        }
    }
    p.pointer(Pointer::Arrow);
}

bool ImportForm::collectFrom(Source& s) {
    Prompter& p = session_.prompter;
    if (!hasRows(s.view))
        return true;
    p.pointer(Pointer::Arrow);
    const auto number = imports::serialNumber(p.input(s.title, s.prompt, QString()));
    if (!number) {
        p.beep();
        return true;
    }
    p.pointer(Pointer::Hourglass);
    try {
        s.view.setSource(s.query + *number + s.ordering);
        s.view.requery();
    } catch (const StoreError&) {
        p.beep();
        p.pointer(Pointer::Arrow);
        p.message(u("FIGYELEM! SÚLYOS ADATBÁZIS HIBA!"), s.failText, Icon::Error, Buttons::Ok);
        return false;
    }
    if (!hasRows(s.view)) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(kSorszamTitle, kSorszamText, Icon::Exclamation, Buttons::Ok);
        s.view.setSource(QStringLiteral("select * from ") + s.table);
        requery(s.view);
        return true;
    }
    copyLines(s);
    return true;
}

void ImportForm::copyLines(Source& s) {
    Prompter& p = session_.prompter;
    if (!lapora_)
        return;
    // One transaction per source: the lines go in together and fast; a line the store refuses is left out
    // and said so in the grid caption, the others still go in. They are written through a view of their own
    // and the collection view shows them once the source is done, so its grid is not rebuilt for every line.
    std::optional<WriteLock> lock;
    try {
        lock.emplace(*lapora_);
    } catch (const StoreError&) {
    }
    const auto refused = [&] {
        p.beep();
        grid1_->setCaption(kSaveErrorCaption);
    };
    View lines;
    int rows = 0;
    try {
        lines.open(lapora_, config_.table);
        rows = s.view.recordCount();
    } catch (const StoreError&) {
        refused();
    }
    const int sourceFields = s.view.fieldCount();
    for (int r = 0; r < rows; ++r) {
        try {
            lines.addNew();
        } catch (const StoreError&) {
            refused();
            break;
        }
        for (int pos = 0; pos <= s.lastPosition; ++pos) {
            bool copied = false;
            if (pos < sourceFields && pos < lines.fieldCount()) {
                try {
                    const Value v = s.view.valueAt(r, pos);
                    if (imports::storable(v, lines.column(pos).type)) {
                        lines.setField(pos, v);
                        copied = true;
                    }
                } catch (const StoreError&) {
                }
            }
            if (!copied)
                p.beep();
        }
        try {
            lines.update();
        } catch (const StoreError&) {
            lines.cancelUpdate();
            refused();
        }
    }
    if (lock) {
        try {
            lock->commit();
        } catch (const StoreError&) {
            // The source's lines are gone with the transaction; earlier sources' lines stay.
            lock.reset();
            refused();
            storeRefused();
        }
    }
    requery(data_);
    refreshGrid();
    try {
        if (hasRows(data_))
            data_.moveLast();
    } catch (const StoreError&) {
    }
}

// ---- transfer
// -----------------------------------------------------------------------------------------------

void ImportForm::transfer() {
    Prompter& p = session_.prompter;
    if (!commitGridEdits())
        return;
    bool leave = true;
    {
        BusyButton busy(command_[3]);
        if (hasRows(data_)) {
            p.pointer(Pointer::Arrow);
            p.beep();
            const bool all = p.message(msg::kFigyelem, u("Átviszi a táblázat összes adatát?"), Icon::Question,
                                       Buttons::YesNo) == Answer::Yes;
            p.pointer(Pointer::Hourglass);
            stamp_ = imports::transferStamp();
            if (!hasRows(atviszData_)) {
                nextLine_ = 1;
            } else {
                p.pointer(Pointer::Arrow);
                p.beep();
                if (p.message(msg::kFigyelem,
                              u("Az átvitel táblája nem üres! Hozzáfűzi az adatokat a meglévőkhöz?"),
                              Icon::Question, Buttons::YesNo) == Answer::No)
                    return; // nothing written; the window stays open
                try {
                    atviszData_.moveLast();
                    nextLine_ = static_cast<int>(NullNumber(atviszData_.field(u("Sorszám"))).value()) + 1;
                } catch (const StoreError&) {
                    storeRefused();
                    return;
                }
            }
            if (all) {
                try {
                    data_.moveFirst();
                } catch (const StoreError&) {
                }
                leave = transferLines();
            } else {
                p.pointer(Pointer::Arrow);
                const auto typed = p.input(u("Adatimport - Nem kéri: írjon nullát!"),
                                           u("Kérem a sorszámot, amitől kezdve átvisz adatot:"), QString());
                p.pointer(Pointer::Hourglass);
                const auto number = imports::serialNumber(typed);
                if (!number) {
                    p.beep();
                } else {
                    setCollectionSource(startSource(*number));
                    refreshGrid();
                    if (!hasRows(data_)) {
                        p.pointer(Pointer::Arrow);
                        p.beep();
                        p.message(kSorszamTitle, kSorszamText, Icon::Exclamation, Buttons::Ok);
                    } else {
                        try {
                            data_.moveFirst();
                        } catch (const StoreError&) {
                        }
                        leave = transferLines();
                    }
                }
            }
        }
    }
    p.pointer(Pointer::Arrow);
    if (leave)
        exitCommand();
}

bool ImportForm::transferLines() {
    // All or none: a line the store refuses takes the lines of this transfer back with it, so the user can
    // run it again without doubles; the staging lines there before are untouched.
    if (!lapora_)
        return true;
    try {
        WriteLock lock(*lapora_);
        try {
            // From the current row to the last, in the view's order, without moving the view: its grid and
            // fields need not follow every line.
            const int rows = data_.recordCount();
            for (int r = std::max(0, data_.position()); r < rows; ++r) {
                atviszData_.addNew();
                atviszData_.setField(u("Sorszám"), Value::number(nextLine_));
                config_.mapping(data_, r, atviszData_);
                atviszData_.setField(u("recordID"), Value::text(stamp_));
                atviszData_.update();
                atviszData_.moveLast();
                ++nextLine_; // the number just written: no need to read the row back
                stamp_ = imports::transferStamp();
            }
        } catch (const StoreError&) {
            atviszData_.cancelUpdate();
            throw;
        }
        lock.commit();
    } catch (const StoreError&) {
        requery(atviszData_);
        storeRefused();
        return false;
    }
    return true;
}

} // namespace lapora
