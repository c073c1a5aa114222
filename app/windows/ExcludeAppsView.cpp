#include "app/windows/ExcludeAppsView.h"

#include "app/windows/AppCheckRow.h"
#include "app/windows/AppIconLookup.h"
#include "app/AppModel.h"

#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace plimsett {

ExcludeAppsView::Sources ExcludeAppsView::standardSources(AppModel& model) {
    Sources sources;
    std::shared_ptr<WindowSystem> windowSystem = model.windowSystem();
    sources.runningApplications = [windowSystem] {
        return windowSystem ? ExcludedAppsList::fromWindows(windowSystem->windows())
                            : std::vector<RunningApplication>();
    };
    const std::string own = PLIMSETT_BUNDLE_ID;
    if (!own.empty()) {
        sources.ownBundleID = own;
    }
    auto icons = std::make_shared<AppIconLookup>(AppIconLookup::forEnvironment());
    sources.iconFor = [icons](const std::string& id) {
        // Picks up applications installed while the window is open.
        icons->refresh();
        return icons->iconFor(id);
    };
    return sources;
}

ExcludeAppsView::ExcludeAppsView(AppModel& model, Sources sources, QWidget* parent)
    : QWidget(parent), model_(model), sources_(std::move(sources)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    note_ = new QLabel(tr("Plimsett won't save or move windows of the apps you check here."), this);
    note_->setWordWrap(true);
    column->addWidget(note_);

    list_ = new QScrollArea(this);
    list_->setFrameShape(QFrame::StyledPanel);
    list_->setFrameShadow(QFrame::Sunken);
    list_->setWidgetResizable(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setMinimumHeight(listMinimumHeight);
    list_->viewport()->setBackgroundRole(QPalette::Base);
    list_->viewport()->setAutoFillBackground(true);
    column->addWidget(list_, 1);
    setFixedWidth(fixedWidth);

    connect(&model_, &AppModel::changed, this, &ExcludeAppsView::redraw);
    redraw();
}

void ExcludeAppsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) {
        redraw();
    }
}

void ExcludeAppsView::redraw() {
    // Listing the running applications asks the window system; a closed window (which lives on,
    // hidden) waits until it is shown again.
    if (rowsHolder_ && !isVisible()) {
        stale_ = true;
        return;
    }
    stale_ = false;
    const std::vector<AppEntry> entries =
        ExcludedAppsList::build(model_.store()->sortedLayouts(),
                                sources_.runningApplications ? sources_.runningApplications()
                                                             : std::vector<RunningApplication>(),
                                sources_.ownBundleID, model_.preferences()->excludedBundleIDs(),
                                sources_.iconFor, locale());
    std::vector<std::tuple<std::string, QString, bool>> wanted;
    wanted.reserve(entries.size());
    for (const AppEntry& entry : entries) {
        wanted.emplace_back(entry.id, entry.name, !entry.icon.isNull());
    }
    if (wanted != shown_ || !rowsHolder_) {
        rebuildRows(entries);
        shown_ = std::move(wanted);
        return;
    }
    // The same applications as before: only the check marks can have changed. Keeping the rows
    // keeps the list's scroll position and keyboard focus.
    const std::set<std::string> excluded = model_.preferences()->excludedBundleIDs();
    for (AppCheckRow* row : rows()) {
        row->setChecked(excluded.count(row->id()) != 0);
    }
}

void ExcludeAppsView::rebuildRows(const std::vector<AppEntry>& entries) {
    const std::set<std::string> excluded = model_.preferences()->excludedBundleIDs();
    auto* holder = new QWidget;
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const bool anyIcon = std::any_of(entries.begin(), entries.end(),
                                     [](const AppEntry& e) { return !e.icon.isNull(); });
    bool alternate = false;
    for (const AppEntry& entry : entries) {
        auto* row = new AppCheckRow(entry, excluded.count(entry.id) != 0, anyIcon, holder);
        row->setAutoFillBackground(true);
        row->setBackgroundRole(alternate ? QPalette::AlternateBase : QPalette::Base);
        alternate = !alternate;
        const std::string id = entry.id;
        connect(row, &AppCheckRow::toggledByUser, this,
                [this, id](bool checked) { model_.setExcluded(id, checked); });
        layout->addWidget(row);
    }
    layout->addStretch(1);
    const int scrolled = list_->verticalScrollBar()->value();
    // The old rows go once the current event is done: the click that led here may be theirs.
    if (QWidget* old = list_->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    list_->setWidget(holder);
    rowsHolder_ = holder;
    // An application coming or going should not throw the reader back to the top.
    holder->adjustSize();
    list_->verticalScrollBar()->setValue(scrolled);
}

std::vector<AppCheckRow*> ExcludeAppsView::rows() const {
    std::vector<AppCheckRow*> out;
    if (!rowsHolder_) {
        return out;
    }
    for (QObject* child : rowsHolder_->children()) {
        if (auto* row = qobject_cast<AppCheckRow*>(child)) {
            out.push_back(row);
        }
    }
    return out;
}

AppCheckRow* ExcludeAppsView::row(const std::string& id) const {
    for (AppCheckRow* r : rows()) {
        if (r->id() == id) {
            return r;
        }
    }
    return nullptr;
}

QString ExcludeAppsView::noteText() const {
    return note_->text();
}

} // namespace plimsett
