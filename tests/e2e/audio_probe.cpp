// Makes test sounds and tells them apart in what SDL's disk audio driver recorded.
//
//   e2e_audio_probe tone OUT.wav LEVEL MILLISECONDS
//       writes a 22050 Hz 16-bit stereo square wave whose samples are +LEVEL and -LEVEL
//   e2e_audio_probe sounds RECORDING.raw
//       prints the level of each sound heard, one line each in the order they were heard:
//       "LEVEL START_SECONDS LENGTH_SECONDS"
//
// The game opens its device as signed 16-bit stereo at 22050 Hz and mixes one sound at a
// time at full volume, so a test sound comes out with the same sample values it went in
// with: the level alone names the sound. The recording is read in blocks of 10 ms; each
// block is named by the median magnitude of its samples, rounded to the nearest multiple
// of kLevelStep, so that a little resampling or a block that straddles two sounds cannot
// pass for a third sound.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kChannels = 2;
constexpr int kHalfPeriodFrames = 25;  // 441 Hz
constexpr int kLevelStep = 1000;       // test sounds use multiples of this level
constexpr int kLevelTolerance = 150;
constexpr int kBlockFrames = kRate / 100;
// A sound is heard when its level holds for this many blocks in a row.
constexpr int kMinBlocks = 3;

void putLE(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xff));
}

int writeTone(const std::string& path, int level, int milliseconds) {
    if (level <= 0 || level > 32767 || milliseconds <= 0) {
        std::cerr << "tone: level must be 1..32767 and the length positive\n";
        return 2;
    }
    const uint32_t frames = static_cast<uint32_t>(static_cast<int64_t>(kRate) * milliseconds / 1000);
    const uint32_t dataBytes = frames * kChannels * 2;
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    putLE(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLE(out, 16, 4);                      // format chunk size
    putLE(out, 1, 2);                       // PCM
    putLE(out, kChannels, 2);
    putLE(out, kRate, 4);
    putLE(out, kRate * kChannels * 2, 4);   // bytes per second
    putLE(out, kChannels * 2, 2);           // bytes per frame
    putLE(out, 16, 2);                      // bits per sample
    out.write("data", 4);
    putLE(out, dataBytes, 4);
    for (uint32_t f = 0; f < frames; ++f) {
        const int sample = (f / kHalfPeriodFrames) % 2 == 0 ? level : -level;
        for (int c = 0; c < kChannels; ++c) putLE(out, static_cast<uint16_t>(static_cast<int16_t>(sample)), 2);
    }
    if (!out) {
        std::cerr << "tone: cannot write " << path << "\n";
        return 1;
    }
    return 0;
}

// The level a block is named by: 0 for silence, -1 when it matches no test level.
int blockLevel(std::vector<int>& magnitudes) {
    auto middle = magnitudes.begin() + magnitudes.size() / 2;
    std::nth_element(magnitudes.begin(), middle, magnitudes.end());
    const int median = *middle;
    const int level = (median + kLevelStep / 2) / kLevelStep * kLevelStep;
    return std::abs(median - level) <= kLevelTolerance ? level : -1;
}

int listSounds(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "sounds: cannot read " << path << "\n";
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t samplesPerBlock = static_cast<size_t>(kBlockFrames) * kChannels;
    const size_t blocks = bytes.size() / 2 / samplesPerBlock;  // a partly written block is left out

    std::vector<int> levels;
    levels.reserve(blocks);
    std::vector<int> magnitudes(samplesPerBlock);
    for (size_t b = 0; b < blocks; ++b) {
        for (size_t s = 0; s < samplesPerBlock; ++s) {
            const size_t at = (b * samplesPerBlock + s) * 2;
            const auto low = static_cast<uint8_t>(bytes[at]);
            const auto high = static_cast<uint8_t>(bytes[at + 1]);
            magnitudes[s] = std::abs(static_cast<int>(static_cast<int16_t>(low | (high << 8))));
        }
        levels.push_back(blockLevel(magnitudes));
    }

    // Runs of one level; a run too short to be a sound (a straddling block) is not one.
    const auto seconds = [](size_t block) { return static_cast<double>(block) * kBlockFrames / kRate; };
    for (size_t start = 0; start < levels.size();) {
        size_t end = start;
        while (end < levels.size() && levels[end] == levels[start]) ++end;
        if (levels[start] > 0 && end - start >= kMinBlocks) {
            std::printf("%d %.2f %.2f\n", levels[start], seconds(start), seconds(end - start));
        }
        start = end;
    }
    return 0;
}

int usage() {
    std::cerr << "usage: e2e_audio_probe tone OUT.wav LEVEL MILLISECONDS\n"
                 "       e2e_audio_probe sounds RECORDING.raw\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "tone") return writeTone(args[1], std::atoi(args[2].c_str()), std::atoi(args[3].c_str()));
    if (args.size() == 2 && args[0] == "sounds") return listSounds(args[1]);
    return usage();
}
