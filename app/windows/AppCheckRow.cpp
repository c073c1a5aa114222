#include "app/windows/AppCheckRow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace plimsett {

AppCheckRow::AppCheckRow(const AppEntry& entry, bool checked, bool alignWithIcons, QWidget* parent)
    : QWidget(parent), id_(entry.id) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 3, 8, 3);
    row->setSpacing(6);
    check_ = new QCheckBox(this);
    check_->setChecked(checked);
    // The box is read out by the name it stands for.
    check_->setAccessibleName(entry.name);
    row->addWidget(check_, 0, Qt::AlignVCenter);

    auto* label = new QHBoxLayout;
    label->setSpacing(8);
    if (!entry.icon.isNull()) {
        icon_ = new QLabel(this);
        icon_->setPixmap(entry.icon.pixmap(QSize(iconSize, iconSize), devicePixelRatioF()));
        icon_->setFixedSize(iconSize, iconSize);
        icon_->setAlignment(Qt::AlignCenter);
        // Decoration only: the name says everything.
        icon_->setAccessibleName(QString());
        label->addWidget(icon_, 0, Qt::AlignVCenter);
    } else if (alignWithIcons) {
        // A box layout puts no spacing next to a spacer, so the spacer carries it.
        label->addSpacing(iconSize + label->spacing());
    }
    // Shown as it is, never translated.
    name_ = new QLabel(entry.name, this);
    name_->setTextFormat(Qt::PlainText);
    label->addWidget(name_, 1, Qt::AlignVCenter);
    row->addLayout(label, 1);
    setMinimumHeight(iconSize + 6);

    connect(check_, &QCheckBox::clicked, this, &AppCheckRow::toggledByUser);
}

QString AppCheckRow::name() const {
    return name_->text();
}

bool AppCheckRow::isChecked() const {
    return check_->isChecked();
}

void AppCheckRow::setChecked(bool checked) {
    check_->setChecked(checked);
}

void AppCheckRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        check_->click();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace plimsett
