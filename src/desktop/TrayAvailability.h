#pragma once
// Whether the desktop offers a system tray. Hiding the main window to the tray is allowed only then;
// tests decide the answer themselves.
#include <optional>

namespace tray {
// QSystemTrayIcon::isSystemTrayAvailable(), unless overridden.
bool available();
// Replaces the answer (nullopt restores the desktop's own).
void setAvailabilityOverride(std::optional<bool> value);
}  // namespace tray
