#include "engine/InternetDate.h"

#include <cstdint>
#include <cstdio>

namespace plimsett {
namespace {

using namespace std::chrono;

bool readDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    if (at + count > text.size()) {
        return false;
    }
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return true;
}

bool expect(std::string_view text, std::size_t at, char c) {
    return at < text.size() && text[at] == c;
}

} // namespace

std::string InternetDate::format(Date date) {
    const auto seconds = floor<std::chrono::seconds>(date);
    const auto days = floor<std::chrono::days>(seconds);
    const year_month_day ymd{days};
    const hh_mm_ss<std::chrono::seconds> time{seconds - days};
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(ymd.year()),
                  unsigned(ymd.month()), unsigned(ymd.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()));
    return buffer;
}

std::optional<Date> InternetDate::parse(std::string_view text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!readDigits(text, 0, 4, y) || !expect(text, 4, '-') || !readDigits(text, 5, 2, mo) ||
        !expect(text, 7, '-') || !readDigits(text, 8, 2, d) ||
        !(expect(text, 10, 'T') || expect(text, 10, 't')) || !readDigits(text, 11, 2, h) ||
        !expect(text, 13, ':') || !readDigits(text, 14, 2, mi) || !expect(text, 16, ':') ||
        !readDigits(text, 17, 2, s)) {
        return std::nullopt;
    }
    int offsetMinutes = 0;
    const std::string_view zone = text.substr(19);
    if (zone == "Z" || zone == "z") {
        offsetMinutes = 0;
    } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
        int oh = 0, om = 0;
        if (!readDigits(zone, 1, 2, oh) || !readDigits(zone, 4, 2, om) || oh > 23 || om > 59) {
            return std::nullopt;
        }
        offsetMinutes = (oh * 60 + om) * (zone[0] == '-' ? -1 : 1);
    } else {
        return std::nullopt;
    }
    const year_month_day ymd{year{y}, month{unsigned(mo)}, day{unsigned(d)}};
    if (!ymd.ok() || h > 23 || mi > 59 || s > 59) {
        return std::nullopt;
    }
    // system_clock counts in nanoseconds, which spans roughly the years 1678 to 2261.
    if (y < 1678 || y > 2261) {
        return std::nullopt;
    }
    const sys_seconds at =
        sys_days{ymd} + hours{h} + minutes{mi} + seconds{s} - minutes{offsetMinutes};
    return time_point_cast<Date::duration>(at);
}

} // namespace plimsett
