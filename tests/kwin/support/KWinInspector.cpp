#include "tests/kwin/support/KWinInspector.h"

#include "tests/x11/support/Polling.h"

#include <QDBusMessage>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace plimsett::testing {
namespace {

const QString path = QStringLiteral("/org/plimsett/TestInspector");

QDBusMessage scripting(const QString& method) {
    return QDBusMessage::createMethodCall("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting",
                                          method);
}

// Helpers for the desktop questions on KWin 6 (desktop objects) and KWin 5 (numbers from 1).
const char* const desktopHelpers = R"(
    var six = typeof workspace.windowList === "function";
    var windows = six ? workspace.windowList() : workspace.clientList();
    function byCaption(caption) {
        for (var i = 0; i < windows.length; ++i) {
            if (String(windows[i].caption) === caption) return windows[i];
        }
        return null;
    }
    function desktopIndex(desktop) {
        return six ? workspace.desktops.indexOf(desktop) : desktop - 1;
    }
    function desktopAt(index) {
        return six ? workspace.desktops[index] : index + 1;
    }
)";

// A caption as a JavaScript string literal.
QString quoted(const std::string& text) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{QString::fromStdString(text)})
                                 .toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
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
    return intAnswer(QStringLiteral(R"(
        var w = byCaption(%1);
        if (!w) return 0;
        w.frameGeometry = {x: %2, y: %3, width: %4, height: %5};
        return 1;)")
                         .arg(quoted(caption))
                         .arg(frame.x)
                         .arg(frame.y)
                         .arg(frame.width)
                         .arg(frame.height),
                     0) == 1;
}

int KWinInspector::intAnswer(const QString& body, int otherwise) {
    const auto answer = evaluate(QString::fromLatin1(desktopHelpers) + body);
    bool ok = false;
    const int value = answer ? answer->toInt(&ok) : 0;
    return ok ? value : otherwise;
}

bool KWinInspector::makeDesktops(int count) {
    return intAnswer(QStringLiteral(R"(
        if (!six) {
            workspace.desktops = %1;
            return workspace.desktops;
        }
        while (workspace.desktops.length < %1) workspace.createDesktop(workspace.desktops.length, "");
        return workspace.desktops.length;)")
                         .arg(count),
                     0) == count;
}

int KWinInspector::desktopOf(const std::string& caption) {
    return intAnswer(QStringLiteral(R"(
        var w = byCaption(%1);
        if (!w) return -2;
        if (w.onAllDesktops) return -1;
        return desktopIndex(six ? w.desktops[0] : w.desktop);)")
                         .arg(quoted(caption)),
                     -2);
}

bool KWinInspector::toDesktop(const std::string& caption, int desktop) {
    return intAnswer(QStringLiteral(R"(
        var w = byCaption(%1);
        if (!w) return 0;
        if (%2 < 0) {
            w.onAllDesktops = true;
        } else if (six) {
            w.desktops = [desktopAt(%2)];
        } else {
            w.desktop = desktopAt(%2);
        }
        return 1;)")
                         .arg(quoted(caption))
                         .arg(desktop),
                     0) == 1;
}

bool KWinInspector::showDesktop(int desktop) {
    return intAnswer(QStringLiteral(R"(
        workspace.currentDesktop = desktopAt(%1);
        return desktopIndex(workspace.currentDesktop);)")
                         .arg(desktop),
                     -2) == desktop;
}

int KWinInspector::shownDesktop() {
    return intAnswer(QStringLiteral("return desktopIndex(workspace.currentDesktop);"), -2);
}

std::string KWinInspector::activeCaption() {
    const auto answer = evaluate(QStringLiteral(R"(
        var w = typeof workspace.windowList === "function" ? workspace.activeWindow
                                                           : workspace.activeClient;
        return w ? String(w.caption) : "";)"));
    return answer ? QJsonDocument::fromJson("[" + answer->toUtf8() + "]")
                        .array()
                        .at(0)
                        .toString()
                        .toStdString()
                  : std::string();
}

} // namespace plimsett::testing
