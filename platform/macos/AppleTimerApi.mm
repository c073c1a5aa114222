#include "platform/macos/AppleTimerApi.h"

#import <Foundation/Foundation.h>

namespace plimsett {
namespace {

class AppleRepeatingTimer : public TimerApi::RepeatingTimer {
public:
    explicit AppleRepeatingTimer(NSTimer* timer) : timer_(timer) {}
    void invalidate() override { [timer_ invalidate]; }

private:
    NSTimer* timer_;
};

} // namespace

std::shared_ptr<TimerApi::RepeatingTimer>
AppleTimerApi::scheduleRepeatingTimer(double intervalSeconds, std::function<void()> action) {
    NSTimer* timer = [NSTimer scheduledTimerWithTimeInterval:intervalSeconds
                                                     repeats:YES
                                                       block:^(NSTimer* fired) {
                                                         (void)fired;
                                                         action();
                                                       }];
    return std::make_shared<AppleRepeatingTimer>(timer);
}

} // namespace plimsett
