// The rows the edit and effect layers hand to a view: which ids they hold, that a view runs
// them only once it has them, and that adding rows can neither double nor take over a command.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "edit/edit_commands.h"
#include "effects/effect_commands.h"
#include "framework/command_ids.h"
#include "framework/command_target.h"
#include "unit/view_test_rig.h"

namespace quorbel {
namespace {

using testing::Mono8Second;
using testing::ViewRig;

std::vector<int> IdsOf(std::span<const ViewCommand> rows) {
    std::vector<int> ids;
    for (const ViewCommand& row : rows) ids.push_back(row.id);
    return ids;
}

struct LayerRows {
    const char* layer;
    std::span<const ViewCommand> (*rows)();
    std::vector<int> ids;
    // Those enabled on a sound just opened from a file, with the clipboard empty.
    std::set<int> enabledOnOpen;
};

const LayerRows kLayerRows[] = {
    {"edit",
     EditCommands,
     {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_CLEAR,
      ID_EDIT_TRIM, ID_EDIT_SILENCE, ID_EDIT_INSERT_SILENCE},
     {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_CLEAR, ID_EDIT_TRIM, ID_EDIT_SILENCE,
      ID_EDIT_INSERT_SILENCE}},
    {"effects",
     EffectCommands,
     {ID_EFFECTS_REVERSE, ID_FILTER_HIGHPASS, ID_FILTER_LOWPASS, ID_OCTAVE_INCREASE,
      ID_OCTAVE_DECREASE, ID_EFFECTS_AMPLIFY, ID_EFFECTS_NORMALIZE, ID_EFFECTS_FADE_IN,
      ID_EFFECTS_FADE_OUT},
     {ID_EFFECTS_REVERSE, ID_FILTER_HIGHPASS, ID_FILTER_LOWPASS, ID_OCTAVE_INCREASE,
      ID_OCTAVE_DECREASE, ID_EFFECTS_AMPLIFY, ID_EFFECTS_NORMALIZE, ID_EFFECTS_FADE_IN,
      ID_EFFECTS_FADE_OUT}},
};

TEST(ViewCommandRows, EachLayerHoldsItsCommandsNoneTwiceAndNoneOfTheViewsOwn) {
    ViewRig bare;
    bare.editAndEffectCommands = false;
    const std::vector<int> own = bare.open(Mono8Second()).CommandIds();
    std::set<int> seen(own.begin(), own.end());
    for (const LayerRows& layer : kLayerRows) {
        SCOPED_TRACE(layer.layer);
        EXPECT_EQ(IdsOf(layer.rows()), layer.ids);
        for (const ViewCommand& row : layer.rows()) {
            EXPECT_TRUE(seen.insert(row.id).second) << commandName(row.id) << " has a row already";
            EXPECT_NE(row.handler, nullptr) << commandName(row.id);
            EXPECT_NE(row.enabled, nullptr) << commandName(row.id);
        }
    }
}

// A view without the rows leaves their ids to the rest of the route (the frame, then the
// application); with them it enables and runs them.
TEST(ViewCommandRows, AViewRunsTheCommandsOfALayerOnlyOnceItHasItsRows) {
    for (const LayerRows& layer : kLayerRows) {
        SCOPED_TRACE(layer.layer);
        ViewRig rig;
        rig.editAndEffectCommands = false;
        CQuorbelView& view = rig.open(Mono8Second());
        for (int id : layer.ids) {
            CommandState state;
            EXPECT_FALSE(view.OnUpdateCommand(id, state)) << commandName(id);
            EXPECT_FALSE(view.OnCommand(id)) << commandName(id);
            CommandTarget* const route[] = {&view};
            EXPECT_FALSE(queryCommand(route, id).enabled) << commandName(id);
        }

        view.AddCommands(layer.rows());
        const std::vector<int> ids = view.CommandIds();
        for (int id : layer.ids) {
            CommandState state;
            EXPECT_TRUE(view.OnUpdateCommand(id, state)) << commandName(id);
            EXPECT_EQ(state.enabled, layer.enabledOnOpen.contains(id)) << commandName(id);
            EXPECT_EQ(std::ranges::count(ids, id), 1) << commandName(id);
        }
    }
}

int g_runs = 0;
void CountRun(CQuorbelView&) {
    ++g_runs;
}
bool Allowed(const CQuorbelView&, int id) {
    return id != ID_APP_ABOUT;
}

TEST(ViewCommandRows, AddingRowsTwiceOrForAnIdTheViewHoldsChangesNothing) {
    ViewRig rig;
    CQuorbelView& view = rig.open(Mono8Second());
    const std::vector<int> before = view.CommandIds();

    // The rows the rig added already, once more.
    view.AddCommands(EditCommands());
    view.AddCommands(EffectCommands());
    EXPECT_EQ(view.CommandIds(), before);

    // A row for one of the view's own ids (Play) and one for an edit's id (Cut): the rows the
    // table holds stay.
    const ViewCommand takeOver[] = {{ID_BUTTON_PLAY, CountRun, Allowed},
                                    {ID_EDIT_CUT, CountRun, Allowed}};
    view.AddCommands(takeOver);
    EXPECT_EQ(view.CommandIds(), before);
    g_runs = 0;
    EXPECT_TRUE(rig.click(ID_BUTTON_PLAY));
    EXPECT_EQ(view.m_nState, STATE_PLAYING);
    EXPECT_EQ(g_runs, 0);
}

// A row another layer adds is looked up as the view's own are: its enabling rule decides
// whether it runs, and its check mark is set only while it is enabled.
TEST(ViewCommandRows, AnAddedRowRunsByItsRuleAndShowsItsCheckMark) {
    ViewRig rig;
    CQuorbelView& view = rig.open(Mono8Second());
    const ViewCommand rows[] = {
        {ID_APP_ABOUT, CountRun, Allowed},  // never allowed
        {ID_HELP_HOWTOUSE, CountRun, Allowed, {&CQuorbelView::m_nSkin, SKIN_GREY}},
    };
    view.AddCommands(rows);
    g_runs = 0;

    struct Case {
        int id;
        int skin;
        bool enabled;
        std::optional<bool> checked;
    };
    const Case cases[] = {
        {ID_APP_ABOUT, SKIN_GREY, false, std::nullopt},
        {ID_HELP_HOWTOUSE, SKIN_GREY, true, true},
        {ID_HELP_HOWTOUSE, SKIN_NORMAL, true, false},
    };
    int expectedRuns = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(commandName(c.id));
        view.m_nSkin = c.skin;
        CommandState state;
        ASSERT_TRUE(view.OnUpdateCommand(c.id, state));
        EXPECT_EQ(state.enabled, c.enabled);
        EXPECT_EQ(state.checked, c.checked);
        EXPECT_EQ(view.OnCommand(c.id), c.enabled);
        if (c.enabled) ++expectedRuns;
        EXPECT_EQ(g_runs, expectedRuns);
    }
}

}  // namespace
}  // namespace quorbel
