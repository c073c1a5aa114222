#include "app/commands/CommandProcessor.h"

#include "app/AppModel.h"
#include "engine/InternetDate.h"

#include <QCoreApplication>
#include <QJsonArray>

namespace plimsett {
namespace {

const QString okKey = QStringLiteral("ok");
const QString errorKey = QStringLiteral("error");

QJsonObject failure(const QString& message) {
    return {{okKey, false}, {errorKey, message}};
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QJsonValue date(const std::optional<Date>& d) {
    return d ? QJsonValue(text(InternetDate::format(*d))) : QJsonValue(QJsonValue::Null);
}

QJsonObject rect(const Rect& r) {
    return {{QStringLiteral("x"), r.x},
            {QStringLiteral("y"), r.y},
            {QStringLiteral("width"), r.width},
            {QStringLiteral("height"), r.height}};
}

QJsonObject counts(const RestoreResult& r) {
    return {{QStringLiteral("moved"), static_cast<qint64>(r.moved)},
            {QStringLiteral("alreadyInPlace"), static_cast<qint64>(r.alreadyInPlace)},
            {QStringLiteral("skipped"), static_cast<qint64>(r.skipped)},
            {QStringLiteral("failed"), static_cast<qint64>(r.failed)}};
}

QString phaseName(LayoutController::Phase phase) {
    switch (phase) {
    case LayoutController::Phase::stable:
        return QStringLiteral("stable");
    case LayoutController::Phase::settling:
        return QStringLiteral("settling");
    case LayoutController::Phase::asleep:
        return QStringLiteral("asleep");
    }
    return {};
}

// The first sentence stays as it always was, for scripts that look for it; the problem and the
// desktop's advice follow.
QJsonObject noAccess(const AppModel& model) {
    QString message = QStringLiteral("Plimsett cannot read or move windows on this desktop");
    if (!model.desktopProblem().empty()) {
        message += QStringLiteral(": ") + text(model.desktopProblem());
    }
    QJsonObject out = failure(message);
    if (const std::string advice = model.accessAdvice(); !advice.empty()) {
        if (!message.endsWith(QLatin1Char('.'))) {
            message += QLatin1Char('.');
        }
        out.insert(errorKey, message + QLatin1Char(' ') + text(advice));
        out.insert(QStringLiteral("advice"), text(advice));
    }
    return out;
}

} // namespace

CommandProcessor::CommandProcessor(ModelSource model, std::function<void()> quit)
    : model_(std::move(model)), quit_(std::move(quit)) {}

QJsonObject CommandProcessor::identity() {
    return {{QStringLiteral("version"), QStringLiteral(PLIMSETT_VERSION)},
            {QStringLiteral("pid"), static_cast<qint64>(QCoreApplication::applicationPid())}};
}

QJsonObject CommandProcessor::status(const AppModel& model) {
    const LayoutController& controller = *model.controller();
    const DisplaySet& set = controller.currentSet();
    QJsonArray displays;
    for (const DisplayInfo& d : set.displays) {
        displays.append(QJsonObject{{QStringLiteral("uuid"), text(d.uuid)},
                                    {QStringLiteral("name"), text(d.name)},
                                    {QStringLiteral("builtIn"), d.isBuiltIn},
                                    {QStringLiteral("frame"), rect(d.frame)},
                                    {QStringLiteral("visibleFrame"), rect(d.visibleFrame)}});
    }
    QJsonObject layout{{QStringLiteral("saved"), false}};
    if (const auto saved = controller.currentLayout()) {
        layout = {{QStringLiteral("saved"), true},
                  {QStringLiteral("windowCount"), static_cast<qint64>(saved->windows.size())},
                  {QStringLiteral("savedAt"), date(saved->savedAt)}};
    }
    QJsonValue lastRestore(QJsonValue::Null);
    if (const auto& last = controller.lastRestore()) {
        QJsonObject restore = counts(last->result);
        restore.insert(QStringLiteral("at"), date(last->date));
        lastRestore = restore;
    }
    QJsonObject out = identity();
    out.insert(okKey, true);
    out.insert(QStringLiteral("access"), model.isTrusted());
    if (!model.desktopProblem().empty()) {
        out.insert(QStringLiteral("problem"), text(model.desktopProblem()));
    }
    if (const std::string advice = model.accessAdvice(); !advice.empty()) {
        out.insert(QStringLiteral("advice"), text(advice));
    }
    out.insert(QStringLiteral("displaySet"),
               QJsonObject{{QStringLiteral("id"), text(set.id)},
                           {QStringLiteral("name"), set.displays.empty()
                                                        ? QJsonValue(QJsonValue::Null)
                                                        : text(set.name(controller.builtInName()))},
                           {QStringLiteral("displays"), displays}});
    out.insert(QStringLiteral("layout"), layout);
    out.insert(QStringLiteral("phase"), phaseName(controller.phase()));
    out.insert(QStringLiteral("lastSnapshotAt"), date(controller.lastSnapshotAt()));
    out.insert(QStringLiteral("lastRestore"), lastRestore);
    out.insert(QStringLiteral("autoRestoreOnDisplayChange"), model.autoRestoreOnDisplayChange());
    out.insert(QStringLiteral("restoreAfterWake"), model.restoreAfterWake());
    out.insert(QStringLiteral("layoutFile"),
               QString::fromStdString(model.store()->fileURL().string()));
    return out;
}

QJsonObject CommandProcessor::save(AppModel& model) {
    if (!model.isTrusted()) {
        return noAccess(model);
    }
    LayoutController& controller = *model.controller();
    const auto layout = controller.snapshotNow();
    if (!layout) {
        return failure(controller.currentSet().displays.empty()
                           ? QStringLiteral("Nothing was saved: no displays are connected")
                           : QStringLiteral("Nothing was saved: there are no windows to save"));
    }
    return {{okKey, true},
            {QStringLiteral("displaySet"), text(layout->displaySetName)},
            {QStringLiteral("displaySetID"), text(layout->displaySetID)},
            {QStringLiteral("windowCount"), static_cast<qint64>(layout->windows.size())},
            {QStringLiteral("savedAt"), date(layout->savedAt)}};
}

void CommandProcessor::restore(AppModel& model, const CommandServer::Respond& respond) {
    if (!model.isTrusted()) {
        respond({noAccess(model), nullptr});
        return;
    }
    model.controller()->restoreNow([respond](std::optional<RestoreResult> result) {
        if (!result) {
            respond({failure(QStringLiteral("No layout is saved for these displays")), nullptr});
            return;
        }
        QJsonObject out = counts(*result);
        out.insert(okKey, true);
        respond({out, nullptr});
    });
}

void CommandProcessor::handle(const QJsonObject& request, const CommandServer::Respond& respond) {
    const QString command = request.value(QStringLiteral("command")).toString();
    if (command == QStringLiteral("hello")) {
        QJsonObject out = identity();
        out.insert(okKey, true);
        respond({out, nullptr});
        return;
    }
    AppModel* model = model_ ? model_() : nullptr;
    if (command == QStringLiteral("quit")) {
        QJsonObject out = identity();
        out.insert(okKey, true);
        respond({out, quit_});
        return;
    }
    if (command != QStringLiteral("status") && command != QStringLiteral("save") &&
        command != QStringLiteral("restore") && command != QStringLiteral("settings")) {
        respond({failure(QStringLiteral("unknown command \"%1\"").arg(command)), nullptr});
        return;
    }
    if (!model) {
        respond({failure(QStringLiteral("Plimsett is still starting")), nullptr});
        return;
    }
    if (command == QStringLiteral("status")) {
        respond({status(*model), nullptr});
        return;
    }
    if (command == QStringLiteral("save")) {
        respond({save(*model), nullptr});
        return;
    }
    if (command == QStringLiteral("settings")) {
        model->showPreferences();
        QJsonObject out = identity();
        out.insert(okKey, true);
        respond({out, nullptr});
        return;
    }
    restore(*model, respond);
}

} // namespace plimsett
