#pragma once

#include "app/AppModel.h"
#include "app/StatusMenuController.h"

#include <QObject>
#include <functional>
#include <memory>

namespace plimsett {

// Builds the model and the tray menu once the event loop runs, starts the model, and on quit
// stops the event monitor and then the layout controller.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    using ModelFactory = std::function<std::unique_ptr<AppModel>()>;
    using MenuFactory = std::function<std::unique_ptr<StatusMenuController>(AppModel&)>;

    // Schedules launching for the first turn of the event loop and termination handling for the
    // application's quit.
    explicit AppDelegate(ModelFactory makeModel, MenuFactory makeMenu = nullptr,
                         QObject* parent = nullptr);
    ~AppDelegate() override;

    // Constructs the model, then the menu with it, then starts the model. Runs once.
    void applicationDidFinishLaunching();
    // Stops the event monitor, then the layout controller. Nothing is saved. Does nothing before
    // launching finished.
    void applicationWillTerminate();

    AppModel* model() const { return model_.get(); }
    StatusMenuController* menu() const { return menu_.get(); }

signals:
    void launched();

private:
    ModelFactory makeModel_;
    MenuFactory makeMenu_;
    // The menu refers to the model, so it goes first.
    std::unique_ptr<AppModel> model_;
    std::unique_ptr<StatusMenuController> menu_;
    bool terminated_ = false;
};

} // namespace plimsett
