#include "app/windows/PreferencesView.h"

#include "app/AppModel.h"
#include "app/windows/Appearance.h"
#include "app/windows/LayoutRow.h"
#include "app/windows/SymbolLabel.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace plimsett {
namespace {

QPushButton* leftAligned(QVBoxLayout* layout, QPushButton* button) {
    button->setAutoDefault(false);
    layout->addWidget(button, 0, Qt::AlignLeft);
    return button;
}

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

PreferencesView::PreferencesView(AppModel& model, bool automaticUpdates, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outer->addWidget(scroll_);

    form_ = new QWidget;
    auto* sections = new QVBoxLayout(form_);
    sections->setContentsMargins(20, 16, 20, 20);
    sections->setSpacing(14);

    QVBoxLayout* restoring = nullptr;
    sections->addWidget(section(tr("Restoring"), restoring));
    autoRestore_ = new QCheckBox(tr("Auto-restore when displays change"));
#ifdef Q_OS_MACOS
    wake_ = new QCheckBox(tr("Also restore after the Mac wakes"));
#else
    wake_ = new QCheckBox(tr("Also restore after the computer wakes"));
#endif
    otherArrangements_ =
        new QCheckBox(tr("Also restore when the same displays are arranged differently"));
    otherArrangements_->setToolTip(
        tr("Until a layout is saved for the new arrangement, windows return to the same place "
           "on each display."));
    openingWindows_ = new QCheckBox(tr("Put windows back where they were when they open"));
    login_ = new QCheckBox(tr("Open at login"));
    restoring->addWidget(autoRestore_);
    restoring->addWidget(wake_);
    restoring->addWidget(otherArrangements_);
    restoring->addWidget(openingWindows_);
    restoring->addWidget(login_);
    excludeApps_ = leftAligned(restoring, new QPushButton(tr("Exclude Apps…")));
    // clicked, not toggled: only the user's own changes are written back.
    connect(autoRestore_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setAutoRestoreOnDisplayChange(on); });
    connect(wake_, &QCheckBox::clicked, this, [this](bool on) { model_.setRestoreAfterWake(on); });
    connect(otherArrangements_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setRestoreOtherArrangements(on); });
    connect(openingWindows_, &QCheckBox::clicked, this,
            [this](bool on) { model_.setPlaceOpeningWindows(on); });
    connect(login_, &QCheckBox::clicked, this, [this](bool on) { model_.setLaunchAtLogin(on); });
    connect(excludeApps_, &QPushButton::clicked, this, [this] { model_.showExcludeApps(); });

    sections->addWidget(section(tr("Accessibility"), accessBox_));
    sections->addWidget(section(tr("Saved layouts"), layoutsBox_));

    QVBoxLayout* updates = nullptr;
    const bool hasUpdater = model_.updater()->hasFramework();
    sections->addWidget(section(hasUpdater ? tr("Updates") : tr("About Plimsett"), updates));
    // Without an updater (Linux, where the system's packages bring new versions, or a Mac build
    // without Sparkle) the switch and the button would promise checks that never happen.
    if (hasUpdater) {
        automaticUpdates_ = new QCheckBox(tr("Check for updates automatically"));
        automaticUpdates_->setChecked(automaticUpdates);
        updates->addWidget(automaticUpdates_);
        checkForUpdates_ = leftAligned(updates, new QPushButton(tr("Check for Updates…")));
        connect(automaticUpdates_, &QCheckBox::clicked, this, [this](bool on) {
            // Before the update controller exists there is nothing to write to; the switch
            // still moves.
            model_.updater()->setAutomaticallyChecksForUpdates(on);
        });
        connect(checkForUpdates_, &QPushButton::clicked, this,
                [this] { model_.updater()->checkForUpdates(); });
    }
    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(new QLabel(tr("Version")));
    versionRow->addStretch(1);
    // Shown as it is, never translated.
    version_ = new QLabel(buildVersionText());
    version_->setTextFormat(Qt::PlainText);
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    versionRow->addWidget(version_);
    updates->addLayout(versionRow);

    sections->addStretch(1);
    scroll_->setWidget(form_);
    Appearance::makeSecondary(version_);
    setFixedWidth(fixedWidth);

    connect(&model_, &AppModel::changed, this, &PreferencesView::redraw);
    redraw();
}

QGroupBox* PreferencesView::section(const QString& title, QVBoxLayout*& content) {
    auto* box = new QGroupBox(title, form_);
    content = new QVBoxLayout(box);
    content->setSpacing(8);
    return box;
}

