#include "app/windows/OnboardingView.h"

#include "app/windows/Appearance.h"
#include "app/windows/BusyIndicator.h"
#include "app/windows/SymbolIcon.h"
#include "app/windows/SymbolLabel.h"
#include "app/AccessibilityWatcher.h"
#ifndef Q_OS_MACOS
#include "platform/linux/DesktopSession.h"
#endif

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace plimsett {
namespace {

QLabel* paragraph(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

OnboardingView::Texts OnboardingView::macTexts() {
    Texts t = sharedTexts();
    t.title = tr("Plimsett needs Accessibility access");
    t.explanation = tr("When a display is unplugged or your Mac wakes up, macOS moves windows to "
                       "another screen. To put them back, Plimsett reads where each app's windows "
                       "are and moves them. macOS allows this only for apps you turn on in "
                       "Accessibility settings.");
    t.privacy = tr("Plimsett reads window positions, sizes and titles. That information stays on "
                   "this Mac.");
    t.steps = {tr("Click Open Accessibility Settings."), tr("Turn on Plimsett in the list."),
               comeBackStep()};
    t.waiting = tr("Waiting for access…");
    t.waitingButton = tr("Open Accessibility Settings");
    t.waitingButtonRequestsAccess = true;
    return t;
}

OnboardingView::Texts OnboardingView::x11Texts() {
    Texts t = sharedTexts();
    t.title = tr("Plimsett needs an X11 window manager");
    t.explanation = tr("When a display is unplugged or your computer wakes up, the desktop moves "
                       "windows to another screen. To put them back, Plimsett reads where each "
                       "app's windows are and moves them. It can do this only in an X11 session "
                       "whose window manager follows the EWMH standard.");
    t.privacy = privacyOnThisComputer();
    t.steps = {tr("Log in to an X11 session, or to GNOME or KDE Plasma on Wayland."),
               tr("Run a window manager that follows EWMH, such as Openbox, Xfwm, KWin or "
                  "Mutter."),
               comeBackStep()};
    t.waiting = tr("Waiting for a window manager…");
    // There are no settings to open: nothing but the session itself grants access.
    t.waitingButton = tr("Close");
    t.waitingButtonRequestsAccess = false;
    return t;
}

OnboardingView::Texts OnboardingView::gnomeTexts() {
    Texts t = sharedTexts();
    t.title = tr("Plimsett needs its GNOME Shell extension");
    t.explanation = tr("When a display is unplugged or your computer wakes up, GNOME moves "
                       "windows to another screen. To put them back, Plimsett reads where each "
                       "app's windows are and moves them. On Wayland only GNOME Shell itself can "
                       "do this, through a small extension that comes with Plimsett. The "
                       "extension is not installed or is switched off.");
    t.privacy = privacyOnThisComputer();
    t.steps = {tr("Click Install Extension. Plimsett installs its extension and switches it on."),
               tr("Log out and log back in. On Wayland, GNOME loads a newly installed extension "
                  "only after you log in again."),
               tr("Start Plimsett again. This window updates by itself once the extension "
                  "answers.")};
    t.waiting = tr("Waiting for the GNOME Shell extension…");
    t.waitingButton = tr("Install Extension");
    t.waitingButtonRequestsAccess = true;
    return t;
}

OnboardingView::Texts OnboardingView::plasmaTexts() {
    Texts t = sharedTexts();
    t.title = tr("Plimsett needs its KWin script");
    t.explanation = tr("When a display is unplugged or your computer wakes up, Plasma moves "
                       "windows to another screen. To put them back, Plimsett reads where each "
                       "app's windows are and moves them. On Wayland only KWin itself can do "
                       "this, through a small script that Plimsett loads into KWin when it "
                       "starts. KWin has not loaded the script, or the script does not answer.");
    t.privacy = privacyOnThisComputer();
    t.steps = {tr("Click Load Script. Plimsett asks KWin to load its script again."),
               tr("If the script still does not answer, KWin's log (journalctl --user -b) says "
                  "why it refused it."),
               comeBackStep()};
    t.waiting = tr("Waiting for the KWin script…");
    t.waitingButton = tr("Load Script");
    t.waitingButtonRequestsAccess = true;
    return t;
}

OnboardingView::Texts OnboardingView::unsupportedWaylandTexts() {
    Texts t = sharedTexts();
    t.title = tr("Plimsett cannot move windows on this desktop");
    t.explanation = tr("When a display is unplugged or your computer wakes up, the desktop moves "
                       "windows to another screen. To put them back, Plimsett reads where each "
                       "app's windows are and moves them. On Wayland only the desktop itself can "
                       "do this, and Plimsett reaches into GNOME and KDE Plasma, not yet into "
                       "this one.");
    t.privacy = privacyOnThisComputer();
    t.steps = {tr("Log in to GNOME or KDE Plasma, or to an X11 session, and start Plimsett "
                  "there."),
               tr("Your saved layouts stay as they are. Here Plimsett moves no windows.")};
    t.waiting = tr("Waiting for window access…");
    // Nothing can be switched on from here.
    t.waitingButton = tr("Close");
    t.waitingButtonRequestsAccess = false;
    return t;
}

OnboardingView::Texts OnboardingView::sharedTexts() {
    Texts t;
    t.granted = tr("Access is on. Plimsett is saving your window layout.");
    t.done = tr("Done");
    return t;
}

QString OnboardingView::privacyOnThisComputer() {
    return tr("Plimsett reads window positions, sizes and titles. That information stays on this "
              "computer.");
}

QString OnboardingView::comeBackStep() {
    return tr("Come back here. This window updates by itself.");
}

OnboardingView::Texts OnboardingView::textsForThisDesktop() {
#ifdef Q_OS_MACOS
    return macTexts();
#else
    switch (DesktopSession::current().kind) {
    case DesktopSession::Kind::gnomeWayland:
        return gnomeTexts();
    case DesktopSession::Kind::kdeWayland:
        return plasmaTexts();
    case DesktopSession::Kind::otherWayland:
        return unsupportedWaylandTexts();
    case DesktopSession::Kind::x11:
    case DesktopSession::Kind::none:
        break;
    }
    return x11Texts();
#endif
}

OnboardingView::OnboardingView(std::shared_ptr<AccessibilityWatcher> watcher,
                               std::function<void()> onDone, std::function<void()> requestAccess,
                               QString problem, Texts texts, QWidget* parent)
    : QWidget(parent), watcher_(std::move(watcher)), onDone_(std::move(onDone)),
      requestAccess_(std::move(requestAccess)), problem_(std::move(problem)),
      texts_(std::move(texts)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    auto* emblem = new QLabel(this);
    constexpr int emblemSize = 32;
    emblem->setPixmap(SymbolIcon::pixmap(SymbolIcon::Symbol::windowOnRectangle,
                                         Appearance::accent(palette()), emblemSize,
                                         qApp->devicePixelRatio()));
    emblem->setFixedSize(emblemSize, emblemSize);
    emblem->setAccessibleName(QString());
    header->addWidget(emblem, 0, Qt::AlignVCenter);
    title_ = new QLabel(texts_.title, this);
    title_->setFont(Appearance::titleFont(title_->font()));
    title_->setWordWrap(true);
    header->addWidget(title_, 1, Qt::AlignVCenter);
    column->addLayout(header);

    column->addWidget(paragraph(texts_.explanation, this));
    QLabel* privacy = paragraph(texts_.privacy, this);
    Appearance::makeSecondary(privacy);
    column->addWidget(privacy);

    auto* steps = new QVBoxLayout;
    steps->setSpacing(6);
    for (int i = 0; i < texts_.steps.size(); ++i) {
        auto* step =
            new SymbolLabel(SymbolIcon::Symbol::numberCircle, texts_.steps[i], {}, i + 1, this);
        steps_.append(step);
        steps->addWidget(step);
    }
    column->addLayout(steps);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    column->addWidget(divider);

    auto* status = new QHBoxLayout;
    status->setSpacing(12);
    waitingStatus_ = new QWidget(this);
    auto* waiting = new QHBoxLayout(waitingStatus_);
    waiting->setContentsMargins(0, 0, 0, 0);
    waiting->setSpacing(8);
    spinner_ = new BusyIndicator(waitingStatus_);
    waitingLabel_ = new QLabel(texts_.waiting, waitingStatus_);
    Appearance::makeSecondary(waitingLabel_);
    waiting->addWidget(spinner_, 0, Qt::AlignVCenter);
    waiting->addWidget(waitingLabel_, 0, Qt::AlignVCenter);
    status->addWidget(waitingStatus_, 0, Qt::AlignVCenter);
    if (!problem_.isEmpty()) {
        problemStatus_ = new SymbolLabel(SymbolIcon::Symbol::exclamationTriangleFill, problem_,
                                         Appearance::warning(palette()), 0, this);
        status->addWidget(problemStatus_, 1, Qt::AlignVCenter);
    }
    grantedStatus_ = new SymbolLabel(SymbolIcon::Symbol::checkmarkCircleFill, texts_.granted,
                                     Appearance::success(palette()), 0, this);
    status->addWidget(grantedStatus_, 1, Qt::AlignVCenter);
    status->addStretch(0);
    button_ = new QPushButton(this);
    // The button Return presses.
    button_->setDefault(true);
    connect(button_, &QPushButton::clicked, this, &OnboardingView::buttonClicked);
    status->addWidget(button_, 0, Qt::AlignVCenter);
    column->addLayout(status);

    setFixedWidth(fixedWidth);
    QPointer<OnboardingView> self(this);
    watcher_->setOnChange([self] {
        if (self) {
            self->redraw();
        }
    });
    redraw();
}

OnboardingView::~OnboardingView() {
    watcher_->setOnChange(nullptr);
    watcher_->stop();
}

void OnboardingView::redraw() {
    const bool trusted = watcher_->isTrusted();
    waitingStatus_->setVisible(!trusted && !problemStatus_);
    if (problemStatus_) {
        problemStatus_->setVisible(!trusted);
    }
    grantedStatus_->setVisible(trusted);
    button_->setText(trusted ? texts_.done : texts_.waitingButton);
}

void OnboardingView::buttonClicked() {
    if (watcher_->isTrusted() || !texts_.waitingButtonRequestsAccess) {
        if (onDone_) {
            onDone_();
        }
    } else if (requestAccess_) {
        requestAccess_();
    }
}

void OnboardingView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // An immediate check, then one every second while the window is open.
    watcher_->start();
    button_->setFocus();
}

void OnboardingView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    watcher_->stop();
}

void OnboardingView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        button_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

QString OnboardingView::statusText() const {
    if (grantedStatus_->isVisibleTo(this)) {
        return grantedStatus_->text();
    }
    if (problemStatus_ && problemStatus_->isVisibleTo(this)) {
        return problemStatus_->text();
    }
    return waitingLabel_->text();
}

bool OnboardingView::isShowingSpinner() const {
    return waitingStatus_->isVisibleTo(this);
}

bool OnboardingView::isShowingGranted() const {
    return grantedStatus_->isVisibleTo(this);
}

QString OnboardingView::titleText() const {
    return title_->text();
}

QStringList OnboardingView::stepTexts() const {
    QStringList out;
    for (const SymbolLabel* step : steps_) {
        out << step->text();
    }
    return out;
}

} // namespace plimsett
