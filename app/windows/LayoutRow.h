#pragma once

#include "engine/SavedLayout.h"

#include <QLocale>
#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

namespace plimsett {

// One saved layout in the settings window: its display set's name (marked when that set is
// connected now), how many windows it holds and when it was saved, and a button that forgets it.
class LayoutRow : public QWidget {
    Q_OBJECT
public:
    LayoutRow(const SavedLayout& layout, bool isCurrent, std::function<void()> onForget,
              QWidget* parent = nullptr);

    // "<count> windows · saved <date and time>", the date abbreviated and the time short, in
    // `locale`'s conventions and the local time zone.
    static QString detailText(const SavedLayout& layout, const QLocale& locale);
    // `date` with the locale's abbreviated date style and short time style.
    static QString dateTimeText(Date date, const QLocale& locale);

    const std::string& displaySetID() const { return displaySetID_; }
    bool isCurrent() const { return currentLabel_ != nullptr; }
    QString nameText() const;
    QString detail() const;
    QPushButton* forgetButton() const { return forget_; }

private:
    std::string displaySetID_;
    QLabel* name_;
    QLabel* currentLabel_ = nullptr;
    QLabel* detail_;
    QPushButton* forget_;
};

} // namespace plimsett
