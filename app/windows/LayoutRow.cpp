#include "app/windows/LayoutRow.h"

#include "app/windows/Appearance.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <chrono>
#include <memory>
#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace plimsett {

LayoutRow::LayoutRow(const SavedLayout& layout, bool isCurrent, std::function<void()> onForget,
                     QWidget* parent)
    : QWidget(parent), displaySetID_(layout.displaySetID) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);

    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    auto* firstLine = new QHBoxLayout;
    firstLine->setSpacing(6);
    // Names of display sets are shown as they are, never translated.
    name_ = new QLabel(QString::fromStdString(layout.displaySetName), this);
    name_->setTextFormat(Qt::PlainText);
    // A set of many displays has a long name: it wraps rather than widening the window.
    name_->setWordWrap(true);
    firstLine->addWidget(name_, 0, Qt::AlignVCenter);
    if (isCurrent) {
        currentLabel_ = new QLabel(tr("Connected now"), this);
        Appearance::makeCaption(currentLabel_);
        firstLine->addWidget(currentLabel_, 0, Qt::AlignVCenter);
    }
    firstLine->addStretch(1);
    column->addLayout(firstLine);
    detail_ = new QLabel(detailText(layout, locale()), this);
    detail_->setWordWrap(true);
    Appearance::makeCaption(detail_);
    column->addWidget(detail_);
    row->addLayout(column, 1);

    forget_ = new QPushButton(tr("Forget"), this);
    forget_->setAutoDefault(false);
    forget_->setAccessibleName(
        tr("Forget layout for %1").arg(QString::fromStdString(layout.displaySetName)));
    Appearance::setTextColour(forget_, Appearance::destructive(forget_->palette()));
    connect(forget_, &QPushButton::clicked, this, [onForget = std::move(onForget)] {
        if (onForget) {
            onForget();
        }
    });
    row->addWidget(forget_, 0, Qt::AlignVCenter);
}

QString LayoutRow::detailText(const SavedLayout& layout, const QLocale& locale) {
    // Always "windows", also for one: the count is a plain number in front of a fixed phrase.
    return tr("%1 windows · saved %2")
        .arg(QString::number(static_cast<qulonglong>(layout.windows.size())),
             dateTimeText(layout.savedAt, locale));
}

QString LayoutRow::dateTimeText(Date date, const QLocale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale icuLocale = icu::Locale::forLanguageTag(locale.bcp47Name().toStdString(), status);
    if (U_FAILURE(status)) {
        icuLocale = icu::Locale::getRoot();
    }
    const std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kMedium, icu::DateFormat::kShort, icuLocale));
    const double millis =
        std::chrono::duration<double, std::milli>(date.time_since_epoch()).count();
    if (!format) {
        return locale.toString(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(millis)),
                               QLocale::ShortFormat);
    }
    icu::UnicodeString text;
    format->format(millis, text);
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

QString LayoutRow::nameText() const {
    return name_->text();
}

QString LayoutRow::detail() const {
    return detail_->text();
}

} // namespace plimsett
