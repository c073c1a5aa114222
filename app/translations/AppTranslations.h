#pragma once

#include <QLocale>
#include <QString>
#include <memory>
#include <vector>

class QTranslator;

namespace plimsett {

// The program's texts in the user's language: its own catalogue, built into the program, and
// Qt's for the texts of Qt's own dialogs and buttons. Installed before any text is made; the
// English wording shows for every text a catalogue lacks, and for every language without one.
class AppTranslations {
public:
    // Loads and installs the catalogues for `locale` (the user's locale from LANG, LC_ALL,
    // LC_MESSAGES and LANGUAGE by default) into the running application.
    explicit AppTranslations(const QLocale& locale = QLocale());
    // Takes the catalogues out of the application again.
    ~AppTranslations();
    AppTranslations(const AppTranslations&) = delete;
    AppTranslations& operator=(const AppTranslations&) = delete;

    // The language of the program's own catalogue that was loaded, such as "de"; empty when
    // the program speaks English.
    QString language() const { return language_; }

    // Where the program's catalogues are built in.
    static QString catalogueFolder();

private:
    std::vector<std::unique_ptr<QTranslator>> installed_;
    QString language_;
};

} // namespace plimsett
