#pragma once

#include <string>

namespace quorbel {

// Why a sound file could not be read or written. The device turns the kind into its result
// code and keeps the text for the user.
enum class SoundError {
    None,
    NotFound,
    CannotRead,
    NotWave,
    NoFmt,
    BadFmt,
    NoData,
    Unsupported,
    OutOfMemory,
    CannotWrite,
    TooLarge,
};

struct SoundProblem {
    SoundError kind = SoundError::None;
    std::string text;

    explicit operator bool() const { return kind != SoundError::None; }
};

}  // namespace quorbel
