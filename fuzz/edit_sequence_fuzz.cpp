// Drives a view through a random sequence of handle drags, Cut, Copy, Paste, Undo, Redo and the
// effects on a random small sound (8, 16, 24 or 32 bits or float, mono or stereo), through the real
// edit cycle, device and working files, and checks after every command what a user relies on: the
// sound is whole frames, the working file's sizes match the bytes in it, the clipboard holds whole
// frames, Undo and Redo bring back the versions the user saw, and Reverse twice gives back the
// sound. Any crash, sanitizer report or broken invariant is a finding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "edit/edit_commands.h"
#include "effects/effect_commands.h"
#include "fakes/fake_frame_window.h"
#include "fakes/fake_view_window.h"
#include "fakes/piece_bytes.h"
#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "fuzz_support.h"
#include "view/quorbel_view.h"
#include "wavefile/byte_order.h"
#include "wavefile/clipboard.h"

namespace {

using quorbel::fuzz::Check;
using Bytes = std::vector<std::uint8_t>;

// Takes bytes off the input; zeros once it is used up.
struct Input {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t at = 0;
    bool more() const { return at < size; }
    std::uint8_t next() { return at < size ? bytes[at++] : 0; }
};

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes WaveFile(int bits, bool isFloat, int channels, const Bytes& data) {
    const auto block = static_cast<std::uint16_t>(bits / 8 * channels);
    Bytes file(44);
    std::copy_n("RIFF", 4, file.begin());
    quorbel::StoreLe32(&file[4], static_cast<std::uint32_t>(36 + data.size()));
    std::copy_n("WAVEfmt ", 8, file.begin() + 8);
    quorbel::StoreLe32(&file[16], 16);
    quorbel::StoreLe16(&file[20], isFloat ? 3 : 1);
    quorbel::StoreLe16(&file[22], static_cast<std::uint16_t>(channels));
    quorbel::StoreLe32(&file[24], 1000);
    quorbel::StoreLe32(&file[28], 1000u * block);
    quorbel::StoreLe16(&file[32], block);
    quorbel::StoreLe16(&file[34], static_cast<std::uint16_t>(bits));
    std::copy_n("data", 4, file.begin() + 36);
    quorbel::StoreLe32(&file[40], static_cast<std::uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// A working file as the program left it: RIFF size and data size match the bytes present.
void CheckFileSizes(const std::string& path) {
    const Bytes file = FileBytes(path);
    Check(file.size() >= 44, "a working file without its header");
    const std::uint32_t riff = quorbel::LoadLe32(&file[4]);
    Check(riff == file.size() - 8, "the RIFF size differs from the bytes in the file");
    const std::uint32_t data = quorbel::LoadLe32(&file[40]);
    // Nothing but the data follows its header: at most the pad byte of an odd size.
    const std::size_t after = file.size() - std::min<std::size_t>(file.size(), 44 + data);
    Check(44 + data <= file.size() && after <= (data & 1),
          "the data size differs from the bytes present");
}

Bytes ViewBytes(const quorbel::CQuorbelView& v) {
    return BytesOf(v.m_waveData);
}

bool Succeeded(const quorbel::FakeFrameWindow& frame) {
    const std::string text = frame.statusText();
    return text.ends_with("complete!") || text.ends_with("succesfully");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace quorbel;
    Input in{bytes, size};
    // Every layout the editor opens; float samples may be NaN or infinite.
    struct Layout {
        int bits;
        bool isFloat;
    };
    constexpr Layout kLayouts[] = {{8, false}, {16, false}, {24, false}, {32, false}, {32, true}};
    const Layout layout = kLayouts[in.next() % 5];
    const int bits = layout.bits;
    const int channels = (in.next() & 1) != 0 ? 2 : 1;
    const std::size_t frameBytes = static_cast<std::size_t>(bits / 8 * channels);
    const std::size_t frames = 1 + in.next() % 120;
    Bytes data(frames * frameBytes);
    for (std::uint8_t& b : data) b = in.next();

    // Working files go to a folder of this process, emptied after every input.
    static const std::string folder = [] {
        const std::string f = fuzz::ScratchPath("edits");
        std::filesystem::create_directories(f);
        setenv("TMPDIR", f.c_str(), 1);
        return f;
    }();
    const std::string path = folder + "/sound.wav";
    if (!fuzz::WriteFile(path, WaveFile(bits, layout.isFloat, channels, data))) return 0;

    {
        ManualClock clock;
        NullAudioBackend backend(clock);
        WaveDevices devices(backend);
        FakeFrameWindow frame;
        FakeViewWindow window;
        Clipboard clipboard;
        AppContext context{&devices, nullptr, nullptr, &frame, &clipboard};
        CQuorbelDoc doc(context);
        Check(doc.OnOpenDocument(path), "a well-formed sound does not open");
        CQuorbelView view(doc, window, context);
        view.AddCommands(EditCommands());
        view.AddCommands(EffectCommands());
        view.OnInitialUpdate();

        // The versions Undo and Redo move between, as the user saw them.
        std::vector<Bytes> versions{ViewBytes(view)};
        std::size_t current = 0;
        Bytes beforeReverse;  // the sound before a reverse that just took effect
        constexpr int kCommands[] = {ID_EDIT_CUT,       ID_EDIT_COPY,       ID_EDIT_PASTE,
                                     ID_EDIT_UNDO,      ID_EDIT_REDO,       ID_EFFECTS_REVERSE,
                                     ID_FILTER_LOWPASS, ID_FILTER_HIGHPASS, ID_OCTAVE_INCREASE,
                                     ID_OCTAVE_DECREASE};
        for (int steps = 0; in.more() && steps < 12; ++steps) {
            const std::uint8_t op = in.next() % 12;
            if (op < 2) {
                // Press on a handle (or beside it) and drag it along the vectorscope.
                const Rect& handle = op == 0 ? view.m_rcStartHandle : view.m_rcEndHandle;
                view.OnLButtonDown(MK_LBUTTON, {handle.left + in.next() % 16, handle.top + 1});
                view.OnMouseMove(MK_LBUTTON, {in.next() % 400, 300});
                continue;
            }
            const int id = kCommands[op - 2];
            const Bytes before = ViewBytes(view);
            const bool undoable = view.m_strCurrentFile != view.m_strPreviousFile;
            Check(undoable == (current > 0), "Undo is enabled without a version to go back to");
            frame.texts.clear();
            if (!view.OnCommand(id)) continue;
            const Bytes after = ViewBytes(view);
            const bool ok = Succeeded(frame);

            Check(after.size() % frameBytes == 0, "the sound is no longer whole frames");
            // Every working file a block of the shown sound lives in is whole.
            if (view.m_waveData) {
                for (const auto& block : view.m_waveData->Blocks()) {
                    if (block->home.own) CheckFileSizes(block->home.file);
                }
            }
            Check(!clipboard.Holds() ||
                      clipboard.Length() %
                              static_cast<std::uint32_t>((clipboard.Bits() / 8) *
                                                         std::max(clipboard.Channels(), 1)) ==
                          0,
                  "the clipboard holds a partial frame");
            Check(doc.m_workingFiles.Files().size() <= versions.size(),
                  "more working files than versions in the history");
            if (!ok) {
                Check(after == before, "a failed command changed the sound");
                Check((view.m_strCurrentFile != view.m_strPreviousFile) == undoable,
                      "a failed command changed what Undo does");
            } else if (id == ID_EDIT_UNDO) {
                Check(after == versions[--current], "Undo did not bring back the version before");
            } else if (id == ID_EDIT_REDO) {
                Check(current + 1 < versions.size(), "Redo ran without a version to go to");
                Check(after == versions[++current], "Redo did not bring back the version after");
            } else if (id != ID_EDIT_COPY) {
                versions.resize(current + 1);
                versions.push_back(after);
                ++current;
            }
            Check(doc.m_history.UndoSteps() == current &&
                      doc.m_history.RedoSteps() == versions.size() - 1 - current,
                  "the history's steps differ from the versions the user saw");
            if (id == ID_EFFECTS_REVERSE && ok) {
                if (!beforeReverse.empty()) {
                    Check(after == beforeReverse, "Reverse twice changed the sound");
                    beforeReverse.clear();
                } else {
                    beforeReverse = before;
                }
            } else if (id != ID_EDIT_COPY) {
                beforeReverse.clear();
            }
        }
    }
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        std::filesystem::remove(entry.path(), ignored);
    }
    return 0;
}
