#pragma once

// Saves a device's sound the way the document does: a snapshot of it first (a recording in
// progress is ended and included), then that snapshot written to the file.

#include <string>

#include "audio/wave_device.h"

namespace quorbel::testing {

// The device's code for the save: kDeviceOk, or why it failed.
inline unsigned SaveDeviceSound(WaveDevices& devices, DeviceId id, const std::string& path) {
    LoadedSound sound;
    // A recording that could not be kept whole still leaves the sound as it is to save.
    if (const unsigned taken = devices.sound(id, sound); taken == kDeviceErrInvalidId) {
        return taken;
    }
    return devices.saveSound(id, path, sound, SaveDurability::Durable, nullptr, nullptr);
}

}  // namespace quorbel::testing
