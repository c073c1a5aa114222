#pragma once

#include "app/windows/AppEntry.h"

#include <QWidget>

class QCheckBox;
class QLabel;

namespace plimsett {

// One application in the excluded-apps list: a check box labelled with the application's icon
// and name. A click anywhere on the row toggles the box.
class AppCheckRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int iconSize = 20;

    // With `alignWithIcons`, a row without an icon leaves the icon's room empty, so that its name
    // lines up with the names of rows that have one.
    AppCheckRow(const AppEntry& entry, bool checked, bool alignWithIcons = false,
                QWidget* parent = nullptr);

    const std::string& id() const { return id_; }
    QString name() const;
    bool hasIcon() const { return icon_ != nullptr; }
    bool isChecked() const;
    void setChecked(bool checked);
    QCheckBox* checkBox() const { return check_; }

signals:
    // The user checked or unchecked the box.
    void toggledByUser(bool checked);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::string id_;
    QCheckBox* check_;
    QLabel* icon_ = nullptr;
    QLabel* name_;
};

} // namespace plimsett
