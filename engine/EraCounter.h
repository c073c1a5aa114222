#pragma once

#include <cstdint>

namespace plimsett {

// Numbers the stretches between the changes after which work that waited may no longer go on as
// planned. The work notes the era it began in and, when it resumes, asks whether that era is
// still the current one.
class EraCounter {
public:
    using Era = std::uint64_t;

    Era current() const { return current_; }
    bool isCurrent(Era era) const { return era == current_; }
    void beginNew() { ++current_; }

private:
    Era current_ = 0;
};

} // namespace plimsett
