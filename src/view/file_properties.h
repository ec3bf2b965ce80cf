#pragma once

#include <cstdint>
#include <string>

namespace quorbel {

struct PropertiesFields {
    int bitsPerSample = 0;
    int formatTag = 0;
    int channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    int blockAlign = 0;
};

// The text of the File Properties box: the format as last loaded, then the temporary
// directory the working files go to.
std::string FormatPropertiesReport(const PropertiesFields& fields, const std::string& tempDir);

}  // namespace quorbel
