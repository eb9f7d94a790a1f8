#pragma once

#include <QString>

class SettingsStore;

namespace Settings {
// The caption written onto captured pictures until the user sets another.
QString defaultCaption();
// Fills the caption and the capture destination on a first run (or after the user emptied
// the caption); no other key is seeded.
void seed(SettingsStore& store);
// Automatic Video CD detection at start-up: on when the key is absent or "1".
bool vcdAutoDetection(const SettingsStore& store);
} // namespace Settings
