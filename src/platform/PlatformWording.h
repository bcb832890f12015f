#pragma once

#include "platform/Platform.h"

#include <QString>

// Texts are written for the Mac, the product's home. Elsewhere the same sentences speak of the
// computer and the system tray, so one wording serves every view instead of a second copy per text.
namespace PlatformWording {

// `text` as it reads on `platform`: unchanged on macOS; elsewhere "Mac" becomes "computer" (French
// "ordinateur") and the menu bar becomes the system tray. Other words containing "Mac" (macOS,
// MacBook) are left alone.
QString adapt(const QString& text, Platform::Kind platform = Platform::current());

} // namespace PlatformWording
