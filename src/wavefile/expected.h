#pragma once

#include <optional>
#include <utility>
#include <variant>

#include "framework/message.h"

namespace quorbel {

// Outcome of a step that produces nothing: empty on success, else the message to show.
using WaveError = std::optional<UserMessage>;

// Either a value or the message that explains why there is none.
template <class T>
class Expected {
  public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Expected(UserMessage message) : state_(std::in_place_index<1>, std::move(message)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const UserMessage& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, UserMessage> state_;
};

}  // namespace quorbel
