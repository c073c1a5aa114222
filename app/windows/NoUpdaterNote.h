#pragma once

#include <QMessageBox>
#include <QPointer>

namespace plimsett {

// What "Check for Updates…" shows in a build that has no update framework: a small note, not
// modal, that says where new versions come from. A second check brings the same note forward.
class NoUpdaterNote {
public:
    NoUpdaterNote() = default;
    NoUpdaterNote(const NoUpdaterNote&) = delete;
    NoUpdaterNote& operator=(const NoUpdaterNote&) = delete;
    ~NoUpdaterNote();

    void show();

    // The open note, if any.
    QMessageBox* dialog() const { return dialog_; }

private:
    QPointer<QMessageBox> dialog_;
};

} // namespace plimsett
