#include "platform/wayland/WaylandWindowSystem.h"

#include "engine/Rect.h"
#include "platform/linux/ApplicationGrouping.h"
#include "platform/wayland/HelperJson.h"
#include "platform/wayland/WaylandWindowHandle.h"

#include <QJsonObject>
#include <QSet>
#include <QTextStream>

#include <cmath>
#include <unistd.h>

namespace plimsett {
namespace {

// The largest coordinate or size that a move may ask for: anything beyond is garbage, and is
// never handed to the compositor.
constexpr double largestCoordinate = 1e6;
// The longest application or title (in UTF-16 units, as the helpers count) an opening may carry.
constexpr qsizetype longestText = 4096;

// A frame the helpers take: finite, within reach of any real monitor, at least a point wide.
bool isSendable(const Rect& frame) {
    return frame.isFinite() && std::fabs(frame.x) <= largestCoordinate &&
           std::fabs(frame.y) <= largestCoordinate && frame.width >= 1 && frame.height >= 1 &&
           frame.width <= largestCoordinate && frame.height <= largestCoordinate;
}

std::optional<WindowRecord> recordFrom(const QJsonValue& value) {
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = value.toObject();
    const QJsonValue id = o.value(QStringLiteral("id"));
    const QJsonValue pid = o.value(QStringLiteral("pid"));
    const auto appClass = HelperJson::string(o, "appClass");
    const auto instanceName = HelperJson::string(o, "instanceName");
    const auto appId = HelperJson::string(o, "appId");
    const auto appName = HelperJson::string(o, "appName");
    const auto title = HelperJson::string(o, "title");
    const auto frame = HelperJson::rect(o.value(QStringLiteral("frame")));
    const auto minimized = HelperJson::flag(o, "minimized");
    const auto fullScreen = HelperJson::flag(o, "fullScreen");
    const auto horizontally = HelperJson::flag(o, "maximizedHorizontally");
    const auto vertically = HelperJson::flag(o, "maximizedVertically");
    if (!id.isString() || id.toString().isEmpty() || !pid.isDouble() || !appClass ||
        !instanceName || !appId || !appName || !title || !frame || !minimized || !fullScreen ||
        !horizontally || !vertically) {
        return std::nullopt;
    }
    WindowRecord record;
    record.handle = std::make_shared<WaylandWindowHandle>(id.toString());
    record.process = std::to_string(pid.toInteger());
    // A window without a class is told by its desktop entry or sandbox id.
    record.appClass = !appClass->empty() ? *appClass : *appId;
    record.instanceName = *instanceName;
    record.desktopEntryID = *appId;
    record.appName = *appName;
    record.title = *title;
    record.frame = *frame;
    record.minimized = *minimized;
    record.fullScreen = *fullScreen;
    record.maximizedHorizontally = *horizontally;
    record.maximizedVertically = *vertically;
    record.workspace = HelperJson::workspace(o.value(QStringLiteral("workspace")));
    return record;
}

bool withinTolerance(const Rect& a, const Rect& b) {
    return a.isWithin(b, frameTolerance);
}

// Whether the helper's answer for one move meets what the move asked for.
bool tookMove(const QJsonObject& answer, const WindowMove& move) {
    if (HelperJson::flag(answer, "exists") != true) {
        return false;
    }
    const std::optional<Rect> frame = HelperJson::rect(answer.value(QStringLiteral("frame")));
    if (!frame) {
        return false;
    }
    if (move.maximizes()) {
        const bool horizontal = HelperJson::flag(answer, "maximizedHorizontally") == true;
        const bool vertical = HelperJson::flag(answer, "maximizedVertically") == true;
        const Rect target = move.frame.standardized();
        return (!move.maximizeHorizontally || horizontal) &&
               (!move.maximizeVertically || vertical) && target.contains(frame->center());
    }
    return withinTolerance(*frame, move.frame);
}

} // namespace

WaylandWindowSystem::WaylandWindowSystem(std::shared_ptr<HelperChannel> channel)
    : channel_(std::move(channel)), desktopEntries_(DesktopEntryCatalog::forEnvironment()),
      ownPid_(getpid()) {}

bool WaylandWindowSystem::isTrusted() const {
    return channel_ && channel_->isAnswering();
}

std::vector<LiveWindow> WaylandWindowSystem::windows() {
    if (!channel_) {
        return {};
    }
    const std::optional<QJsonValue> reply =
        channel_->request(HelperChannel::Request::windows, {}, listingTimeout);
    if (!reply) {
        return {};
    }
    desktopEntries_.refresh();
    return listing(*reply, ownPid_, desktopEntries_);
}

std::vector<LiveWindow> WaylandWindowSystem::listing(const QJsonValue& reply, std::int64_t ownPid,
                                                     const DesktopEntryCatalog& entries) {
    if (!reply.isArray()) {
        return {};
    }
    std::vector<WindowRecord> records;
    const std::string own = std::to_string(ownPid);
    for (const QJsonValue& value : reply.toArray()) {
        std::optional<WindowRecord> record = recordFrom(value);
        // A record the helper should not have sent: the reply cannot be trusted as a whole.
        if (!record) {
            return {};
        }
        if (ownPid != 0 && record->process == own) {
            continue;
        }
        if (record->appClass.empty() || !(record->frame.width > 0) || !(record->frame.height > 0)) {
            continue;
        }
        records.push_back(std::move(*record));
    }
    return ApplicationGrouping::liveWindows(records, entries);
}

bool WaylandWindowSystem::move(const LiveWindow& window, const Rect& frame) {
    return moveAll({WindowMove{window, frame}}).front();
}

QJsonArray WaylandWindowSystem::request(const std::vector<WindowMove>& moves,
                                        std::vector<std::size_t>& sent) {
    QJsonArray requests;
    // The helpers move a window at most once per batch.
    QSet<QString> ids;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const auto* handle = dynamic_cast<const WaylandWindowHandle*>(moves[i].window.handle.get());
        const Rect frame = moves[i].frame.standardized();
        if (handle == nullptr || !isSendable(frame) || ids.contains(handle->id())) {
            continue;
        }
        ids.insert(handle->id());
        QJsonObject request{
            {QStringLiteral("id"), handle->id()},
            {QStringLiteral("frame"), HelperJson::object(frame)},
            {QStringLiteral("maximizeHorizontally"), moves[i].maximizeHorizontally},
            {QStringLiteral("maximizeVertically"), moves[i].maximizeVertically},
        };
        if (moves[i].workspace) {
            request.insert(QStringLiteral("workspace"), HelperJson::value(*moves[i].workspace));
        }
        requests.append(request);
        sent.push_back(i);
    }
    return requests;
}

