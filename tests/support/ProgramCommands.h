#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>

namespace plimsett::testing {

// The running program's command line as a script uses it: `plimsett COMMAND --json`, in the
// environment of the desktop under test. Header-only, for the test programs of every platform.
class ProgramCommands {
public:
    ProgramCommands(QString program, QProcessEnvironment environment)
        : program_(std::move(program)), environment_(std::move(environment)) {}

    // The answer's JSON (empty when there was none); `exitCode` gets the status.
    QJsonObject run(const QStringList& arguments, int* exitCode = nullptr) const {
        QProcess p;
        p.setProcessEnvironment(environment_);
        p.start(program_, arguments + QStringList{"--json"});
        p.waitForFinished(30000);
        if (exitCode) {
            *exitCode = p.exitCode();
        }
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }

    // Waits until the program has adopted a display set of `count` displays and is stable; a
    // failure quotes the program's last status.
    ::testing::AssertionResult settledOn(
        int count, std::chrono::seconds timeout = std::chrono::seconds(30)) const {
        const auto end = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const QJsonObject s = run({"status"});
            if (s["phase"].toString() == "stable" &&
                s["displaySet"].toObject()["displays"].toArray().size() == count) {
                return ::testing::AssertionSuccess();
            }
            if (std::chrono::steady_clock::now() > end) {
                return ::testing::AssertionFailure()
                       << "not settled on " << count << " displays; the last status:\n"
                       << QJsonDocument(s).toJson().toStdString();
            }
            QThread::msleep(100);
        }
    }

private:
    QString program_;
    QProcessEnvironment environment_;
};

// The windows of the layout saved for `displays` displays, as the layout file under `dataHome`
// (the program's XDG_DATA_HOME) holds them; empty when there is none.
inline QJsonArray savedLayoutWindows(const QString& dataHome, int displays) {
    QFile file(dataHome + "/tamblin-engineering.Plimsett.direct/layouts.json");
    file.open(QIODevice::ReadOnly);
    for (const QJsonValue& layout :
         QJsonDocument::fromJson(file.readAll()).object()["layouts"].toArray()) {
        if (layout["displays"].toArray().size() == displays) {
            return layout["windows"].toArray();
        }
    }
    return {};
}

} // namespace plimsett::testing
