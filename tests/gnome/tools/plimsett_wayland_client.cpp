// A Wayland client for the GNOME tests: opens and closes plain windows on command, one command a
// line on standard input, answering "ok" or "error <why>" on standard output.
//
//   open NAME WIDTH HEIGHT [dialog-of PARENT]
//   minimize NAME
//   maximize NAME
//   close NAME
//
// NAME is the window's title. The app id is the first argument (the class the Shell reports).
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

class PlainWindow : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(0, 0), size()), QColor(70, 110, 160));
    }
};

std::map<QString, std::unique_ptr<PlainWindow>> windows;

QString handle(const QStringList& words) {
    if (words.size() >= 4 && words[0] == QLatin1String("open")) {
        const QString& name = words[1];
        auto window = std::make_unique<PlainWindow>();
        window->setTitle(name);
        window->resize(words[2].toInt(), words[3].toInt());
        const QString mode = words.value(4);
        if (mode == QLatin1String("dialog-of")) {
            const auto parent = windows.find(words.value(5));
            if (parent == windows.end()) {
                return QStringLiteral("error no window %1").arg(words.value(5));
            }
            window->setTransientParent(parent->second.get());
        }
        window->show();
        windows[name] = std::move(window);
        return QStringLiteral("ok");
    }
    if (words.size() == 2 &&
        (words[0] == QLatin1String("minimize") || words[0] == QLatin1String("maximize"))) {
        const auto window = windows.find(words[1]);
        if (window == windows.end()) {
            return QStringLiteral("error no window %1").arg(words[1]);
        }
        if (words[0] == QLatin1String("minimize")) {
            window->second->showMinimized();
        } else {
            window->second->showMaximized();
        }
        return QStringLiteral("ok");
    }
    if (words.size() == 2 && words[0] == QLatin1String("close")) {
        if (windows.erase(words[1]) == 0) {
            return QStringLiteral("error no window %1").arg(words[1]);
        }
        return QStringLiteral("ok");
    }
    return QStringLiteral("error unknown command");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc > 1) {
        QGuiApplication::setDesktopFileName(QString::fromLocal8Bit(argv[1]));
    }
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
            const QString answer = handle(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
            std::fputs((answer + QLatin1Char('\n')).toUtf8().constData(), stdout);
            std::fflush(stdout);
        }
    });
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return app.exec();
}
