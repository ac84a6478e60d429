#include "LaporaFelhasznaloiKezikonyvForm.h"

#include "BusyButton.h"
#include "Fonts.h"
#include "Messages.h"
#include "Printer.h"
#include "Prompter.h"
#include "RtfReader.h"
#include "Session.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextEdit>

namespace lapora {

const QString LaporaFelhasznaloiKezikonyvForm::kCaption =
    QString::fromUtf8("Felhasználói kézikönyv - Lapora - Mintaverk");
const QString LaporaFelhasznaloiKezikonyvForm::kLabel =
    QString::fromUtf8("Figyelem! A kézikönyv RTF formátumban egységes szerkezetben is hozzáférhető a program "
                      "munkakönyvtárában!");
const QString LaporaFelhasznaloiKezikonyvForm::kFileName = QStringLiteral("Lapora-kezikonyv.rtf");

namespace {
const QColor kYellow(255, 255, 0);
} // namespace

QByteArray LaporaFelhasznaloiKezikonyvForm::manualRtf() {
    QFile f(QStringLiteral(":/lapora/Kezikonyv.rtf"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool LaporaFelhasznaloiKezikonyvForm::writeManualFile(const QString& folder) {
    const QDir dir(folder);
    const QStringList there = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString& e : there)
        if (e.compare(kFileName, Qt::CaseInsensitive) == 0)
            return true; // the user's copy (perhaps with notes of their own) stays
    const QByteArray rtf = manualRtf();
    if (rtf.isEmpty())
        return false;
    // Whole or not at all: a full disk leaves no half manual behind.
    QSaveFile f(dir.filePath(kFileName));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(rtf);
    return f.commit();
}

LaporaFelhasznaloiKezikonyvForm::LaporaFelhasznaloiKezikonyvForm(Session& session, QWidget* parent)
    : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("LaporaFelhasznaloiKezikonyvForm"));
    setWindowFlag(Qt::Window);
    setWindowTitle(kCaption);
    setFont(designFont());

    label1_ = new QLabel(kLabel, this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(twipsRect(120, 120, 14655, 375));
    QFont bold = label1_->font();
    bold.setBold(true);
    label1_->setFont(bold);
    label1_->setToolTip(QDir::current().filePath(kFileName));

    box_ = new QTextEdit(this);
    box_->setObjectName(QStringLiteral("RichTextBox1"));
    box_->setReadOnly(true);
    box_->setGeometry(twipsRect(120, 600, 14655, 8040));
    plain_ = readRtf(manualRtf(), box_->document()).plain;
    box_->moveCursor(QTextCursor::Start);

    const auto button = [this](const QString& name, const QString& caption, int left) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(twipsRect(left, 8760, 1695, 615));
        setButtonColour(b, kYellow);
        return b;
    };
    print_ = button(QStringLiteral("Command2"), QString::fromUtf8("Nyomtatás (Print)"), 120);
    exit_ = button(QStringLiteral("Kilepes"), QString::fromUtf8("Kilépés (Exit)"), 13080);
    connect(print_, &QPushButton::clicked, this, &LaporaFelhasznaloiKezikonyvForm::print);
    connect(exit_, &QPushButton::clicked, this, &LaporaFelhasznaloiKezikonyvForm::quit);

    setFixedSize(twipsToPixels(14895), twipsToPixels(9495, Qt::Vertical));
    // Guarded: a folder that takes no file costs the copy, not the manual on screen.
    writeManualFile(QDir::currentPath());
    session_.prompter.pointer(Pointer::Arrow);
}

LaporaFelhasznaloiKezikonyvForm::~LaporaFelhasznaloiKezikonyvForm() = default;

void LaporaFelhasznaloiKezikonyvForm::print() {
    Prompter& p = session_.prompter;
    p.pointer(Pointer::Hourglass);
    bool ok = false;
    {
        const BusyButton busy(print_);
        Printer* printer = session_.printer;
        ok = printer && printer->printText(plain_) && printer->endDocument();
    }
    if (!ok) {
        p.pointer(Pointer::Arrow);
        p.beep();
        p.message(msg::kFigyelemHiba, msg::kNyomtatoNincsKesz, Icon::Error, Buttons::Ok);
    }
    p.pointer(Pointer::Arrow);
}

void LaporaFelhasznaloiKezikonyvForm::quit() {
    close();
}

void LaporaFelhasznaloiKezikonyvForm::closeEvent(QCloseEvent* e) {
    // "Kilépés (Exit)" and the frame alike: the button flashes green, ends white, and the window closes.
    { const BusyButton busy(exit_); }
    QWidget::closeEvent(e);
}

void LaporaFelhasznaloiKezikonyvForm::paintEvent(QPaintEvent*) {
    // The background picture: a quiet paper-coloured wash behind the text box.
    QPainter painter(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(250, 246, 226));
    g.setColorAt(1, QColor(214, 222, 236));
    painter.fillRect(rect(), g);
}

} // namespace lapora
