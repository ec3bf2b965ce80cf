// The signal of the record-while-playing soak run (scripts/soak.sh), and its check.
//
//   soak_signal make OUT.wav SECONDS   writes a 44100 Hz 16-bit stereo file whose frames count:
//                                      frame n holds n's low 16 bits on the left and its high
//                                      16 bits on the right
//   soak_signal check RECORDED.wav     finds that count in a recording and says how many frames
//                                      are missing from it (lost by the capture) and how many
//                                      foreign frames stand in it (gaps in the output)
//
// The sound server passes a single 16-bit stream at its own rate through unchanged, so every
// lost or inserted frame shows as a break in the count. Standard library only; built by the
// soak script with g++ directly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 44100;

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t le32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

int make(const char* path, double seconds) {
    const auto frames = static_cast<std::uint32_t>(seconds * kRate);
    const std::uint32_t dataBytes = frames * 4;
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, 2, 2);
    put(out, kRate, 4);
    put(out, kRate * 4, 4);
    put(out, 4, 2);
    put(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put(out, dataBytes, 4);
    for (std::uint32_t n = 0; n < frames; ++n) put(out, n, 4);  // low word left, high right
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return file ? 0 : 1;
}

// The frames of a 16-bit stereo file's data chunk, each as the count it carries.
bool readCounts(const char* path, std::vector<std::uint32_t>& counts) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0) return false;
    std::size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const std::uint32_t size = le32(&bytes[pos + 4]);
        if (std::memcmp(&bytes[pos], "data", 4) == 0) {
            const std::size_t end = std::min<std::size_t>(bytes.size(), pos + 8 + size);
            for (std::size_t i = pos + 8; i + 4 <= end; i += 4) counts.push_back(le32(&bytes[i]));
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

// True when the count runs on for a few frames from `i`: the signal is there.
bool counting(const std::vector<std::uint32_t>& v, std::size_t i) {
    for (std::size_t k = 1; k < 8; ++k) {
        if (i + k >= v.size() || v[i + k] != v[i] + k) return false;
    }
    return true;
}

int check(const char* path) {
    std::vector<std::uint32_t> v;
    if (!readCounts(path, v)) {
        std::fprintf(stderr, "soak_signal: %s is no WAVE file with a data chunk\n", path);
        return 2;
    }
    std::size_t first = 0;
    while (first < v.size() && !counting(v, first)) ++first;
    std::size_t last = first;  // one past the last frame of a counting run
    for (std::size_t i = v.size() >= 8 ? v.size() - 8 : 0; i > first; --i) {
        if (counting(v, i)) {
            last = i + 8;
            break;
        }
    }
    if (first >= v.size() || last <= first + 8) {
        std::printf("recorded %zu frames: the counting signal was not found in them\n", v.size());
        return 1;
    }
    // Walk the count: a jump forward means frames missing from the recording; frames that do
    // not continue the count (silence, repeats) stand where the output had a gap.
    std::uint64_t missing = 0, foreign = 0, breaks = 0, longestBreak = 0;
    std::uint32_t expected = v[first] + 1;
    for (std::size_t i = first + 1; i < last;) {
        if (v[i] == expected) {
            ++expected;
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < last && !(counting(v, j) && v[j] >= expected && v[j] - expected < 60 * kRate))
            ++j;
        if (j >= last) break;
        const std::uint64_t gone = v[j] - expected;
        const std::uint64_t stood = j - i;
        missing += gone;
        foreign += stood;
        ++breaks;
        longestBreak = std::max<std::uint64_t>(longestBreak, std::max(gone, stood));
        expected = v[j] + 1;
        i = j + 1;
    }
    const double seconds = static_cast<double>(last - first) / kRate;
    std::printf(
        "recorded %zu frames; the count runs through %zu of them (%.1f s)\n"
        "breaks: %llu; frames missing from the recording: %llu (%.1f ms); foreign frames in "
        "it: %llu (%.1f ms); longest break: %llu frames\n",
        v.size(), last - first, seconds, static_cast<unsigned long long>(breaks),
        static_cast<unsigned long long>(missing), missing * 1000.0 / kRate,
        static_cast<unsigned long long>(foreign), foreign * 1000.0 / kRate,
        static_cast<unsigned long long>(longestBreak));
    std::printf("lost frames: %llu\n", static_cast<unsigned long long>(missing + foreign));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "make") == 0) return make(argv[2], std::atof(argv[3]));
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return check(argv[2]);
    std::fprintf(stderr, "usage: soak_signal make OUT.wav SECONDS | soak_signal check REC.wav\n");
    return 2;
}
