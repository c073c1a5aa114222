#include "platform/kwin/KWinWindowSystem.h"

#include "engine/Text.h"
#include "platform/kwin/KWinJson.h"
#include "platform/kwin/KWinWindowHandle.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <map>
#include <unistd.h>

namespace plimsett {
namespace {

struct Record {
    QString id;
    std::string resourceClass;
    std::string resourceName;
    std::string desktopFileName;
    std::int64_t pid = 0;
    std::string caption;
    Rect frame;
    bool minimized = false;
    bool fullScreen = false;
    bool maximizedHorizontally = false;
    bool maximizedVertically = false;
};

std::optional<Record> recordFrom(const QJsonValue& value) {
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject o = value.toObject();
    const auto string = [&](const char* key) -> std::optional<std::string> {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isString()) {
            return std::nullopt;
        }
        return repairedUtf8(v.toString().toStdString());
    };
    const auto flag = [&](const char* key) -> std::optional<bool> {
        const QJsonValue v = o.value(QLatin1String(key));
        return v.isBool() ? std::optional<bool>(v.toBool()) : std::nullopt;
    };
    const QJsonValue id = o.value(QStringLiteral("id"));
    const QJsonValue pid = o.value(QStringLiteral("pid"));
    const auto resourceClass = string("resourceClass");
    const auto resourceName = string("resourceName");
    const auto desktopFileName = string("desktopFileName");
    const auto caption = string("caption");
    const auto frame = KWinJson::rect(o.value(QStringLiteral("frame")));
    const auto minimized = flag("minimized");
    const auto fullScreen = flag("fullScreen");
    const auto horizontally = flag("maximizedHorizontally");
    const auto vertically = flag("maximizedVertically");
    if (!id.isString() || id.toString().isEmpty() || !pid.isDouble() || !resourceClass ||
        !resourceName || !desktopFileName || !caption || !frame || !minimized || !fullScreen ||
        !horizontally || !vertically) {
        return std::nullopt;
    }
    return Record{id.toString(),   *resourceClass, *resourceName, *desktopFileName,
                  pid.toInteger(), *caption,       *frame,        *minimized,
                  *fullScreen,     *horizontally,  *vertically};
}

} // namespace

KWinWindowSystem::KWinWindowSystem(std::shared_ptr<KWinScriptChannel> channel)
    : channel_(std::move(channel)), desktopEntries_(DesktopEntryCatalog::forEnvironment()),
      ownPid_(getpid()) {}

bool KWinWindowSystem::isTrusted() const {
    return channel_ && channel_->isAnswering();
}

std::vector<LiveWindow> KWinWindowSystem::windows() {
    if (!channel_) {
        return {};
    }
    const std::optional<QJsonValue> reply =
        channel_->request(QStringLiteral("windows"), {}, listingTimeout);
    if (!reply) {
        return {};
    }
    desktopEntries_.refresh();
    return listing(*reply, ownPid_, desktopEntries_);
}

std::vector<LiveWindow> KWinWindowSystem::listing(const QJsonValue& reply, std::int64_t ownPid,
                                                  const DesktopEntryCatalog& entries) {
    if (!reply.isArray()) {
        return {};
    }
    std::vector<Record> records;
    for (const QJsonValue& value : reply.toArray()) {
        std::optional<Record> record = recordFrom(value);
        // A record the script should not have sent: the reply cannot be trusted as a whole.
        if (!record) {
            return {};
        }
        if (record->pid == ownPid && ownPid != 0) {
            continue;
        }
        // A window without a class belongs to no application.
        if (record->resourceClass.empty()) {
            record->resourceClass = record->desktopFileName;
        }
        if (record->resourceClass.empty() || !(record->frame.width > 0) ||
            !(record->frame.height > 0)) {
            continue;
        }
        records.push_back(std::move(*record));
    }

    // Group by process and class, applications in the order of their first window.
    std::vector<std::vector<const Record*>> applications;
    std::map<std::pair<std::int64_t, std::string>, std::size_t> applicationIndex;
    for (const Record& record : records) {
        const auto key = std::make_pair(record.pid, record.resourceClass);
        auto [it, inserted] = applicationIndex.emplace(key, applications.size());
        if (inserted) {
            applications.emplace_back();
        }
        applications[it->second].push_back(&record);
    }
    std::vector<LiveWindow> result;
    result.reserve(records.size());
    for (const auto& application : applications) {
        const Record& first = *application.front();
        std::optional<DesktopEntryCatalog::Entry> entry;
        if (!first.desktopFileName.empty()) {
            entry = entries.find(first.desktopFileName);
        }
        if (!entry) {
            entry = entries.find(first.resourceClass, first.resourceName);
        }
        const std::string appName = entry ? entry->name : first.resourceClass;
        std::int64_t index = 0;
        for (const Record* record : application) {
            LiveWindow window;
            window.handle = std::make_shared<KWinWindowHandle>(record->id);
            window.bundleID = record->resourceClass;
            window.appName = appName;
            window.title = record->caption;
            window.index = index++;
            window.frame = record->frame;
            window.isMinimized = record->minimized;
            window.isFullScreen = record->fullScreen;
            window.isMaximizedHorizontally = record->maximizedHorizontally;
            window.isMaximizedVertically = record->maximizedVertically;
            result.push_back(std::move(window));
        }
    }
    return result;
}

