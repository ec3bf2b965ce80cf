#pragma once

#include <memory>
#include <string>
#include <vector>

namespace quorbel {

class ScriptRunner;

// Takes "--script FILE" (or "--script=FILE") out of `arguments`, reads and parses FILE ("-"
// reads standard input) and installs a runner for it in `runner`, before the program
// starts. Without the option it does nothing. False, after printing why on standard error,
// when the option lacks its file, the file cannot be read or a line of it cannot be parsed.
bool prepareScript(std::vector<std::string>& arguments, std::unique_ptr<ScriptRunner>& runner);

}  // namespace quorbel
