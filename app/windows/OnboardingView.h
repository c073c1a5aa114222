#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace plimsett {

class AccessibilityWatcher;
class BusyIndicator;
class SymbolLabel;

// The first-run window's content: why Plimsett needs access to other applications' windows, how
// to give it, and a status row that follows the permission watcher by itself. The watcher polls
// while the view is on screen and stops when the window goes away.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static constexpr int fixedWidth = 480;

    // The wording of one desktop. On macOS access is granted in the Accessibility settings; on
    // X11 there is nobody to ask: access means a session with an EWMH window manager.
    struct Texts {
        QString title;
        QString explanation;
        QString privacy;
        QStringList steps;
        QString waiting;
        // The waiting state's button, and whether it asks the system for access (else it closes
        // the window, there being nothing to open).
        QString waitingButton;
        bool waitingButtonRequestsAccess = true;
        QString granted;
        QString done;
    };
    static Texts macTexts();
    static Texts x11Texts();
    // In GNOME only the Shell can move windows: access is Plimsett's Shell extension, which the
    // button installs and switches on.
    static Texts gnomeTexts();
    // In Plasma only KWin can: access is the script Plimsett loads into it, which the button
    // loads again.
    static Texts plasmaTexts();
    // A Wayland session of a desktop Plimsett has no helper for: nothing to ask, only to say.
    static Texts unsupportedWaylandTexts();
    static Texts textsForThisDesktop();

    // `onDone` closes the window; `requestAccess` asks the system for access. `problem`, when
    // not empty, says why access can never come in this session (no X server, say); it then
    // stands in the status row instead of a spinner.
    OnboardingView(std::shared_ptr<AccessibilityWatcher> watcher, std::function<void()> onDone,
                   std::function<void()> requestAccess, QString problem = {},
                   Texts texts = textsForThisDesktop(), QWidget* parent = nullptr);
    ~OnboardingView() override;

    // Shows the watcher's current state.
    void redraw();

    const std::shared_ptr<AccessibilityWatcher>& watcher() const { return watcher_; }
    QPushButton* button() const { return button_; }
    // The text of the status on show.
    QString statusText() const;
    bool isShowingSpinner() const;
    bool isShowingGranted() const;
    QString titleText() const;
    QStringList stepTexts() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The granted state's wording, the same on every desktop; each desktop adds its own.
    static Texts sharedTexts();
    // Wording that more than one desktop uses.
    static QString privacyOnThisComputer();
    static QString comeBackStep();

    void buttonClicked();

    std::shared_ptr<AccessibilityWatcher> watcher_;
    std::function<void()> onDone_;
    std::function<void()> requestAccess_;
    QString problem_;
    Texts texts_;
    QLabel* title_;
    QList<SymbolLabel*> steps_;
    QWidget* waitingStatus_;
    BusyIndicator* spinner_;
    QLabel* waitingLabel_;
    SymbolLabel* problemStatus_ = nullptr;
    SymbolLabel* grantedStatus_;
    QPushButton* button_;
};

} // namespace plimsett
