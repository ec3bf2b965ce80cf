#include "app/script/script_option.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "app/script/script_runner.h"
#include "framework/script_parser.h"

namespace quorbel {

namespace {

bool readScript(const std::string& file, std::string& text) {
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    // A folder opens as a stream but reads as nothing, which would be an empty script.
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

bool prepareScript(std::vector<std::string>& arguments, std::unique_ptr<ScriptRunner>& runner) {
    std::string file;
    bool present = false;
    for (auto it = arguments.begin(); it != arguments.end();) {
        if (*it == "--") break;  // what follows names files
        if (*it == "--script") {
            if (it + 1 == arguments.end()) {
                std::fputs("quorbel: --script needs a file name (- for standard input)\n", stderr);
                return false;
            }
            file = *(it + 1);
            it = arguments.erase(it, it + 2);
            present = true;
        } else if (it->starts_with("--script=")) {
            file = it->substr(9);
            it = arguments.erase(it);
            present = true;
        } else {
            ++it;
        }
    }
    if (!present) return true;
    std::string text;
    if (file.empty() || !readScript(file, text)) {
        std::fprintf(stderr, "quorbel: cannot read the script %s\n", file.c_str());
        return false;
    }
    ScriptProgram program = parseScript(text);
    if (!program.error.empty()) {
        std::fprintf(stderr, "quorbel: script line %d: %s\n", program.errorLine,
                     program.error.c_str());
        return false;
    }
    runner = std::make_unique<ScriptRunner>(std::move(program));
    runner->install();
    return true;
}

}  // namespace quorbel
