#include "engine/RestorePass.h"

#include <memory>

namespace plimsett {

RestorePass::RestorePass(RestorePlan plan, EraCounter::Era era, Counts answered, Counts followUp)
    : plan_(std::move(plan)), era_(era), answered_(std::move(answered)),
      followUp_(std::move(followUp)) {}

void RestorePass::send(WindowSystem& windowSystem, Answered answered) const {
    const auto returned = std::make_shared<bool>(false);
    // The answers may outlive the caller's copy of the pass, so they get one of their own.
    windowSystem.moveAllAsync(plan_.moves(), [pass = *this, answered = std::move(answered),
                                              returned](std::vector<bool> answers) {
        answered(pass, pass.plan_.answered(answers), *returned);
    });
    *returned = true;
}

void RestorePass::finish(const RestoreResult& counts, const EraCounter& eras) const {
    if (answered_) {
        answered_(counts);
    }
    if (followUp_ && eras.isCurrent(era_)) {
        followUp_(counts);
    }
}

} // namespace plimsett