bool KWinWindowSystem::move(const LiveWindow& window, const Rect& frame) {
    return moveAll({WindowMove{window, frame}}).front();
}

QJsonArray KWinWindowSystem::request(const std::vector<WindowMove>& moves,
                                     std::vector<std::size_t>& sentIndex) {
    // Only the windows that can be asked for go to the script.
    QJsonArray sent;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const auto* handle = dynamic_cast<const KWinWindowHandle*>(moves[i].window.handle.get());
        const Rect frame = moves[i].frame.standardized();
        if (handle == nullptr || !frame.isFinite() || !(frame.width > 0) || !(frame.height > 0)) {
            continue;
        }
        sent.append(QJsonObject{
            {QStringLiteral("window"), handle->id()},
            {QStringLiteral("frame"), KWinJson::object(frame)},
            {QStringLiteral("maximizeHorizontally"), moves[i].maximizeHorizontally},
            {QStringLiteral("maximizeVertically"), moves[i].maximizeVertically},
        });
        sentIndex.push_back(i);
    }
    return sent;
}

std::vector<bool> KWinWindowSystem::spread(const std::vector<bool>& answered,
                                           const std::vector<std::size_t>& sentIndex,
                                           std::size_t count) {
    std::vector<bool> result(count, false);
    for (std::size_t k = 0; k < sentIndex.size() && k < answered.size(); ++k) {
        result[sentIndex[k]] = answered[k];
    }
    return result;
}

std::vector<bool> KWinWindowSystem::moveAll(const std::vector<WindowMove>& moves) {
    std::vector<std::size_t> sentIndex;
    const QJsonArray sent = request(moves, sentIndex);
    if (!channel_ || sent.isEmpty()) {
        return std::vector<bool>(moves.size(), false);
    }
    const std::optional<QJsonValue> reply = channel_->request(
        QStringLiteral("move"), QJsonObject{{QStringLiteral("moves"), sent}}, moveTimeout);
    return spread(answers(reply, sentIndex.size()), sentIndex, moves.size());
}

void KWinWindowSystem::moveAllAsync(const std::vector<WindowMove>& moves, MoveAnswers answered) {
    std::vector<std::size_t> sentIndex;
    const QJsonArray sent = request(moves, sentIndex);
    if (!channel_ || sent.isEmpty()) {
        answered(std::vector<bool>(moves.size(), false));
        return;
    }
    channel_->requestAsync(QStringLiteral("move"), QJsonObject{{QStringLiteral("moves"), sent}},
                           moveTimeout,
                           [answered = std::move(answered), sentIndex = std::move(sentIndex),
                            count = moves.size()](std::optional<QJsonValue> reply) {
                               answered(spread(answers(reply, sentIndex.size()), sentIndex, count));
                           });
}

std::vector<bool> KWinWindowSystem::answers(const std::optional<QJsonValue>& reply,
                                            std::size_t count) {
    std::vector<bool> result(count, false);
    if (!reply || !reply->isArray() || reply->toArray().size() != static_cast<qsizetype>(count)) {
        return result;
    }
    const QJsonArray array = reply->toArray();
    for (std::size_t i = 0; i < count; ++i) {
        const QJsonObject answer = array.at(static_cast<qsizetype>(i)).toObject();
        result[i] = answer.value(QStringLiteral("exists")).toBool(false) &&
                    answer.value(QStringLiteral("placed")).toBool(false);
    }
    return result;
}

} // namespace plimsett
