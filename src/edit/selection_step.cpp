#include "edit/selection_step.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "edit/sound_sink.h"

namespace quorbel {

void ForEachPart(const PieceList& list, std::size_t frameBytes, std::size_t partBytes,
                 const std::function<void(std::span<const std::uint8_t>, std::uint64_t)>& visit) {
    const std::size_t frame = std::max<std::size_t>(frameBytes, 1);
    const std::size_t part = std::max<std::size_t>(partBytes / frame, 1) * frame;
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(part, list.size())));
    for (std::uint64_t from = 0; from < list.size(); from += part) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(part, list.size() - from));
        const std::span<std::uint8_t> bytes = std::span<std::uint8_t>(buffer).first(n);
        list.Read(from, bytes);
        visit(bytes, from);
    }
}

EditStep SelectionEffectStep(const EditSelection& selection, PlanSelection plan) {
    EditStep step;
    step.make = [selection, plan](const LoadedSound& before, SoundSink& sink,
                                  WorkProgress& progress) {
        const WaveFormat f = FormatOf(before);
        const PieceList& data = before.data;
        const SelectedBytes r = SelectedBytesOf(f, data.size(), selection);
        if (r.start >= r.end) {
            return EditOutcome::Failed(
                {"Nothing to do, starting and ending positions are the same!",
                 MessageStyle::Warning});
        }
        const PieceList selected = data.Slice(r.start, r.end);
        const SelectionPlan planned = plan(selected, f, progress);
        if (planned.refusal) return EditOutcome::Failed(*planned.refusal);
        sink.Begin(selected.size());
        ForEachPart(selected, f.nBlockAlign, SoundSink::kPieceBytes,
                    [&](std::span<const std::uint8_t> in, std::uint64_t from) {
                        const std::span<std::uint8_t> room = sink.Room(in.size());
                        if (room.size() != in.size())
                            throw std::logic_error("a piece larger than the sink's room");
                        planned.part(in, from, room);
                        sink.Commit(in.size());
                    });
        const PieceList block(sink.Finish());
        EditOutcome done;
        done.written = block.pieces()[0].block;
        done.sound.fmt = before.fmt;
        done.sound.format = before.format;
        done.sound.data = data.Slice(0, r.start).Then(block).Then(data.Slice(r.end, data.size()));
        done.reload = EditReload::SamplesOnly;
        return done;
    };
    return step;
}

}  // namespace quorbel
