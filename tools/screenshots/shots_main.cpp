// Pictures the program's real windows for docs/ and the user manual: each window of the list (ShotList.cpp)
// is built on a fixture working folder and grabbed to PNG. Run by scripts/screenshots.sh.
//   lapora_shots <output folder> [file ...]   (files: only these pictures)
#include "Clock.h"
#include "Database.h"
#include "Fonts.h"
#include "HelpFormX.h"
#include "ModalHost.h"
#include "Printer.h"
#include "Prompter.h"
#include "Session.h"
#include "Shots.h"
#include "Templates.h"
#include "Value.h"
#include "View.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <map>

using namespace lapora;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// Answers every question with No and every message with OK: the first-start question of the main window
// then leaves the fixture's job sheets as they are.
class QuietPrompter : public Prompter {
public:
    Answer message(const QString&, const QString& text, Icon, Buttons buttons) override {
        std::fprintf(stderr, "  (message: %s)\n", qPrintable(text));
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void beep() override {}
    void pointer(Pointer) override {}
};

class NoPrinter : public Printer {
public:
    bool setOrientation(Orientation o) override {
        o_ = o;
        return true;
    }
    Orientation orientation() const override { return o_; }
    bool printPage(const Page&) override { return true; }
    bool printText(const QString&) override { return true; }
    bool endDocument() override { return true; }

private:
    Orientation o_ = Orientation::Portrait;
};

void settle(QWidget* w) {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    w->repaint();
    QApplication::processEvents();
}

bool grab(QWidget* w, const QString& path) {
    w->show();
    w->raise();
    w->activateWindow();
    settle(w);
    const bool ok = w->grab().save(path, "PNG");
    std::printf("%s %s\n", ok ? "picture" : "FAILED", qPrintable(path));
    return ok;
}

// Pictures the window of the wanted name when it is shown modally, then closes it.
class GrabbingModalHost : public ModalHost {
public:
    QString wanted, path;
    bool done = false;
    void showModal(QWidget* window) override {
        if (!window)
            return;
        if (!done && window->objectName() == wanted)
            done = grab(window, path);
        window->close();
    }
};

using Fields = std::map<QString, Value>;
void add(const QString& file, const QString& table, const Fields& f) {
    View v(Database::open(file), table);
    v.addNew();
    for (const auto& [name, value] : f)
        v.setField(name, value);
    v.update();
}

// The fixture: a few companies, job sheets and staging lines, and the settings record.
void fillWorkFolder() {
    const QString lapora = QStringLiteral("lapora.mdb");
    const char* const companies[][4] = {{"Kovács és Társa Kft.", "1117", "Budapest", "Irinyi József u. 42."},
                                        {"Dunántúli Vízművek Zrt.", "7621", "Pécs", "Király u. 31/B."},
                                        {"Árvíztűrő Tükörfúrógép Kft.", "6720", "Szeged", "Kárász u. 11."},
                                        {"Szabó Pékség Bt.", "4025", "Debrecen", "Piac u. 8."}};
    for (const auto& c : companies)
        add(lapora, u("Címzett"),
            {{u("CimNev"), Value::text(u(c[0]))},
             {u("CimIrszam"), Value::text(u(c[1]))},
             {u("CimSzekhely"), Value::text(u(c[2]))},
             {u("CimCim"), Value::text(u(c[3]))},
             {u("CimOrszag"), Value::text(QStringLiteral("H"))}});
    struct Job {
        QDate date;
        QTime time;
        int company;
        const char *work, *number, *by;
        double net, rate, hours;
    };
    const Job jobs[] = {{QDate(2013, 3, 4), QTime(8, 30), 0, "Kazán éves karbantartása", "00001",
                         "Horváth István szerelő", 24000, 27, 2},
                        {QDate(2013, 3, 5), QTime(9, 15), 1, "Szivattyú csere", "00002",
                         "Takács Zoltán szerelő", 58000, 27, 4},
                        {QDate(2013, 4, 12), QTime(10, 0), 0, "Radiátor szelepek cseréje", "00003",
                         "Horváth István szerelő", 18500, 27, 1.5},
                        {QDate(2013, 5, 21), QTime(13, 40), 2, "Fűtési rendszer nyomáspróbája", "00004",
                         "Horváth István szerelő", 15000, 27, 1.5}};
    for (const Job& j : jobs)
        add(lapora, QStringLiteral("Laporak"),
            {{u("Dátum"), Value::date(j.date)},
             {u("Idő"), Value::time(j.time)},
             {u("CégNeve"), Value::text(u(companies[j.company][0]))},
             {u("CégSzékhelye"), Value::text(u(companies[j.company][2]))},
             {u("CégCime"), Value::text(u(companies[j.company][3]))},
             {u("ElvégzettMunka"), Value::text(u(j.work))},
             {u("MunkalapSzáma"), Value::text(u(j.number))},
             {u("MunkátVégezte"), Value::text(u(j.by))},
             {u("Szoveg"), Value::text(u("Anyag: 1 db keringető szivattyú (1001. számla)"))},
             {u("NettóÁr"), Value::number(j.net)},
             {u("ÁFA"), Value::number(j.rate)},
             {u("BruttóÁr"), Value::number(qRound(j.net * (1 + j.rate / 100)))},
             {u("Munkaóra"), Value::number(j.hours)}});
    const char* const items[] = {"Keringető szivattyú", "Golyóscsap 1/2\"", "Tömítőgyűrű készlet"};
    for (int i = 0; i < 3; ++i)
        add(lapora, QStringLiteral("SzamlaAthozat"),
            {{u("Sorszám"), Value::number(i + 1)},
             {u("Szamlaszam"), Value::number(1001 + i / 2)},
             {u("CegNev"), Value::text(u(companies[1][0]))},
             {u("CegCim"), Value::text(u("7621 Pécs, Király u. 31/B."))},
             {u("Megnevezes"), Value::text(u(items[i]))},
             {u("Netto"), Value::number(12000 - 4000 * i)},
             {u("AFA"), Value::number(27)},
             {u("Brutto"), Value::number(qRound((12000 - 4000 * i) * 1.27))},
             {u("Adatfelvetel"), Value::date(QDate(2013, 3, 5))}});
    add(QStringLiteral("Parameter.lpb"), QStringLiteral("EmblemaPath"),
        {{u("KépernyöMérete"), Value::text(QStringLiteral("N"))},
         {u("SorszámKiegészités"), Value::text(QStringLiteral("/2013"))},
         {u("ÁllandóSzöveg"), Value::text(u("Köszönjük, hogy minket választott!"))}});
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    if (argc < 2) {
        std::fprintf(stderr, "usage: lapora_shots <output folder> [file ...]\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QStringList only;
    for (int i = 2; i < argc; ++i)
        only << QString::fromLocal8Bit(argv[i]);
    QDir().mkpath(out);

    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 1;
    try {
        schema::prepareWorkFolder(work.path());
        fillWorkFolder();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lapora_shots: fixture failed: %s\n", e.what());
        return 1;
    }
    // The help window reads the program's own help file (beside this program in the build tree).
    Clock::fix(QDate(2013, 5, 21), QTime(14, 5, 0));

    int failed = 0;
    for (const shots::Shot& shot : shots::shotList()) {
        if (!only.isEmpty() && !only.contains(shot.file))
            continue;
        QuietPrompter prompter;
        GrabbingModalHost modal;
        modal.wanted = shot.window;
        modal.path = QDir(out).filePath(shot.file);
        NoPrinter printer;
        Session session(prompter, modal);
        session.printer = &printer;
        session.endProgram = [] {};
        shots::Context context{session, work.path()};
        std::unique_ptr<QWidget> w = shot.open(context);
        if (w->objectName() == shot.window) {
            modal.done = grab(w.get(), modal.path);
        } else {
            w->show();
            settle(w.get());
            if (shot.act)
                shot.act(w.get());
        }
        if (!modal.done) {
            std::fprintf(stderr, "lapora_shots: %s was not shown\n", qPrintable(shot.window));
            ++failed;
        }
        if (auto* main = w.get(); main->isVisible()) {
            main->hide();
        }
        w.reset();
    }
    return failed ? 1 : 0;
}
