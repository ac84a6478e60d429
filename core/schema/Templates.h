#pragma once

#include <QString>
#include <QStringList>

namespace lapora::schema {

// Writes the three empty data files (no rows) into dir, replacing older templates there.
void writeTemplates(const QString& dir);

// The templates that ship beside the program: <program folder>/Data.
QString defaultTemplateDir();

// Gives a working folder its data files by copying the templates in; an existing data file (whatever the case
// of its name) is never touched. A freshly copied lapora.mdb gets the European countries' signs.
// Returns the files it created; StoreError when a template is missing or a copy fails.
QStringList prepareWorkFolder(const QString& folder, const QString& templateDir = defaultTemplateDir());

// Fills Orszagjel with the international vehicle signs and Hungarian names of the European countries.
void fillCountries(const QString& laporaMdbPath);

} // namespace lapora::schema
