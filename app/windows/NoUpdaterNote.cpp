#include "app/windows/NoUpdaterNote.h"

#include <QApplication>

namespace plimsett {

NoUpdaterNote::~NoUpdaterNote() {
    delete dialog_.data();
}

void NoUpdaterNote::show() {
    if (!dialog_) {
#ifdef __APPLE__
        const QString text = QApplication::translate(
            "Updates", "This build of Plimsett was made without an update framework.");
#else
        const QString text = QApplication::translate(
            "Updates", "Plimsett is updated by your system's package manager.");
#endif
        // Not modal: the event loop, and with it the display events, keeps running while the
        // note is open.
        auto* box = new QMessageBox(QMessageBox::Information,
                                    QApplication::translate("Updates", "Check for Updates"), text,
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
