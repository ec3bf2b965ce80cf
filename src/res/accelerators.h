#pragma once

#include <vector>

namespace quorbel {

// Keys of the accelerator table, independent of any toolkit's key codes.
enum class AccelKey { N, O, S, Z, Y, X, C, V, E, R, A, T, L, Backspace, Delete, Insert, F6 };

inline constexpr unsigned kAccelCtrl = 1;
inline constexpr unsigned kAccelShift = 2;
inline constexpr unsigned kAccelAlt = 4;

struct Accelerator {
    AccelKey key;
    unsigned modifiers;  // kAccel* flags
    int command;
};

// Accelerator table 128 of the main frame, secondary keys included.
const std::vector<Accelerator>& acceleratorTable();

}  // namespace quorbel
