#include "platform/ActivationPolicy.h"

#import <AppKit/AppKit.h>

namespace ActivationPolicy {

void makeAccessory()
{
    [NSApp setActivationPolicy:NSApplicationActivationPolicyAccessory];
}

} // namespace ActivationPolicy
