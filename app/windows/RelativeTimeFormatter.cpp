#include "app/windows/RelativeTimeFormatter.h"

#include <QDateTime>
#include <chrono>
#include <cmath>
#include <memory>
#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

namespace plimsett {
namespace {

struct Amount {
    double value;
    URelativeDateTimeUnit unit;
};

// Whole units toward zero; a negative value lies in the past.
Amount amountBetween(double seconds) {
    constexpr double minute = 60, hour = 3600, day = 86400, week = 7 * day, month = 30 * day,
                     year = 365 * day;
    const double magnitude = std::fabs(seconds);
    const double sign = seconds < 0 ? -1 : 1;
    const auto whole = [&](double unit) { return sign * std::floor(magnitude / unit); };
    if (magnitude < minute) {
        return {whole(1), UDAT_REL_UNIT_SECOND};
    }
    if (magnitude < hour) {
        return {whole(minute), UDAT_REL_UNIT_MINUTE};
    }
    if (magnitude < day) {
        return {whole(hour), UDAT_REL_UNIT_HOUR};
    }
    if (magnitude < week) {
        return {whole(day), UDAT_REL_UNIT_DAY};
    }
    if (magnitude < month) {
        return {whole(week), UDAT_REL_UNIT_WEEK};
    }
    if (magnitude < year) {
        return {whole(month), UDAT_REL_UNIT_MONTH};
    }
    return {whole(year), UDAT_REL_UNIT_YEAR};
}

} // namespace

RelativeTimeFormatter::RelativeTimeFormatter(const QLocale& locale) : locale_(locale) {}

QString RelativeTimeFormatter::format(Date date, Date relativeTo) const {
    const double seconds = std::chrono::duration<double>(date - relativeTo).count();
    const Amount amount = amountBetween(seconds);
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale locale = icu::Locale::forLanguageTag(locale_.bcp47Name().toStdString(), status);
    if (U_FAILURE(status)) {
        locale = icu::Locale::getRoot();
        status = U_ZERO_ERROR;
    }
    icu::RelativeDateTimeFormatter formatter(locale, nullptr, UDAT_STYLE_LONG,
                                             UDISPCTX_CAPITALIZATION_NONE, status);
    icu::UnicodeString text;
    if (U_SUCCESS(status)) {
        formatter.formatNumeric(amount.value, amount.unit, text, status);
    }
    if (U_FAILURE(status)) {
        // Without ICU's data the date itself is the best there is.
        return locale_.toString(
            QDateTime::fromSecsSinceEpoch(
                std::chrono::duration_cast<std::chrono::seconds>(date.time_since_epoch()).count()),
            QLocale::ShortFormat);
    }
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

} // namespace plimsett
