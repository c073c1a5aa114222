#pragma once

#include "app/windows/ExcludedAppsList.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QScrollArea;

namespace plimsett {

class AppModel;
class AppCheckRow;

// The excluded-apps window's content: a note and one check box per known application. The list
// is built anew from the saved layouts, the running applications and the excluded identifiers at
// every change notification of the model; a check mark is exactly an excluded identifier.
class ExcludeAppsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 400;
    static constexpr int listMinimumHeight = 320;

    // Where the applications that are not in a saved layout come from.
    struct Sources {
        std::function<std::vector<RunningApplication>()> runningApplications;
        // This program, which is never offered because it is running.
        std::optional<std::string> ownBundleID;
        ExcludedAppsList::IconLookup iconFor;
    };

    // The running applications of the model's desktop, this build's identifier and the icons of
    // the desktop entries.
    static Sources standardSources(AppModel& model);

    ExcludeAppsView(AppModel& model, Sources sources, QWidget* parent = nullptr);

    // Builds the list again and shows it.
    void redraw();

    // The rows on show, in order.
    std::vector<AppCheckRow*> rows() const;
    AppCheckRow* row(const std::string& id) const;
    QString noteText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuildRows(const std::vector<AppEntry>& entries);

    AppModel& model_;
    Sources sources_;
    QLabel* note_;
    QScrollArea* list_;
    QWidget* rowsHolder_ = nullptr;
    // What the rows on show were made from: identifier, name and whether there was an icon.
    std::vector<std::tuple<std::string, QString, bool>> shown_;
    // A change arrived while the window was closed; the list is built when it opens again.
    bool stale_ = false;
};

} // namespace plimsett
