#include "app/PackageManagerUpdateController.h"

#include <QApplication>
#include <QMessageBox>

namespace plimsett {

PackageManagerUpdateController::~PackageManagerUpdateController() {
    delete dialog_.data();
}

void PackageManagerUpdateController::checkForUpdates() {
    if (!dialog_) {
        // Not modal: the event loop, and with it the display events, keeps running while the
        // dialog is open.
        auto* box = new QMessageBox(
            QMessageBox::Information, QApplication::translate("Updates", "Check for Updates"),
            QApplication::translate("Updates", "Plimsett is updated by your system's package "
                                               "manager."),
            QMessageBox::Ok);
        box->setInformativeText(QApplication::translate(
            "Updates", "This build does not look for updates itself. Install new versions the "
                       "way you installed this one."));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        dialog_ = box;
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

} // namespace plimsett
