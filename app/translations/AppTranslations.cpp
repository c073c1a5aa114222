#include "app/translations/AppTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace plimsett {

AppTranslations::AppTranslations(const QLocale& locale) {
    // Qt's catalogue first: a translator installed later is asked first, and none of Qt's
    // contexts are the program's.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(qt.get())) {
        installed_.push_back(std::move(qt));
    }
    // load() walks the locale's UI languages in order (de_DE, de, ...) and stops at the first
    // catalogue it finds; English has none, its texts are the keys.
    auto own = std::make_unique<QTranslator>();
    if (own->load(locale, QStringLiteral("plimsett"), QStringLiteral("_"), catalogueFolder()) &&
        QCoreApplication::installTranslator(own.get())) {
        language_ = own->language();
        installed_.push_back(std::move(own));
    }
}

AppTranslations::~AppTranslations() {
    for (const auto& translator : installed_) {
        QCoreApplication::removeTranslator(translator.get());
    }
}

QString AppTranslations::catalogueFolder() {
    return QStringLiteral(":/plimsett/i18n");
}

} // namespace plimsett