void WaylandWindowSystem::expectOpenings(const std::vector<Opening>& openings) {
    if (!channel_) {
        return;
    }
    QJsonArray records;
    for (const Opening& o : openings) {
        const Rect frame = o.frame.standardized();
        const QString appClass = QString::fromStdString(o.bundleID);
        const QString title = QString::fromStdString(o.title);
        // Such a window is left to the matcher once it has opened.
        if (!isSendable(frame) || appClass.size() > longestText || title.size() > longestText) {
            continue;
        }
        QJsonObject record{
            {QStringLiteral("appClass"), appClass},
            {QStringLiteral("title"), title},
            {QStringLiteral("frame"), HelperJson::object(frame)},
            {QStringLiteral("maximizeHorizontally"), o.maximizeHorizontally},
            {QStringLiteral("maximizeVertically"), o.maximizeVertically},
        };
        if (o.workspace) {
            record.insert(QStringLiteral("workspace"), HelperJson::value(*o.workspace));
        }
        records.append(record);
    }
    // The helper answers the reasons of the openings it skipped.
    channel_->requestAsync(HelperChannel::Request::expect, records, listingTimeout,
                           [](const std::optional<QJsonValue>& skipped) {
                               if (!skipped || !skipped->isArray()) {
                                   return;
                               }
                               for (const QJsonValue& one : skipped->toArray()) {
                                   QTextStream(stderr)
                                       << "plimsett: the desktop will not place a window: "
                                       << one.toObject().value(QStringLiteral("error")).toString()
                                       << "\n";
                               }
                           });
}

std::vector<bool> WaylandWindowSystem::moveAll(const std::vector<WindowMove>& moves) {
    std::vector<std::size_t> sent;
    const QJsonArray requests = request(moves, sent);
    if (!channel_ || sent.empty()) {
        return std::vector<bool>(moves.size(), false);
    }
    return results(channel_->request(HelperChannel::Request::move, requests, moveTimeout), requests,
                   sent, moves);
}

void WaylandWindowSystem::moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) {
    std::vector<std::size_t> sent;
    const QJsonArray requests = request(moves, sent);
    if (!channel_ || sent.empty()) {
        answered(std::vector<bool>(moves.size(), false));
        return;
    }
    channel_->requestAsync(HelperChannel::Request::move, requests, moveTimeout,
                           [answered = std::move(answered), requests, sent = std::move(sent),
                            moves](std::optional<QJsonValue> answer) {
                               answered(results(answer, requests, sent, moves));
                           });
}

std::vector<bool> WaylandWindowSystem::results(const std::optional<QJsonValue>& answer,
                                               const QJsonArray& requests,
                                               const std::vector<std::size_t>& sent,
                                               const std::vector<WindowMove>& moves) {
    std::vector<bool> results(moves.size(), false);
    if (!answer || !answer->isArray() ||
        answer->toArray().size() != static_cast<qsizetype>(sent.size())) {
        return results;
    }
    const QJsonArray answers = answer->toArray();
    for (std::size_t k = 0; k < sent.size(); ++k) {
        const auto at = static_cast<qsizetype>(k);
        const QJsonObject one = answers.at(at).toObject();
        const QJsonValue id = requests.at(at).toObject().value(QStringLiteral("id"));
        if (const QString refused = one.value(QStringLiteral("error")).toString();
            !refused.isEmpty()) {
            QTextStream(stderr) << "plimsett: the desktop did not move window " << id.toString()
                                << ": " << refused << "\n";
        }
        results[sent[k]] = one.value(QStringLiteral("id")) == id && tookMove(one, moves[sent[k]]);
    }
    return results;
}

} // namespace plimsett
