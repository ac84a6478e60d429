#pragma once

#include "ImportForm.h"

#include <QString>

class QAction;

namespace lapora {

// The invoice import: lines of the invoicing program's six document tables (folder + "\LFAKT.MDB") into
// OsszesSzamlaLPM, filtered by payment mode, and transferred into the staging table.
class SzamlaImportFormX : public ImportForm {
    Q_OBJECT
public:
    static const QString kCaption;
    explicit SzamlaImportFormX(Session& session, QWidget* parent = nullptr);

    // The filter commands of "S&zűrés": Kp, Atutal, Utanvet, Nyugta, Proforma, ProformaAtutal, Szallito,
    // SzurKi.
    void filter(const QString& command);
    QString filterInForce() const; // the command with the check mark

protected:
    bool openSources() override;
    QString startSource(const QString& number) const override;
    void resetFilter() override;

private:
    void setMark(const QString& command);
    std::vector<QAction*> filters_;
};

} // namespace lapora
