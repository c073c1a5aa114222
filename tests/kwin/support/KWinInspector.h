#pragma once

#include "engine/Rect.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace plimsett::testing {

// Reads and moves windows through KWin itself, independently of the backend under test: each
// question is a small script of its own that KWin runs once and that calls back with its answer.
class KWinInspector : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.plimsett.TestInspector")

public:
    KWinInspector(QDBusConnection bus, std::filesystem::path directory);
    ~KWinInspector() override;

    // The frame of every normal window, by caption.
    std::map<std::string, Rect> frames();
    // Gives the window with that caption a frame, as the user dragging it would.
    bool move(const std::string& caption, const Rect& frame);
    // Virtual desktops, numbered from 0, through KWin 6's desktop objects or KWin 5's numbers.
    // A window's desktop is -1 when it is on every one; -2 when there is no such window.
    bool makeDesktops(int count);
    int desktopOf(const std::string& caption);
    // Puts the window on a desktop (-1: on every one) as the window menu does.
    bool toDesktop(const std::string& caption, int desktop);
    bool showDesktop(int desktop);
    int shownDesktop();
    // The caption of the active window, or "" when none is active.
    std::string activeCaption();
    // Runs `body` (a function body returning a JSON-able value) inside KWin; its answer as JSON.
    std::optional<QString> evaluate(const QString& body);

public slots:
    void report(const QString& token, const QString& json);

private:
    // `body` run after the desktop helpers, its answer as a whole number, or `otherwise`.
    int intAnswer(const QString& body, int otherwise);

    QDBusConnection bus_;
    std::filesystem::path directory_;
    unsigned count_ = 0;
    std::map<QString, QString> answers_;
};

} // namespace plimsett::testing
