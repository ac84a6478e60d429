#pragma once

#include "Clock.h"
#include "DataGrid.h"
#include "Database.h"
#include "Messages.h"
#include "Prompter.h"
#include "QtPrinters.h"
#include "RecordingPrinter.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "TestRows.h"
#include "View.h"
#include "WorkFolder.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTime>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace lapora::test {

// Where the window tests' clock stands.
inline const QDate kToday(2013, 5, 7);
inline const QTime kNow(9, 15, 30);

// Types text the way the keyboard does, one character at a time (accented letters included).
inline void type(QWidget* w, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// Types into a grid cell the way the user does: the first key opens the editor, the rest go into it.
inline void typeInCell(DataGrid* grid, int row, int col, const QString& keys) {
    grid->setCurrentIndex(grid->model()->index(row, col));
    for (const QChar ch : keys) {
        QWidget* target = grid->cellEditor() ? static_cast<QWidget*>(grid->cellEditor()) : grid;
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// The texts of one column of a grid's model, top to bottom.
inline QStringList columnTexts(const QAbstractItemModel* model, int col) {
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, col).data().toString();
    return out;
}

// The main window's question at its first activation: a new blank row?
inline void expectNewRowQuestion(ScriptedPrompter& p, Answer answer = Answer::No) {
    p.expectMessage(QString::fromUtf8("FIGYELEM! Új üres sor kérése!"),
                    QString::fromUtf8("Kér most új adatot (üres sort)?"), Icon::Question, Buttons::YesNo,
                    answer);
}

// One row of the log as shown: what was done, the window that wrote it, the kind of document.
struct LogRow {
    QString action, window, kind;
};

inline std::vector<LogRow> readLog() {
    View v(Database::open(QStringLiteral("Regiszt.lpb")), QString::fromUtf8("Regisztrálás"));
    std::vector<LogRow> out;
    for (int i = 0; i < v.recordCount(); ++i)
        out.push_back({v.valueAt(i, 4).display(), v.valueAt(i, 7).display(), v.valueAt(i, 9).display()});
    return out;
}

// The logged actions in order. Every row must come from `window` and be of `kind`, where they are given.
inline QStringList loggedActions(const QString& window = QString(), const QString& kind = QString()) {
    QStringList out;
    for (const LogRow& r : readLog()) {
        out << r.action;
        if (!window.isEmpty()) {
            EXPECT_EQ(r.window, window);
        }
        if (!kind.isEmpty()) {
            EXPECT_EQ(r.kind, kind);
        }
    }
    return out;
}

// A window under test on a fresh working folder: dialogs from a script, modal windows handed to the test's
// handlers, pages into a recording printer, the end of the program counted, the clock at kToday, kNow.
// At the end the window goes first, and every dialog the test expected must have come.
template <class Window, class Prompt = ScriptedPrompter> class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clock::fix(kToday, kNow);
        session.printer = &printer;
        session.endProgram = [this] { ++ended; };
    }
    void TearDown() override {
        w.reset();
        Clock::release();
        EXPECT_TRUE(prompter.done()) << "not every expected dialog came";
    }

    // A control of the window by its objectName; a missing one fails the test.
    template <class T> T* child(const QString& name) {
        T* c = w->template findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    template <class T> T* child(const char* name) { return child<T>(QString::fromLatin1(name)); }

    // The message of a write the data file refused.
    void expectRefused(const QString& text = msg::kIrasHiba) {
        prompter.expectMessage(msg::kFigyelem, text, Icon::Error, Buttons::Ok, Answer::Ok);
    }

    WorkFolder wf;
    Prompt prompter;
    TestModalHost modal;
    RecordingPrinter printer;
    Session session{prompter, modal};
    int ended = 0;
    std::unique_ptr<Window> w;
};

} // namespace lapora::test
