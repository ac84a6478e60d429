#pragma once

#include "ImportForm.h"

#include <QString>

namespace lapora {

// The warehouse import: issue lines of the three warehouse programs (each folder + "\TAROLO.LPB", table
// KIVET) into RAKTARKIVET, and transferred into the staging table.
class TaroloImportFormX : public ImportForm {
    Q_OBJECT
public:
    static const QString kCaption;
    explicit TaroloImportFormX(Session& session, QWidget* parent = nullptr);

protected:
    bool openSources() override;
    QString startSource(const QString& number) const override;
};

} // namespace lapora
