#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/wave_messages.h"
#include "wavefile/wave_ops.h"

namespace quorbel {
namespace {

struct CorpusRow {
    std::string path;
    std::string formatTag;
    std::string channels;
    std::string bits;
    std::string blockAlign;
    std::string dataBytes;
    std::string expected;
};

std::vector<CorpusRow> ReadManifest(const std::filesystem::path& manifest) {
    std::vector<CorpusRow> rows;
    std::ifstream in(manifest);
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream stream(line);
        std::string field;
        while (std::getline(stream, field, '\t')) fields.push_back(field);
        if (fields.size() < 14) continue;
        rows.push_back(
            {fields[0], fields[3], fields[4], fields[6], fields[7], fields[8], fields[13]});
    }
    return rows;
}

// Every real file either parses or says why not; the plain PCM files an editor must open parse.
TEST(WaveCorpusTest, EveryFileParsesOrGivesAMessage) {
    const std::filesystem::path dir = QUORBEL_CORPUS_DIR;
    if (!std::filesystem::exists(dir / "MANIFEST.tsv")) GTEST_SKIP() << "no corpus at " << dir;
    const std::vector<CorpusRow> rows = ReadManifest(dir / "MANIFEST.tsv");
    ASSERT_FALSE(rows.empty());

    int mustOpen = 0;
    for (const CorpusRow& row : rows) {
        const std::string path = (dir / row.path).string();
        for (bool lenient : {false, true}) {
            for (ParseReporting style : {ParseReporting::Direct, ParseReporting::MmioStyle}) {
                ParseOptions options;
                options.lenient = lenient;
                options.reporting = style;
                auto parsed = ParseWave(path, options);
                if (parsed) {
                    EXPECT_EQ(parsed->format.wFormatTag, kWaveFormatPcm) << row.path;
                    EXPECT_GT(parsed->dataSize, 0u) << row.path;
                    EXPECT_EQ(parsed->Data().size(), parsed->dataSize) << row.path;
                } else {
                    EXPECT_FALSE(MessageFor(parsed.error()).text.empty()) << row.path;
                }
            }
        }

        const bool plainPcm =
            row.formatTag.rfind("0x0001", 0) == 0 && (row.bits == "8" || row.bits == "16");
        if (row.expected != "open" || !plainPcm) continue;
        ++mustOpen;
        auto parsed = ParseWave(path);
        if (row.dataBytes == "0") {
            ASSERT_FALSE(parsed) << row.path;
            EXPECT_EQ(MessageFor(parsed.error()).text, "Error: data chunk contains no data");
            continue;
        }
        ASSERT_TRUE(parsed) << row.path << ": " << MessageFor(parsed.error()).text;
        EXPECT_EQ(std::to_string(parsed->format.nChannels), row.channels) << row.path;
        EXPECT_EQ(std::to_string(parsed->format.nBlockAlign), row.blockAlign) << row.path;
        EXPECT_EQ(std::to_string(parsed->format.BitsPerSample()), row.bits) << row.path;
        EXPECT_EQ(std::to_string(parsed->dataSize), row.dataBytes) << row.path;
    }
    EXPECT_GT(mustOpen, 20);
}

}  // namespace
}  // namespace quorbel
