#pragma once

#include "app/UpdateController.h"

#include <QMessageBox>
#include <QPointer>


namespace plimsett {

// Where the system's package manager delivers updates: the program has no update mechanism of
// its own. A check explains that in a small dialog; automatic checks never run.
class PackageManagerUpdateController : public UpdateController {
public:
    ~PackageManagerUpdateController() override;

    void checkForUpdates() override;
    // Always false: nothing checks on a schedule.
    bool automaticallyChecksForUpdates() const override { return false; }
    void setAutomaticallyChecksForUpdates(bool) override {}

    // The open dialog, if any.
    QMessageBox* dialog() const { return dialog_; }

private:
    QPointer<QMessageBox> dialog_;
};

} // namespace plimsett
