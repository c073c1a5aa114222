#include "platform/gnome/GnomeWindowSystem.h"

#include "engine/LayoutController.h"
#include "platform/gnome/GnomeWindowHandle.h"

#include <QCoreApplication>
#include <QJsonObject>

#include <cmath>
#include <map>

namespace plimsett {
namespace {

Rect rectFrom(const QJsonObject& r) {
    return Rect{r.value(QStringLiteral("x")).toDouble(), r.value(QStringLiteral("y")).toDouble(),
                r.value(QStringLiteral("width")).toDouble(),
                r.value(QStringLiteral("height")).toDouble()};
}

bool withinTolerance(const Rect& a, const Rect& b) {
    const double tolerance = LayoutController::frameTolerance;
    return std::fabs(a.x - b.x) < tolerance && std::fabs(a.y - b.y) < tolerance &&
           std::fabs(a.width - b.width) < tolerance && std::fabs(a.height - b.height) < tolerance;
}

QString withoutDesktopSuffix(QString id) {
    if (id.endsWith(QStringLiteral(".desktop"))) {
        id.chop(8);
    }
    return id;
}

// Whether the Shell's answer for one move meets what the move asked for.
bool tookMove(const QJsonObject& answer, const WindowMove& move) {
    if (!answer.value(QStringLiteral("exists")).toBool()) {
        return false;
    }
    const Rect frame = rectFrom(answer.value(QStringLiteral("frame")).toObject());
    if (move.maximizes()) {
        const bool horizontal = answer.value(QStringLiteral("maximizedHorizontally")).toBool();
        const bool vertical = answer.value(QStringLiteral("maximizedVertically")).toBool();
        const Rect target = move.frame.standardized();
        return (!move.maximizeHorizontally || horizontal) &&
               (!move.maximizeVertically || vertical) && frame.midX() >= target.minX() &&
               frame.midX() <= target.maxX() && frame.midY() >= target.minY() &&
               frame.midY() <= target.maxY();
    }
    return withinTolerance(frame, move.frame);
}

} // namespace

GnomeWindowSystem::GnomeWindowSystem(std::shared_ptr<GnomeShellProxy> shell)
    : shell_(std::move(shell)) {}

bool GnomeWindowSystem::isTrusted() const {
    return shell_->answers();
}

std::vector<LiveWindow> GnomeWindowSystem::windows() {
    const std::optional<QJsonArray> listing = shell_->listWindows();
    if (!listing) {
        return {};
    }
    return windowsFrom(*listing, QCoreApplication::applicationPid());
}

std::vector<LiveWindow> GnomeWindowSystem::windowsFrom(const QJsonArray& listing, qint64 ownPid) {
    struct Record {
        QString id;
        QString bundleID;
        QString appName;
        QString title;
        Rect frame;
        bool minimized = false;
        bool fullScreen = false;
        bool maximizedHorizontally = false;
        bool maximizedVertically = false;
    };
    std::vector<std::vector<Record>> applications;
    std::map<std::pair<qint64, QString>, std::size_t> applicationIndex;
    for (const QJsonValue& value : listing) {
        const QJsonObject w = value.toObject();
        const qint64 pid = w.value(QStringLiteral("pid")).toInteger();
        if (pid == ownPid && pid > 0) {
            continue;
        }
        Record record;
        record.id = w.value(QStringLiteral("id")).toString();
        // The class is what X11 calls the application too; windows without one are told by their
        // desktop entry or sandbox id.
        record.bundleID = w.value(QStringLiteral("wmClass")).toString();
        if (record.bundleID.isEmpty()) {
            record.bundleID = withoutDesktopSuffix(w.value(QStringLiteral("appId")).toString());
        }
        if (record.bundleID.isEmpty()) {
            record.bundleID = w.value(QStringLiteral("sandboxedAppId")).toString();
        }
        if (record.id.isEmpty() || record.bundleID.isEmpty()) {
            continue;
        }
        record.frame = rectFrom(w.value(QStringLiteral("frame")).toObject());
        if (!(record.frame.width > 0) || !(record.frame.height > 0) || !record.frame.isFinite()) {
            continue;
        }
        record.appName = w.value(QStringLiteral("appName")).toString();
        if (record.appName.isEmpty()) {
            record.appName = record.bundleID;
        }
        record.title = w.value(QStringLiteral("title")).toString();
        record.minimized = w.value(QStringLiteral("minimized")).toBool();
        record.fullScreen = w.value(QStringLiteral("fullscreen")).toBool();
        record.maximizedHorizontally = w.value(QStringLiteral("maximizedHorizontally")).toBool();
        record.maximizedVertically = w.value(QStringLiteral("maximizedVertically")).toBool();
        const auto key = std::make_pair(pid, record.bundleID);
        auto [it, inserted] = applicationIndex.emplace(key, applications.size());
        if (inserted) {
            applications.emplace_back();
        }
        applications[it->second].push_back(std::move(record));
    }

    std::vector<LiveWindow> result;
    for (const auto& application : applications) {
        // One name for the whole application, as its first window gives it.
        const std::string appName = application.front().appName.toStdString();
        std::int64_t index = 0;
        for (const Record& record : application) {
            LiveWindow window;
            window.handle = std::make_shared<GnomeWindowHandle>(record.id);
            window.bundleID = record.bundleID.toStdString();
            window.appName = appName;
            window.title = record.title.toStdString();
            window.index = index++;
            window.frame = record.frame;
            window.isMinimized = record.minimized;
            window.isFullScreen = record.fullScreen;
            window.isMaximizedHorizontally = record.maximizedHorizontally;
            window.isMaximizedVertically = record.maximizedVertically;
            result.push_back(std::move(window));
        }
    }
    return result;
}

bool GnomeWindowSystem::move(const LiveWindow& window, const Rect& frame) {
    return moveAll({WindowMove{window, frame}}).front();
}

QJsonArray GnomeWindowSystem::request(const std::vector<WindowMove>& moves,
                                      std::vector<std::size_t>& sent) {
    // Only windows of this Shell with a frame it can take are sent; the others fail at once.
    QJsonArray requests;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const auto* handle = dynamic_cast<const GnomeWindowHandle*>(moves[i].window.handle.get());
        const Rect frame = moves[i].frame.standardized();
        if (handle == nullptr || !frame.isFinite() || std::fabs(frame.x) > 1e6 ||
            std::fabs(frame.y) > 1e6 || !(frame.width >= 1) || !(frame.height >= 1) ||
            frame.width > 1e6 || frame.height > 1e6) {
            continue;
        }
        const int flags =
            (moves[i].maximizeHorizontally ? 1 : 0) | (moves[i].maximizeVertically ? 2 : 0);
        requests.append(QJsonObject{{QStringLiteral("id"), handle->id()},
                                    {QStringLiteral("x"), frame.x},
                                    {QStringLiteral("y"), frame.y},
                                    {QStringLiteral("width"), frame.width},
                                    {QStringLiteral("height"), frame.height},
                                    {QStringLiteral("maximize"), flags}});
        sent.push_back(i);
    }
    return requests;
}

