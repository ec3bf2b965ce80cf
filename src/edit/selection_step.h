#pragma once

// An effect on the selection alone: only the selection's new bytes are made and written to the
// operation's working file, and the new sound is the sound before with that block in the
// selection's place. What it costs grows with the selection, not with the sound.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "edit/edit_cycle.h"
#include "edit/edit_steps.h"
#include "framework/message.h"
#include "wavefile/piece_list.h"

namespace quorbel {

// Makes the new bytes of the selection's bytes [from, from + in.size()) into `out` (as many);
// `in` holds whole frames.
using SelectionPart = std::function<void(std::span<const std::uint8_t> in, std::uint64_t from,
                                         std::span<std::uint8_t> out)>;

// What an effect will do to the selection it is given: its part, or the box that refuses it.
struct SelectionPlan {
    std::optional<UserMessage> refusal;
    SelectionPart part;
};

// Looks at the selection's bytes first if it must (Normalize's peak), on the worker thread:
// it may read `selected` and report to `progress`.
using PlanSelection = std::function<SelectionPlan(
    const PieceList& selected, const WaveFormat& format, WorkProgress& progress)>;

// The step of such an effect; a selection without a whole frame is refused as Cut refuses it.
EditStep SelectionEffectStep(const EditSelection& selection, PlanSelection plan);

// Calls `visit` with the bytes of `list` in order, in parts of at most `partBytes` (rounded
// down to whole frames of `frameBytes`), each with its offset; the bytes are read into a
// buffer, so a part never ends inside a frame whatever the pieces.
void ForEachPart(const PieceList& list, std::size_t frameBytes, std::size_t partBytes,
                 const std::function<void(std::span<const std::uint8_t>, std::uint64_t)>& visit);

}  // namespace quorbel
