#include <gtest/gtest.h>

#include <vector>

#include "framework/command_ids.h"
#include "framework/command_target.h"

namespace quorbel {
namespace {

// A target that handles one command with a switchable enabling rule and counts its runs.
class OneCommand : public CommandTarget {
  public:
    explicit OneCommand(int id) : id_(id) {}
    bool OnUpdateCommand(int id, CommandState& state) override {
        if (id != id_) return false;
        state.Enable(enabled);
        return true;
    }
    bool OnCommand(int id) override {
        if (id != id_) return false;
        ++runs;
        return true;
    }
    bool enabled = true;
    int runs = 0;

  private:
    int id_;
};

TEST(CommandRoute, FirstTargetThatHandlesTheCommandWinsAndDisabledNeverRuns) {
    OneCommand view(ID_EDIT_CUT), frame(ID_EDIT_CUT), app(ID_APP_ABOUT);
    std::vector<CommandTarget*> route{&view, &frame, &app};

    EXPECT_TRUE(routeCommand(route, ID_EDIT_CUT));
    EXPECT_EQ(view.runs, 1);
    EXPECT_EQ(frame.runs, 0);

    view.enabled = false;
    EXPECT_FALSE(queryCommand(route, ID_EDIT_CUT).enabled);
    EXPECT_FALSE(routeCommand(route, ID_EDIT_CUT));
    EXPECT_EQ(view.runs, 1);
    EXPECT_EQ(frame.runs, 0) << "a disabled view command must not fall through to the frame";

    EXPECT_TRUE(routeCommand(route, ID_APP_ABOUT));
    EXPECT_EQ(app.runs, 1);
}

TEST(CommandRoute, UnhandledCommandIsDisabledAndNullLinksAreSkipped) {
    OneCommand app(ID_APP_ABOUT);
    std::vector<CommandTarget*> route{nullptr, nullptr, &app};
    EXPECT_FALSE(queryCommand(route, ID_EDIT_PASTE).enabled);
    EXPECT_FALSE(routeCommand(route, ID_EDIT_PASTE));
    EXPECT_TRUE(queryCommand(route, ID_APP_ABOUT).enabled);
}

TEST(CommandIds, NamesAndNumbersBothResolve) {
    EXPECT_EQ(commandIdFromName("ID_EDIT_CUT"), 57635);
    EXPECT_EQ(commandIdFromName("32795"), ID_SKIN_GREY);
    EXPECT_EQ(commandIdFromName("ID_NOPE"), std::nullopt);
    EXPECT_EQ(commandIdFromName("12x"), std::nullopt);
    EXPECT_EQ(commandIdFromName(""), std::nullopt);
    EXPECT_EQ(commandName(ID_SKIN_NIGHTSHADE), "ID_SKIN_NIGHTSHADE");
}

}  // namespace
}  // namespace quorbel