std::vector<bool> GnomeWindowSystem::moveAll(const std::vector<WindowMove>& moves) {
    std::vector<std::size_t> sent;
    const QJsonArray requests = request(moves, sent);
    if (sent.empty()) {
        return std::vector<bool>(moves.size(), false);
    }
    return results(shell_->moveWindows(requests), requests, sent, moves);
}

void GnomeWindowSystem::moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) {
    std::vector<std::size_t> sent;
    const QJsonArray requests = request(moves, sent);
    if (sent.empty()) {
        answered(std::vector<bool>(moves.size(), false));
        return;
    }
    shell_->moveWindowsAsync(requests,
                             [answered = std::move(answered), requests, sent = std::move(sent),
                              moves](std::optional<QJsonArray> answers) {
                                 answered(results(answers, requests, sent, moves));
                             });
}

std::vector<bool> GnomeWindowSystem::results(const std::optional<QJsonArray>& answers,
                                             const QJsonArray& requests,
                                             const std::vector<std::size_t>& sent,
                                             const std::vector<WindowMove>& moves) {
    std::vector<bool> results(moves.size(), false);
    if (!answers || answers->size() != static_cast<qsizetype>(sent.size())) {
        return results;
    }
    for (std::size_t k = 0; k < sent.size(); ++k) {
        const QJsonObject answer = answers->at(static_cast<qsizetype>(k)).toObject();
        const std::size_t i = sent[k];
        results[i] =
            answer.value(QStringLiteral("id")).toString() == requests.at(static_cast<qsizetype>(k))
                                                                 .toObject()
                                                                 .value(QStringLiteral("id"))
                                                                 .toString() &&
            tookMove(answer, moves[i]);
    }
    return results;
}

} // namespace plimsett
