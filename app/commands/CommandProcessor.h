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

    CommandServer::Reply handle(const QJsonObject& request);

    // Everything `plimsett status` shows.
    static QJsonObject status(const AppModel& model);
    static QJsonObject identity();

private:
    QJsonObject save(AppModel& model);
    QJsonObject restore(AppModel& model);

    ModelSource model_;
    std::function<void()> quit_;
};

} // namespace plimsett
