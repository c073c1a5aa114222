#include "tests/kwin/support/KWinInspector.h"

#include "tests/x11/support/Polling.h"

#include <QDBusMessage>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace plimsett::testing {
namespace {

const QString path = QStringLiteral("/org/plimsett/TestInspector");

QDBusMessage scripting(const QString& method) {
    return QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting",
                                          method);
}

} // namespace

KWinInspector::KWinInspector(QDBusConnection bus, std::filesystem::path directory)
    : bus_(std::move(bus)), directory_(std::move(directory)) {
    bus_.registerObject(path, this, QDBusConnection::ExportAllSlots);
}

KWinInspector::~KWinInspector() {
    bus_.unregisterObject(path);
}

void KWinInspector::report(const QString& token, const QString& json) {
    answers_[token] = json;
}

std::optional<QString> KWinInspector::evaluate(const QString& body) {
    const QString token = QStringLiteral("plimsett-inspector-%1").arg(++count_);
    const QString file =
        QString::fromStdString((directory_ / (token.toStdString() + ".js")).string());
    QFile script(file);
    if (!script.open(QIODevice::WriteOnly)) {
        return std::nullopt;
    }
    script.write(QStringLiteral("var answer = (function () {\n%1\n})();\n"
                                "callDBus(\"%2\", \"%3\", \"org.plimsett.TestInspector\", "
                                "\"report\", \"%4\", JSON.stringify(answer));\n")
                     .arg(body, bus_.baseService(), path, token)
                     .toUtf8());
    script.close();
    const QDBusMessage loaded =
        bus_.call(scripting("loadScript") << file << token, QDBus::Block, 5000);
    if (loaded.type() != QDBusMessage::ReplyMessage || loaded.arguments().isEmpty()) {
        return std::nullopt;
    }
    const int id = loaded.arguments().constFirst().toInt();
    for (const QString& object :
         {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)}) {
        const QDBusMessage run = bus_.call(
            QDBusMessage::createMethodCall("org.kde.KWin", object, "org.kde.kwin.Script", "run"),
            QDBus::Block, 5000);
        if (run.type() == QDBusMessage::ReplyMessage) {
            break;
        }
    }
    waitUntil([&] { return answers_.count(token) != 0; });
    bus_.call(scripting("unloadScript") << token, QDBus::Block, 5000);
    QFile::remove(file);
    const auto found = answers_.find(token);
    if (found == answers_.end()) {
        return std::nullopt;
    }
    QString answer = found->second;
    answers_.erase(found);
    return answer;
}

std::map<std::string, Rect> KWinInspector::frames() {
    const auto answer = evaluate(QStringLiteral(R"(
        var list = typeof workspace.windowList === "function" ? workspace.windowList()
                                                              : workspace.clientList();
        var frames = {};
        for (var i = 0; i < list.length; ++i) {
            if (list[i].normalWindow) {
                var f = list[i].frameGeometry;
                frames[String(list[i].caption)] = {x: f.x, y: f.y, width: f.width, height: f.height};
            }
        }
        return frames;)"));
    std::map<std::string, Rect> result;
    if (!answer) {
        return result;
    }
    const QJsonObject object = QJsonDocument::fromJson(answer->toUtf8()).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonObject f = it.value().toObject();
        result[it.key().toStdString()] =
            Rect{f.value("x").toDouble(), f.value("y").toDouble(), f.value("width").toDouble(),
                 f.value("height").toDouble()};
    }
    return result;
}

bool KWinInspector::move(const std::string& caption, const Rect& frame) {
    const auto answer =
        evaluate(QStringLiteral(R"(
        var list = typeof workspace.windowList === "function" ? workspace.windowList()
                                                              : workspace.clientList();
        for (var i = 0; i < list.length; ++i) {
            if (String(list[i].caption) === %1) {
                list[i].frameGeometry = {x: %2, y: %3, width: %4, height: %5};
                return true;
            }
        }
        return false;)")
                     .arg(QString::fromUtf8(
                              QJsonDocument(QJsonObject{{"c", QString::fromStdString(caption)}})
                                  .toJson(QJsonDocument::Compact))
                              .mid(5)
                              .chopped(1))
                     .arg(frame.x)
                     .arg(frame.y)
                     .arg(frame.width)
                     .arg(frame.height));
    return answer && *answer == QLatin1String("true");
}

} // namespace plimsett::testing
