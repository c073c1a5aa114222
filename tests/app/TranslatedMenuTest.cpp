#include "app/AppModel.h"
#include "app/StatusMenuController.h"
#include "app/translations/AppTranslations.h"
#include "tests/app/ShellHarness.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <gtest/gtest.h>

namespace plimsett {
namespace {

// CTest runs this suite alone with LANG=de_DE.UTF-8 and LANGUAGE, LC_ALL and LC_MESSAGES unset,
// on a system where no German C library locale needs to be generated: Qt reads the language from
// the environment itself.
TEST(GermanTrayMenu, FollowsTheUsersLanguageAndFallsBackToEnglish) {
    ASSERT_EQ(QLocale().language(), QLocale::German) << "run with LANG=de_DE.UTF-8";
    // As at start: the catalogues before the model, which names the built-in display once.
    const AppTranslations translations;
    EXPECT_EQ(translations.language(), QStringLiteral("de"));
    testing::ShellHarness harness;
    std::unique_ptr<AppModel> model = harness.makeModel();
    StatusMenuController controller(*model, harness.scheduler->clock());
    harness.setTrusted(true);
    ASSERT_TRUE(model->controller()->snapshotNow());
    harness.setTrusted(false);

    QMenu menu;
    controller.fill(menu);
    QStringList titles;
    for (const QAction* action : menu.actions()) {
        titles << action->text();
    }
    const QStringList expected = {
        QStringLiteral("Integriert + DELL U2720Q"),
        QStringLiteral("Gespeichert gerade eben · 3 Fenster"),
        QStringLiteral("Zugriff auf Fenster einrichten…"),
        QString(),
        QStringLiteral("Layout jetzt speichern"),
        QStringLiteral("Layout wiederherstellen"),
        QString(),
        QStringLiteral("Bei Bildschirmwechsel automatisch wiederherstellen"),
        QStringLiteral("Apps ausschließen…"),
        QString(),
        QStringLiteral("Einstellungen…"),
        QStringLiteral("Nach Updates suchen…"),
        QString(),
        QStringLiteral("Plimsett beenden")};
    EXPECT_EQ(titles, expected);

    // Qt's own texts, such as the buttons of its dialogs, come from Qt's catalogue.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    // A text that the catalogue lacks, in a context that it has, keeps its English wording.
    EXPECT_EQ(QCoreApplication::translate("plimsett::StatusMenuController", "Save Everything"),
              QStringLiteral("Save Everything"));
}

} // namespace
} // namespace plimsett
