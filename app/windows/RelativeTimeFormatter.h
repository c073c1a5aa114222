#pragma once

#include "engine/SavedLayout.h"

#include <QLocale>
#include <QString>

namespace plimsett {

// Spells out how far a date lies from another ("3 minutes ago", "in 2 hours") in a locale's
// language, with ICU's relative date-time formatter and full unit names.
class RelativeTimeFormatter {
public:
    explicit RelativeTimeFormatter(const QLocale& locale = QLocale::system());

    // The largest unit of which at least one whole lies between the dates (seconds, minutes,
    // hours, days, weeks, months, years), counted toward zero.
    QString format(Date date, Date relativeTo) const;

private:
    QLocale locale_;
};

} // namespace plimsett
