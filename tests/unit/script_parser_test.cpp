#include "framework/script_parser.h"

#include <gtest/gtest.h>

#include "framework/command_ids.h"
#include "framework/window_messages.h"

namespace quorbel {
namespace {

ScriptLine parsed(std::string_view text) {
    ScriptParse result = parseScriptLine(text, 7);
    EXPECT_EQ(result.error, "") << text;
    EXPECT_TRUE(result.line.has_value()) << text;
    return result.line.value_or(ScriptLine{});
}

std::string errorOf(std::string_view text) {
    ScriptParse result = parseScriptLine(text, 1);
    EXPECT_FALSE(result.line.has_value()) << text;
    return result.error;
}

TEST(ScriptParserTest, SplitsOnBlanksAndKeepsQuotedPathsWhole) {
    const ScriptWords split = splitScriptWords("  open\t\"/tmp/my file.wav\"  x ");
    ASSERT_EQ(split.error, "");
    EXPECT_EQ(split.words, (std::vector<std::string>{"open", "/tmp/my file.wav", "x"}));
    EXPECT_EQ(split.quoted, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(splitScriptWords("open \"a.wav").error, "unterminated quote");
    EXPECT_NE(splitScriptWords("open \"a\"b").error, "");
    EXPECT_NE(splitScriptWords("open a\"b\"").error, "");
    EXPECT_EQ(splitScriptWords("open \"\"").words, (std::vector<std::string>{"open", ""}));
}

TEST(ScriptParserTest, BlankAndCommentLinesAreSkipped) {
    for (std::string_view text : {"", "   ", "\r", "# open x", "   # quit"}) {
        const ScriptParse result = parseScriptLine(text, 1);
        EXPECT_FALSE(result.line.has_value()) << text;
        EXPECT_EQ(result.error, "") << text;
    }
}

TEST(ScriptParserTest, FileLinesCarryTheirPath) {
    EXPECT_EQ(parsed("new").verb, ScriptVerb::New);
    ScriptLine open = parsed("open \"/tmp/a b.wav\"\r");
    EXPECT_EQ(open.verb, ScriptVerb::Open);
    EXPECT_EQ(open.path, "/tmp/a b.wav");
    EXPECT_EQ(open.number, 7);
    EXPECT_EQ(parsed("saveas out.wav").path, "out.wav");
    EXPECT_EQ(parsed("grab /tmp/v.png").verb, ScriptVerb::Grab);
    EXPECT_EQ(errorOf("open"), "usage: open PATH");
    EXPECT_EQ(errorOf("save now"), "usage: save");
    EXPECT_EQ(errorOf("open \"\""), "the path is empty");
}

TEST(ScriptParserTest, CommandsByNameOrNumber) {
    ScriptLine byName = parsed("command ID_EDIT_CUT");
    EXPECT_EQ(byName.commandId, ID_EDIT_CUT);
    EXPECT_EQ(byName.commandText, "ID_EDIT_CUT");
    ScriptLine byNumber = parsed("command 57635");
    EXPECT_EQ(byNumber.commandId, ID_EDIT_CUT);
    EXPECT_EQ(byNumber.commandText, "57635");
    EXPECT_EQ(errorOf("command ID_EDIT_FROB"), "unknown command id \"ID_EDIT_FROB\"");
    ScriptLine enabled = parsed("print enabled ID_EFFECTS_REVERSE");
    EXPECT_EQ(enabled.print, ScriptPrint::Enabled);
    EXPECT_EQ(enabled.commandId, ID_EFFECTS_REVERSE);
    EXPECT_EQ(parsed("print checked 32789").print, ScriptPrint::Checked);
    ScriptLine started = parsed("start ID_EFFECTS_REVERSE");
    EXPECT_EQ(started.verb, ScriptVerb::Start);
    EXPECT_EQ(started.commandId, ID_EFFECTS_REVERSE);
    EXPECT_EQ(errorOf("start"), "usage: start ID");
    EXPECT_EQ(parsed("finish").verb, ScriptVerb::Finish);
    EXPECT_EQ(errorOf("finish now"), "usage: finish");
    EXPECT_EQ(parsed("print progress").print, ScriptPrint::Progress);
}

TEST(ScriptParserTest, NumbersAreCheckedAgainstTheirRange) {
    EXPECT_EQ(parsed("button 5").x, 5);
    EXPECT_NE(errorOf("button 0"), "");
    EXPECT_NE(errorOf("button 6"), "");
    EXPECT_NE(errorOf("button 1x"), "");
    EXPECT_EQ(parsed("activate 2").x, 2);
    EXPECT_NE(errorOf("activate 0"), "");
    EXPECT_EQ(parsed("slider 0").x, 0);
    EXPECT_NE(errorOf("slider -1"), "");
    EXPECT_EQ(parsed("wait 250").x, 250);
    EXPECT_NE(errorOf("wait 99999999999"), "");
    EXPECT_EQ(errorOf("wait soon"), "MS must be a whole number from 0 to 86400000, not \"soon\"");
}

TEST(ScriptParserTest, MouseLinesAndTheirFlags) {
    ScriptLine press = parsed("lbutton 10 -3");
    EXPECT_EQ(press.verb, ScriptVerb::LButton);
    EXPECT_EQ(press.x, 10);
    EXPECT_EQ(press.y, -3);
    EXPECT_EQ(parsed("move 1 2").keyFlags, MK_LBUTTON);
    EXPECT_EQ(parsed("move 1 2 none").keyFlags, 0u);
    EXPECT_EQ(parsed("move 1 2 shift+left").keyFlags, MK_SHIFT | MK_LBUTTON);
    EXPECT_EQ(parsed("move 1 2 ctrl+right").keyFlags, MK_CONTROL | MK_RBUTTON);
    EXPECT_FALSE(parseScriptKeyFlags("left+left"));
    EXPECT_FALSE(parseScriptKeyFlags("left+"));
    EXPECT_FALSE(parseScriptKeyFlags("none+left"));
    EXPECT_FALSE(parseScriptKeyFlags(""));
    EXPECT_NE(errorOf("move 1 2 middle"), "");
    EXPECT_EQ(errorOf("rbutton 1"), "usage: rbutton X Y");
}

TEST(ScriptParserTest, AnswersAreButtonsUnlessQuoted) {
    EXPECT_EQ(parsed("answer yes").answer, ScriptAnswer::Yes);
    EXPECT_EQ(parsed("answer no").answer, ScriptAnswer::No);
    EXPECT_EQ(parsed("answer cancel").answer, ScriptAnswer::Cancel);
    EXPECT_EQ(parsed("answer ok").answer, ScriptAnswer::Ok);
    ScriptLine path = parsed("answer /tmp/x.wav");
    EXPECT_EQ(path.answer, ScriptAnswer::Path);
    EXPECT_EQ(path.path, "/tmp/x.wav");
    // A file really called "yes" is given in quotes.
    ScriptLine quoted = parsed("answer \"yes\"");
    EXPECT_EQ(quoted.answer, ScriptAnswer::Path);
    EXPECT_EQ(quoted.path, "yes");
}

TEST(ScriptParserTest, PrintNeedsAKnownSubject) {
    EXPECT_EQ(parsed("print state").print, ScriptPrint::State);
    EXPECT_EQ(parsed("print clip").print, ScriptPrint::Clip);
    EXPECT_EQ(parsed("print recent").print, ScriptPrint::Recent);
    EXPECT_NE(errorOf("print recent 1"), "");
    EXPECT_NE(errorOf("print"), "");
    EXPECT_NE(errorOf("print colour"), "");
    EXPECT_NE(errorOf("print enabled"), "");
    EXPECT_NE(errorOf("print state ID_EDIT_CUT"), "");
}

TEST(ScriptParserTest, UnknownAndQuotedVerbsAreRefused) {
    EXPECT_EQ(errorOf("frobnicate 3"), "unknown command \"frobnicate\"");
    EXPECT_EQ(errorOf("\"quit\""), "unknown command \"quit\"");
    EXPECT_EQ(errorOf("Quit"), "unknown command \"Quit\"");
}

TEST(ScriptParserTest, AWholeScriptStopsAtItsFirstBadLine) {
    const ScriptProgram good = parseScript("# demo\nnew\n\nwait 10\r\nquit");
    EXPECT_EQ(good.error, "");
    ASSERT_EQ(good.lines.size(), 3u);
    EXPECT_EQ(good.lines[1].number, 4);
    EXPECT_EQ(good.lines[2].number, 5);

    const ScriptProgram bad = parseScript("new\nbutton 9\nquit\n");
    EXPECT_EQ(bad.errorLine, 2);
    EXPECT_NE(bad.error, "");
    EXPECT_EQ(bad.lines.size(), 1u);
}

}  // namespace
}  // namespace quorbel
