#pragma once

// A view hosted by fakes: the null audio backend on a manual clock, a recording window and
// frame, and a document opened on a test file or on a new sound.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "audio/clock.h"
#include "audio/null_backend.h"
#include "audio/quorbel_doc.h"
#include "audio/wave_device.h"
#include "edit/edit_commands.h"
#include "effects/effect_commands.h"
#include "fakes/fake_frame_window.h"
#include "fakes/fake_view_window.h"
#include "fakes/wav_builder.h"
#include "framework/app_context.h"
#include "view/quorbel_view.h"
#include "wavefile/clipboard.h"

namespace quorbel::testing {

struct ViewRig {
    ManualClock clock;
    NullAudioBackend backend{clock};
    WaveDevices devices{backend};
    FakeFrameWindow frame;
    Clipboard clipboard;
    AppContext context{&devices, nullptr, nullptr, &frame, &clipboard};
    CQuorbelDoc doc{context};
    FakeViewWindow window;
    std::unique_ptr<CQuorbelView> view;
    WavFolder folder;
    // The view gets the edit and effect commands as the program's views do.
    bool editAndEffectCommands = true;

    // Opens `wav` written as a file, and shows the view on it.
    CQuorbelView& open(const WavContent& wav, const std::string& name = "sound.wav") {
        const std::string path = folder.write(name, wav);
        EXPECT_TRUE(doc.OnOpenDocument(path)) << path;
        return show();
    }
    // A view on a document whose file the device does not open (formats it cannot play): the
    // view still reads the file itself.
    CQuorbelView& openUnplayable(const WavContent& wav, const std::string& name = "sound.wav") {
        doc.m_strFileName = folder.write(name, wav);
        return show();
    }
    CQuorbelView& openNew() {
        EXPECT_TRUE(doc.OnNewDocument());
        return show();
    }
    CQuorbelView& show() {
        view = std::make_unique<CQuorbelView>(doc, window, context);
        if (editAndEffectCommands) {
            view->AddCommands(EditCommands());
            view->AddCommands(EffectCommands());
        }
        view->OnInitialUpdate();
        return *view;
    }
    // Lets the sound run for `ms` and the device post what happened.
    void run(int ms) {
        clock.advanceMillis(ms);
        devices.service();
    }
    int deliver() { return window.deliverNotices(*view); }
    bool click(int id) { return view->OnCommand(id); }
};

// A 1000 ms, 22050 Hz, 8-bit mono sound of rising bytes.
inline WavContent Mono8Second() {
    WavContent s;
    s.data.resize(22050);
    for (std::size_t i = 0; i < s.data.size(); ++i) s.data[i] = static_cast<std::uint8_t>(i);
    return s;
}

}  // namespace quorbel::testing
