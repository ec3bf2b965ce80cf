#include "framework/command_ids.h"

#include <charconv>
#include <utility>

namespace quorbel {

namespace {

#define QUORBEL_COMMAND_NAME(name, number) std::pair<std::string_view, int>{#name, number},
constexpr std::pair<std::string_view, int> kCommandNames[] = {
    QUORBEL_COMMAND_IDS(QUORBEL_COMMAND_NAME)};
#undef QUORBEL_COMMAND_NAME

}  // namespace

std::optional<int> commandIdFromName(std::string_view name) {
    for (const auto& [n, id] : kCommandNames) {
        if (n == name) return id;
    }
    int value = 0;
    const char* end = name.data() + name.size();
    auto [ptr, ec] = std::from_chars(name.data(), end, value);
    if (ec == std::errc{} && ptr == end && !name.empty()) return value;
    return std::nullopt;
}

std::string_view commandName(int id) {
    for (const auto& [n, cid] : kCommandNames) {
        if (cid == id) return n;
    }
    return {};
}

}  // namespace quorbel
