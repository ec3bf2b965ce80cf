#include <gtest/gtest.h>

#include <functional>

#include "framework/command_ids.h"
#include "framework/window_messages.h"
#include "unit/view_test_rig.h"
#include "view/context_menu.h"
#include "view/file_properties.h"
#include "wavefile/temp_files.h"

namespace quorbel {
namespace {

using testing::Mono8Second;
using testing::ViewRig;
using testing::WavContent;
using Invalidation = FakeViewWindow::Invalidation;

CommandState Query(CQuorbelView& v, int id) {
    CommandState state;
    EXPECT_TRUE(v.OnUpdateCommand(id, state)) << id;
    return state;
}

struct ModeCommand {
    int id;
    int CQuorbelView::*field;
    int value;
    std::vector<Invalidation> repaint;  // after a change
};

std::vector<ModeCommand> AllModeCommands() {
    const Invalidation strip{kSliderWaveRect, false, false};
    const Invalidation stripErased{kSliderWaveRect, true, false};
    const Invalidation scope{kScopeRect, false, false};
    const Invalidation all{{0, 0, 388, 480}, true, true};
    return {
        {ID_SLIDER_WAVE, &CQuorbelView::m_nSliderWaveMode, 0, {strip}},
        {ID_SLIDER_CLUSTERED, &CQuorbelView::m_nSliderWaveMode, 1, {strip}},
        {ID_SLIDER_NONE, &CQuorbelView::m_nSliderWaveMode, 2, {stripErased}},
        {ID_MAGNIFY_100, &CQuorbelView::m_nMagnify, 0, {strip}},
        {ID_MAGNIFY_200, &CQuorbelView::m_nMagnify, 1, {strip}},
        {ID_MAGNIFY_300, &CQuorbelView::m_nMagnify, 2, {strip}},
        {ID_SCOPE_WAVE, &CQuorbelView::m_nScopeWaveMode, 0, {scope}},
        {ID_SCOPE_CLUSTERED, &CQuorbelView::m_nScopeWaveMode, 1, {scope}},
        {ID_SCOPE_NONE, &CQuorbelView::m_nScopeWaveMode, 2, {scope}},
        {ID_SCOPE_PEAKS, &CQuorbelView::m_nScopeWaveMode, 3, {scope}},
        {ID_SKIN_NORMAL, &CQuorbelView::m_nSkin, 0, {all}},
        {ID_SKIN_EMBOSSED, &CQuorbelView::m_nSkin, 1, {all}},
        {ID_SKIN_GREY, &CQuorbelView::m_nSkin, 2, {all}},
        {ID_SKIN_NIGHTSHADE, &CQuorbelView::m_nSkin, 3, {all}},
        {ID_RECORD_INSERT, &CQuorbelView::m_nRecordMode, 0, {}},
        {ID_RECORD_OVERWRITE, &CQuorbelView::m_nRecordMode, 1, {}},
    };
}

TEST(ViewModes, EachCommandSetsItsFieldChecksItselfAndRepaintsOnlyOnAChange) {
    for (const ModeCommand& c : AllModeCommands()) {
        SCOPED_TRACE(c.id);
        ViewRig rig;
        CQuorbelView& v = rig.open(Mono8Second());
        // Start from another value, so that the command changes something.
        v.*c.field = c.value == 0 ? 1 : 0;
        EXPECT_EQ(Query(v, c.id).checked, std::optional<bool>(false));
        rig.window.invalidations.clear();

        ASSERT_TRUE(rig.click(c.id));
        EXPECT_EQ(v.*c.field, c.value);
        EXPECT_EQ(rig.window.invalidations, c.repaint);
        const CommandState state = Query(v, c.id);
        EXPECT_TRUE(state.enabled);
        EXPECT_EQ(state.checked, std::optional<bool>(true));

        rig.window.invalidations.clear();
        ASSERT_TRUE(rig.click(c.id));
        EXPECT_TRUE(rig.window.invalidations.empty()) << "already set: nothing repaints";
    }
}

TEST(ViewModes, MagnifyingWhileTheStripIsHiddenRepaintsNothing) {
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    v.OnSliderNone();
    rig.window.invalidations.clear();
    v.OnMagnify300();
    EXPECT_EQ(v.m_nMagnify, 2);
    EXPECT_TRUE(rig.window.invalidations.empty());
    v.InvalidateScope();
    EXPECT_EQ(rig.window.invalidations.size(), 1u) << "the vectorscope repaints in every mode";
    v.OnSliderWave();
    EXPECT_EQ(rig.window.invalidations.back(), (Invalidation{kSliderWaveRect, false, false}));
}

TEST(ViewModes, OverwriteNeedsWaveDataAndInsertIsAlwaysThere) {
    ViewRig rig;
    CQuorbelView& v = rig.openNew();
    const CommandState overwrite = Query(v, ID_RECORD_OVERWRITE);
    EXPECT_FALSE(overwrite.enabled);
    EXPECT_FALSE(overwrite.checked.has_value());
    EXPECT_FALSE(rig.click(ID_RECORD_OVERWRITE));
    EXPECT_EQ(v.m_nRecordMode, 0);
    const CommandState insert = Query(v, ID_RECORD_INSERT);
    EXPECT_TRUE(insert.enabled);
    EXPECT_EQ(insert.checked, std::optional<bool>(true));
}

TEST(ViewModes, EffectsNeedASoundAndTheFiltersAndOctavesAFileName) {
    ViewRig rig;
    CQuorbelView& fresh = rig.openNew();
    for (int id : {ID_FILTER_HIGHPASS, ID_FILTER_LOWPASS, ID_OCTAVE_INCREASE, ID_OCTAVE_DECREASE,
                   ID_EFFECTS_REVERSE}) {
        EXPECT_FALSE(Query(fresh, id).enabled) << id;
        EXPECT_FALSE(rig.click(id));
    }
    ViewRig withFile;
    CQuorbelView& v = withFile.open(Mono8Second());
    for (int id : {ID_FILTER_HIGHPASS, ID_FILTER_LOWPASS, ID_OCTAVE_INCREASE, ID_OCTAVE_DECREASE,
                   ID_EFFECTS_REVERSE}) {
        EXPECT_TRUE(Query(v, id).enabled) << id;
    }
    CommandState state;
    EXPECT_FALSE(v.OnUpdateCommand(ID_HELP_HOWTOUSE, state)) << "How to use goes to the frame";
    EXPECT_FALSE(v.OnUpdateCommand(ID_APP_ABOUT, state));
}

TEST(ViewModes, RightClickChoosesTheMenuByTheRectangleItFallsIn) {
    struct Case {
        Point at;
        int menu;
    };
    for (const Case c :
         {Case{{57, 47}, 174}, Case{{321, 101}, 174}, Case{{322, 60}, 176}, Case{{100, 102}, 176},
          Case{{10, 180}, 175}, Case{{376, 439}, 175}, Case{{377, 300}, 176}, Case{{200, 440}, 176},
          Case{{200, 20}, 176}, Case{{15, 150}, 176}}) {
        EXPECT_EQ(ContextMenuFor(c.at, kSliderWaveRect, kScopeRect), c.menu)
            << c.at.x << "," << c.at.y;
    }
    ViewRig rig;
    CQuorbelView& v = rig.open(Mono8Second());
    v.OnRButtonDown(MK_RBUTTON, {60, 50});
    v.OnRButtonDown(MK_RBUTTON, {100, 300});
    ASSERT_EQ(rig.window.popups.size(), 2u);
    EXPECT_EQ(rig.window.popups[0].menuId, 174);
    EXPECT_EQ(rig.window.popups[0].at, (Point{160, 250}));
    EXPECT_EQ(rig.window.popups[1].menuId, 175);
    EXPECT_EQ(rig.window.popups[1].at, (Point{200, 500}));
}

const std::string kReportHead =
    "Audio Stream Information\n---------------------------------------\n";

TEST(ViewProperties, ReportsTheFormatAsLoaded) {
    {
        ViewRig rig;
        WavContent s;
        s.channels = 2;
        s.bits = 16;
        s.rate = 44100;
        s.data.assign(400, 0);
        CQuorbelView& v = rig.open(s);
        ASSERT_TRUE(Query(v, ID_FILE_PROPERTIES).enabled);
        ASSERT_TRUE(rig.click(ID_FILE_PROPERTIES));
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_EQ(rig.window.boxes[0].caption, "File Properties");
        EXPECT_EQ(rig.window.boxes[0].icon, BoxIcon::Information);
        EXPECT_EQ(rig.window.boxes[0].buttons, BoxButtons::Ok);
        const std::string text = rig.window.boxes[0].text;
        EXPECT_EQ(text.substr(0, text.find("Temp path: ")),
                  kReportHead +
                      "Resolution (bits)\t: 16\nwFormatTag\t: 1\nnChannels\t: 2\n"
                      "nSamplesPerSec\t: 44100\nnAvgBytesPerSec\t: 176400\nnBlockAlign\t: 4\n\n");
        const std::string temp = text.substr(text.find("Temp path: ") + 11);
        ASSERT_FALSE(temp.empty());
        EXPECT_EQ(temp.back(), '/');
    }
    {
        ViewRig rig;
        WavContent s;
        s.rate = 11025;
        s.bits = 12;  // the chunk's own bits field is not what the report shows
        s.blockAlign = 1;
        s.data.assign(100, 128);
        CQuorbelView& v = rig.openUnplayable(s);
        rig.window.boxes.clear();  // the device's own refusal of the bits field
        v.OnFileProperties();
        ASSERT_EQ(rig.window.boxes.size(), 1u);
        EXPECT_EQ(rig.window.boxes[0].text,
                  FormatPropertiesReport({8, 1, 1, 11025, 11025, 1}, TempDirectory()));
    }
}

TEST(ViewProperties, DisabledWithoutAFileName) {
    ViewRig rig;
    CQuorbelView& v = rig.openNew();
    EXPECT_FALSE(Query(v, ID_FILE_PROPERTIES).enabled);
    EXPECT_FALSE(rig.click(ID_FILE_PROPERTIES));
    EXPECT_TRUE(rig.window.boxes.empty());
}

TEST(ViewProperties, TheTempPathIsTheTemporaryDirectoryWithItsSeparator) {
    EXPECT_EQ(FormatPropertiesReport({16, 1, 2, 44100, 176400, 4}, "/var/tmp/"),
              kReportHead +
                  "Resolution (bits)\t: 16\nwFormatTag\t: 1\nnChannels\t: 2\nnSamplesPerSec\t: "
                  "44100\nnAvgBytesPerSec\t: 176400\nnBlockAlign\t: 4\n\nTemp path: /var/tmp/");
}

}  // namespace
}  // namespace quorbel
