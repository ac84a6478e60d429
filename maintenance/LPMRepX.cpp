#include "LPMRepX.h"

#include "Fonts.h"
#include "Imprint.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace lapora {

const QString LPMRepX::kCaption = QString::fromUtf8("LPMRep Adatbázis frissítése/javítása - Lapora");

LPMRepX::LPMRepX(Prompter& prompter, const QString& workFolder, const QString& templateFolder,
                 QWidget* parent)
    : QDialog(parent), run_(prompter, *this, workFolder, templateFolder) {
    setObjectName(QStringLiteral("LPMRepX"));
    setWindowTitle(kCaption);
    setFont(designFont());
    setFixedSize(twipsToPixels(6390), twipsToPixels(3150, Qt::Vertical));

    auto label = [](const char* name, const QRect& r, QWidget* parent) {
        auto* l = new QLabel(parent);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(r);
        return l;
    };
    auto bar = [this](const char* name, const QRect& r) {
        auto* b = new QProgressBar(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(r);
        b->setRange(0, 1);
        b->setValue(0);
        b->setTextVisible(false);
        return b;
    };
    l1_ = label("l1", twipsRect(0, 120, 6375, 255), this);
    pb1_ = bar("pb1", twipsRect(0, 480, 6375, 375));
    l2_ = label("l2", twipsRect(0, 960, 6375, 255), this);
    pb2_ = bar("pb2", twipsRect(0, 1320, 6375, 375));
    label1_ = label("Label1", twipsRect(1800, 1800, 2895, 255), this);

    frame1_ = new QGroupBox(QStringLiteral("V.1.2  Verzión belüli modul:"), this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setGeometry(twipsRect(1320, 2160, 3735, 855));
    label3_ = label("Label3", twipsRect(120, 300, 3495, 435), frame1_);
    label3_->setText(imprint::oneLine());
    label3_->setAlignment(Qt::AlignCenter);

    auto button = [this](const char* name, const char* caption, const char* tip, const QRect& r) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromUtf8(tip));
        b->setGeometry(r);
        return b;
    };
    command1_ = button("Command1", "&Indít", "Frissítés indítása", twipsRect(120, 2400, 975, 615));
    command2_ = button("Command2", "Kilép - ESC", "Kilépés", twipsRect(5280, 2400, 975, 615));
    command2_->setAutoDefault(false);
    command1_->setDefault(true);
    connect(command1_, &QPushButton::clicked, this, &LPMRepX::start);
    connect(command2_, &QPushButton::clicked, this, &LPMRepX::quit);
}

LPMRepX::~LPMRepX() = default;

bool LPMRepX::runsAtOnce(const QStringList& arguments) {
    return arguments.join(QLatin1Char(' ')).toLower() == QLatin1String("/s");
}

void LPMRepX::start() {
    if (run_.running())
        return;
    // Nothing was touched: the user closes Lapora and starts the maintenance again.
    if (run_.run() == MaintenanceRun::Outcome::Locked)
        close();
}

void LPMRepX::quit() {
    close();
}

void LPMRepX::runAndEnd() {
    start();
    close();
}

void LPMRepX::closeEvent(QCloseEvent* e) {
    if (run_.running()) {
        e->ignore();
        return;
    }
    e->accept();
}

void LPMRepX::reject() {
    if (command2_->isEnabled())
        command2_->click();
}

void LPMRepX::setFileText(const QString& text) {
    l1_->setText(text);
}
void LPMRepX::setTableText(const QString& text) {
    l2_->setText(text);
}
void LPMRepX::setStatus(const QString& text) {
    label1_->setText(text);
}
void LPMRepX::setFileProgress(int value, int maximum) {
    pb1_->setRange(0, qMax(maximum, 1));
    pb1_->setValue(value);
}
void LPMRepX::setTableProgress(int value, int maximum) {
    pb2_->setRange(0, qMax(maximum, 1));
    pb2_->setValue(value);
}
void LPMRepX::setButtonsEnabled(bool enabled) {
    command1_->setEnabled(enabled);
    command2_->setEnabled(enabled);
}
void LPMRepX::letEventsThrough() {
    QCoreApplication::processEvents();
}

} // namespace lapora