QSize PreferencesView::sizeHint() const {
    // Wrapped texts (a long display-set name) need the height for this width, which the plain
    // size hint underestimates.
    const int content =
        form_->hasHeightForWidth() ? form_->heightForWidth(fixedWidth) : form_->sizeHint().height();
    return {fixedWidth, std::clamp(content, minimumHeight, maximumHeight)};
}

QString PreferencesView::versionText(const std::optional<QString>& shortVersion,
                                     const std::optional<QString>& buildNumber) {
    const auto part = [](const std::optional<QString>& value) {
        return value && !value->isEmpty() ? *value : QStringLiteral("?");
    };
    return part(shortVersion) + QStringLiteral(" (") + part(buildNumber) + QStringLiteral(")");
}

QString PreferencesView::buildVersionText() {
    // Only builds that number themselves define a build number; the others show the stand-in.
#ifdef PLIMSETT_BUILD_NUMBER
    const std::optional<QString> build = QStringLiteral(PLIMSETT_BUILD_NUMBER);
#else
    const std::optional<QString> build;
#endif
    return versionText(QStringLiteral(PLIMSETT_VERSION), build);
}

void PreferencesView::redraw() {
    const bool autoRestore = model_.autoRestoreOnDisplayChange();
    autoRestore_->setChecked(autoRestore);
    // The wake switch keeps its stored value while it cannot be changed.
    wake_->setChecked(model_.restoreAfterWake());
    wake_->setEnabled(autoRestore);
    otherArrangements_->setChecked(model_.restoreOtherArrangements());
    openingWindows_->setChecked(model_.placeOpeningWindows());
    login_->setChecked(model_.launchAtLogin());
    drawAccess();
    drawLayouts();
    updateGeometry();
}

void PreferencesView::replace(QVBoxLayout* layout, QWidget*& old, QWidget* fresh) {
    layout->addWidget(fresh);
    // At once, not at the next turn of the event loop, so that the size takes it in now.
    fresh->show();
    if (old) {
        layout->removeWidget(old);
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    old = fresh;
}

void PreferencesView::drawAccess() {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    allowAccess_ = nullptr;
    // Asked afresh at every redraw: access can come and go while the window is open.
    if (model_.isTrusted()) {
        accessLabel_ = new SymbolLabel(SymbolIcon::Symbol::checkmarkCircleFill, tr("Access is on"),
                                       Appearance::success(palette()), 0, box);
        layout->addWidget(accessLabel_);
    } else {
        accessLabel_ = new SymbolLabel(SymbolIcon::Symbol::exclamationTriangleFill,
                                       tr("Access is off. Plimsett cannot read or move windows."),
                                       Appearance::warning(palette()), 0, box);
        layout->addWidget(accessLabel_);
#ifdef Q_OS_MACOS
        const QString setUp = tr("Allow Accessibility Access…");
#else
        const QString setUp = tr("Set Up Window Access…");
#endif
        allowAccess_ = leftAligned(layout, new QPushButton(setUp, box));
        connect(allowAccess_, &QPushButton::clicked, this, [this] { model_.showOnboarding(); });
    }
    replace(accessBox_, access_, box);
}

void PreferencesView::drawLayouts() {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    noLayouts_ = nullptr;
    const std::vector<SavedLayout> layouts = model_.store()->sortedLayouts();
    if (layouts.empty()) {
        noLayouts_ = new QLabel(tr("No layouts saved yet."), box);
        Appearance::makeSecondary(noLayouts_);
        layout->addWidget(noLayouts_);
    }
    const std::string& current = model_.controller()->currentSet().id;
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        if (i > 0) {
            layout->addWidget(separator(box));
        }
        const std::string id = layouts[i].displaySetID;
        // No confirmation: the next snapshot of that display set saves a new layout anyway.
        auto forget = [this, id] {
            model_.store()->forget(id);
            model_.controller()->onChange();
        };
        layout->addWidget(new LayoutRow(layouts[i], id == current, forget, box));
    }
    replace(layoutsBox_, layouts_, box);
}

QString PreferencesView::accessText() const {
    return accessLabel_ ? accessLabel_->text() : QString();
}

QString PreferencesView::versionValue() const {
    return version_->text();
}

std::vector<LayoutRow*> PreferencesView::layoutRows() const {
    std::vector<LayoutRow*> rows;
    for (QObject* child : layouts_->children()) {
        if (auto* row = qobject_cast<LayoutRow*>(child)) {
            rows.push_back(row);
        }
    }
    return rows;
}

} // namespace plimsett
