#include "player_waves.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <cmath>
#include <numbers>

#include "fakes/wav_builder.h"
#include "shell_fixture.h"

namespace quorbel::test {

namespace {

std::uint32_t get16(const QByteArray& in, qsizetype at) {
    return static_cast<std::uint8_t>(in[at]) | (static_cast<std::uint8_t>(in[at + 1]) << 8);
}
std::uint32_t get32(const QByteArray& in, qsizetype at) {
    return get16(in, at) | (get16(in, at + 2) << 16);
}

}  // namespace

PcmSound sineSound(int channels, int bits, int rate, std::size_t frames, double hz,
                   double amplitude) {
    PcmSound sound{channels, bits, rate, {}};
    const double full = bits == 8 ? 127.0 : 32767.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double x = std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
        const int value = static_cast<int>(std::lround(x * amplitude * full));
        for (int c = 0; c < channels; ++c) sound.samples.push_back(bits == 8 ? value + 128 : value);
    }
    return sound;
}

std::string writeWave(const QTemporaryDir& dir, const std::string& name, const PcmSound& sound) {
    testing::Bytes data;
    for (int s : sound.samples) {
        if (sound.bits == 8) {
            data.push_back(static_cast<std::uint8_t>(s));
        } else {
            testing::AppendLe(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(s)), 2);
        }
    }
    const testing::Bytes bytes = testing::SimpleWave(
        data, static_cast<std::uint16_t>(sound.channels), static_cast<std::uint16_t>(sound.bits),
        static_cast<std::uint32_t>(sound.rate));
    return writeFileBytes(dir, name, bytes);
}

std::optional<PcmSound> readWave(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray in = file.readAll();
    if (in.size() < 12 || !in.startsWith("RIFF") || in.mid(8, 4) != "WAVE") return std::nullopt;
    PcmSound sound;
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= in.size();) {
        const QByteArray id = in.mid(at, 4);
        const qsizetype size = get32(in, at + 4);
        const qsizetype body = at + 8;
        if (body + size > in.size()) return std::nullopt;
        if (id == "fmt " && size >= 16) {
            if (get16(in, body) != 1) return std::nullopt;
            sound.channels = static_cast<int>(get16(in, body + 2));
            sound.rate = static_cast<int>(get32(in, body + 4));
            sound.bits = static_cast<int>(get16(in, body + 14));
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            if (sound.bits == 8) {
                for (qsizetype i = 0; i < size; ++i)
                    sound.samples.push_back(static_cast<std::uint8_t>(in[body + i]));
            } else {
                for (qsizetype i = 0; i + 1 < size; i += 2)
                    sound.samples.push_back(
                        static_cast<std::int16_t>(static_cast<std::uint16_t>(get16(in, body + i))));
            }
            return sound;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QTest::qWait(10);
    }
    return true;
}

}  // namespace quorbel::test
