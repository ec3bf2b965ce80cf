#include "app/script/script_option.h"

#include <QFile>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "app/script/script_runner.h"
#include "framework/script_parser.h"

namespace quorbel {

namespace {

bool readScript(const QString& file, std::string& text) {
    if (file == QStringLiteral("-")) {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) return false;
    text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

}  // namespace

bool prepareScript(QStringList& arguments, std::unique_ptr<ScriptRunner>& runner) {
    QString file;
    bool present = false;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--")) break;  // what follows names files
        if (argument == QStringLiteral("--script")) {
            if (i + 1 >= arguments.size()) {
                std::fputs("quorbel: --script needs a file name (- for standard input)\n", stderr);
                return false;
            }
            file = arguments[i + 1];
            arguments.remove(i, 2);
            present = true;
        } else if (argument.startsWith(QStringLiteral("--script="))) {
            file = argument.mid(9);
            arguments.remove(i);
            present = true;
        } else {
            ++i;
        }
    }
    if (!present) return true;
    std::string text;
    if (file.isEmpty() || !readScript(file, text)) {
        std::fprintf(stderr, "quorbel: cannot read the script %s\n", qPrintable(file));
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
