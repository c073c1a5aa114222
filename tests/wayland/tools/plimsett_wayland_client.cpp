// A Wayland client for the tests of the Wayland backends, started one of two ways:
//
//   plimsett_wayland_client APP_ID WIDTHxHEIGHT TITLE...
//     shows one plain window per title, at that size, and prints "ready" once every one of them
//     is on screen; then runs until it is ended.
//
//   plimsett_wayland_client APP_ID
//     prints "ready", then opens and closes windows on command, one command a line on standard
//     input, answering "ok" or "error <why>" on standard output; it ends with its input.
//
//       open NAME WIDTH HEIGHT [dialog-of PARENT]
//       minimize NAME
//       maximize NAME
//       close NAME
//
// NAME is the window's title; APP_ID is the class the compositor reports for every window.
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

class PlainWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(80, 120, 160));
    }
};

// The client's windows, in the order they were opened.
std::vector<std::unique_ptr<PlainWindow>> windows;

std::vector<std::unique_ptr<PlainWindow>>::iterator find(const QString& title) {
    return std::find_if(windows.begin(), windows.end(),
                        [&](const auto& window) { return window->title() == title; });
}

void say(const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

QString handle(const QStringList& words) {
    if (words.size() >= 4 && words[0] == QLatin1String("open")) {
        auto window = std::make_unique<PlainWindow>();
        window->setTitle(words[1]);
        window->resize(words[2].toInt(), words[3].toInt());
        if (words.value(4) == QLatin1String("dialog-of")) {
            const auto parent = find(words.value(5));
            if (parent == windows.end()) {
                return QStringLiteral("error no window %1").arg(words.value(5));
            }
            window->setTransientParent(parent->get());
        }
        window->show();
        // A second window of the same name takes the place of the first.
        const auto old = find(words[1]);
        if (old != windows.end()) {
            windows.erase(old);
        }
        windows.push_back(std::move(window));
        return QStringLiteral("ok");
    }
    if (words.size() == 2 &&
        (words[0] == QLatin1String("minimize") || words[0] == QLatin1String("maximize") ||
         words[0] == QLatin1String("close"))) {
        const auto window = find(words[1]);
        if (window == windows.end()) {
            return QStringLiteral("error no window %1").arg(words[1]);
        }
        if (words[0] == QLatin1String("minimize")) {
            (*window)->showMinimized();
        } else if (words[0] == QLatin1String("maximize")) {
            (*window)->showMaximized();
        } else {
            windows.erase(window);
        }
        return QStringLiteral("ok");
    }
    return QStringLiteral("error unknown command");
}

int runCommands(QGuiApplication& app) {
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QString buffer;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char bytes[4096];
        const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        buffer += QString::fromUtf8(bytes, static_cast<int>(n));
        qsizetype end;
        while ((end = buffer.indexOf(QLatin1Char('\n'))) >= 0) {
            const QString line = buffer.left(end);
            buffer.remove(0, end + 1);
            say(handle(line.split(QLatin1Char(' '), Qt::SkipEmptyParts)));
        }
    });
    say(QStringLiteral("ready"));
    return app.exec();
}

int showWindows(QGuiApplication& app, const QString& sizeText, const QStringList& titles) {
    const QStringList size = sizeText.split(QLatin1Char('x'));
    for (const QString& title : titles) {
        auto window = std::make_unique<PlainWindow>();
        window->setTitle(title);
        window->resize(size.value(0).toInt(), size.value(1).toInt());
        window->show();
        windows.push_back(std::move(window));
    }
    QTimer ready;
    ready.setInterval(10);
    QObject::connect(&ready, &QTimer::timeout, [&] {
        if (std::all_of(windows.begin(), windows.end(),
                        [](const auto& window) { return window->isExposed(); })) {
            ready.stop();
            say(QStringLiteral("ready"));
        }
    });
    ready.start();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 1 || args.size() == 3) {
        std::fprintf(stderr, "usage: plimsett_wayland_client APP_ID [WIDTHxHEIGHT TITLE...]\n");
        return 2;
    }
    QGuiApplication::setDesktopFileName(args[1]);
    const int status = args.size() == 2 ? runCommands(app) : showWindows(app, args[2], args.mid(3));
    // The windows go before the application that holds their connection.
    windows.clear();
    return status;
}
