#pragma once

// Keeps the application out of the Dock and the task bar: an accessory application on macOS.
namespace ActivationPolicy {

void makeAccessory();

} // namespace ActivationPolicy
