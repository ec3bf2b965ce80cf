#pragma once

// The result types of the wave-file layer: a failure is a WaveFailure, never a text.

#include <optional>
#include <utility>
#include <variant>

#include "wavefile/wave_fault.h"

namespace quorbel {

// Outcome of a step that produces nothing: empty on success, else what failed.
using WaveError = std::optional<WaveFailure>;

// Either a value or the failure that explains why there is none.
template <class T>
class Expected {
  public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Expected(WaveFailure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const WaveFailure& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, WaveFailure> state_;
};

}  // namespace quorbel
