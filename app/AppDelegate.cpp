#include "app/AppDelegate.h"

#include <QCoreApplication>
#include <QTimer>

namespace plimsett {

AppDelegate::AppDelegate(ModelFactory makeModel, MenuFactory makeMenu, QObject* parent)
    : QObject(parent), makeModel_(std::move(makeModel)), makeMenu_(std::move(makeMenu)) {
    if (!makeMenu_) {
        makeMenu_ = [](AppModel& model) { return std::make_unique<StatusMenuController>(model); };
    }
    QTimer::singleShot(0, this, &AppDelegate::applicationDidFinishLaunching);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
    }
}

AppDelegate::~AppDelegate() {
    applicationWillTerminate();
}

void AppDelegate::applicationDidFinishLaunching() {
    if (model_ || terminated_ || !makeModel_) {
        return;
    }
    model_ = makeModel_();
    menu_ = makeMenu_(*model_);
    model_->start();
    emit launched();
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_) {
        return;
    }
    // Also keeps a launch that has not happened yet from happening.
    terminated_ = true;
    if (!model_) {
        return;
    }
    if (EventMonitor* monitor = model_->monitor()) {
        monitor->stop();
    }
    model_->controller()->stop();
}

} // namespace plimsett
