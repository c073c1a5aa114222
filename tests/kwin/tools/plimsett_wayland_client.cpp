// A Wayland client for the tests: shows one plain window per title given, with the app id and
// size given, and prints "ready" once every window is on screen. It runs until it is ended.
//
//   plimsett_wayland_client APP_ID WIDTHxHEIGHT TITLE...
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

class PlainWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), QColor(80, 120, 160));
    }
};

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: plimsett_wayland_client APP_ID WIDTHxHEIGHT TITLE...\n");
        return 2;
    }
    QGuiApplication::setDesktopFileName(args[1]);
    const QStringList size = args[2].split(QLatin1Char('x'));
    const QSize windowSize(size.value(0).toInt(), size.value(1).toInt());
    std::vector<std::unique_ptr<PlainWindow>> windows;
    for (qsizetype i = 3; i < args.size(); ++i) {
        auto window = std::make_unique<PlainWindow>();
        window->setTitle(args[i]);
        window->resize(windowSize);
        window->show();
        windows.push_back(std::move(window));
    }
    QTimer ready;
    ready.setInterval(10);
    QObject::connect(&ready, &QTimer::timeout, [&] {
        for (const auto& window : windows) {
            if (!window->isExposed()) {
                return;
            }
        }
        ready.stop();
        std::printf("ready\n");
        std::fflush(stdout);
    });
    ready.start();
    return app.exec();
}
