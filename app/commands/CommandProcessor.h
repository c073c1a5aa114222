#pragma once

#include "app/commands/CommandServer.h"
#include "engine/SavedLayout.h"

#include <QJsonObject>
#include <functional>

namespace plimsett {

class AppModel;

// Carries out the command line's requests on the running instance's model: "status", "save",
// "restore", "quit", "settings" (opens the settings window, for a second start) and "hello" (which
// only tells who answers).
class CommandProcessor {
public:
    using ModelSource = std::function<AppModel*()>;

    // `model` yields nothing while the instance is still starting.
    CommandProcessor(ModelSource model, std::function<void()> quit);

    // Answers through `respond`: at once, except "restore", which answers once the windows have
    // moved.
    void handle(const QJsonObject& request, const CommandServer::Respond& respond);

    // Everything `plimsett status` shows.
    static QJsonObject status(const AppModel& model);
    static QJsonObject identity();

private:
    QJsonObject save(AppModel& model);
    void restore(AppModel& model, const CommandServer::Respond& respond);

    ModelSource model_;
    std::function<void()> quit_;
};

} // namespace plimsett
