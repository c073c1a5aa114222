#pragma once

#include "engine/AccessPermission.h"

#include <functional>
#include <memory>
#include <string>

namespace plimsett {

// An access permission with its desktop's advice added: whether access is on and how to ask for
// it are the inner permission's; advice() asks `advise` while access is missing.
class AdvisedAccessPermission : public AccessPermission {
public:
    AdvisedAccessPermission(std::shared_ptr<AccessPermission> inner,
                            std::function<std::string()> advise);

    bool isTrusted() const override;
    void requestAccess() override;
    std::string advice() const override;

private:
    std::shared_ptr<AccessPermission> inner_;
    std::function<std::string()> advise_;
};

} // namespace plimsett
