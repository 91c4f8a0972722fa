// Writes the game's three sound effects, synthesised the same way at every build, as 16-bit PCM mono
// WAV files: make_sounds <folder> gives <folder>/sparo.wav, esplosi.wav and laser.wav.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPeak = 0.8; // of full scale, so no sample clips
constexpr double kFadeSeconds = 0.01;
constexpr double kTwoPi = 2 * std::numbers::pi;

using Samples = std::vector<double>;

// A fixed-seed noise source in [-1, 1).
class Noise {
public:
    double next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return double(state_ >> 11) / double(1ULL << 52) - 1.0;
    }

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

// Low-passed noise over a tone, each fading away: the shot and the explosion differ only in these.
// A value "from, to, decay" glides from its first value towards its second with that time constant.
struct Burst {
    double seconds;
    double attackSeconds;
    double noiseGain, noiseFade;
    double filterFrom, filterTo, filterDecay; // the noise filter's one-pole coefficient
    double toneFrom, toneTo, toneDecay;       // the tone's frequency in Hz
    double toneGain, toneFade;
};

constexpr Burst kShot{0.3, 0, 1, 0.035, 0.5, 0.5, 1, 240, 60, 0.08, 0.8, 0.07};
constexpr Burst kExplosion{0.85, 0.005, 3, 0.28, 0.32, 0.02, 0.15, 48, 48, 1, 0.6, 0.35};

double glide(double from, double to, double decay, double t) {
    return to + (from - to) * std::exp(-t / decay);
}

Samples burst(const Burst& b) {
    Samples out(std::size_t(b.seconds * kRate));
    Noise noise;
    double smooth = 0;
    double phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        smooth += glide(b.filterFrom, b.filterTo, b.filterDecay, t) * (noise.next() - smooth);
        phase += kTwoPi * glide(b.toneFrom, b.toneTo, b.toneDecay, t) / kRate;
        const double attack = b.attackSeconds > 0 ? std::min(1.0, t / b.attackSeconds) : 1.0;
        out[i] = attack * (b.noiseGain * smooth * std::exp(-t / b.noiseFade) +
                           b.toneGain * std::sin(phase) * std::exp(-t / b.toneFade));
    }
    return out;
}

Samples laser() {
    Samples out(std::size_t(0.45 * kRate));
    double phase = 0;
    const double seconds = double(out.size()) / kRate;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double sweep = 1800 * std::pow(250.0 / 1800, t / seconds);
        phase += kTwoPi * sweep * (1 + 0.04 * std::sin(kTwoPi * 30 * t)) / kRate;
        const double attack = std::min(1.0, t / 0.005);
        out[i] = attack * (std::sin(phase) + 0.3 * std::sin(3 * phase)) * (1 - 0.5 * t / seconds);
    }
    return out;
}

void put(std::ofstream& file, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        file.put(char((value >> (8 * i)) & 0xFF));
}

// Scales the peak to kPeak, fades the tail out and writes a RIFF WAVE file.
bool writeWave(const std::filesystem::path& path, Samples samples) {
    const std::size_t fade = std::min(samples.size(), std::size_t(kFadeSeconds * kRate));
    for (std::size_t i = 0; i < fade; ++i)
        samples[samples.size() - 1 - i] *= double(i) / double(fade);
    const auto louder = [](double most, double s) { return std::max(most, std::fabs(s)); };
    const double loudest = std::accumulate(samples.begin(), samples.end(), 0.0, louder);
    const double gain = loudest > 0 ? kPeak * 32767 / loudest : 0;

    std::ofstream file(path, std::ios::binary);
    const auto dataBytes = std::uint32_t(samples.size() * 2);
    file.write("RIFF", 4);
    put(file, 36 + dataBytes, 4);
    file.write("WAVEfmt ", 8);
    put(file, 16, 4);        // format chunk size
    put(file, 1, 2);         // PCM
    put(file, 1, 2);         // mono
    put(file, kRate, 4);     // samples per second
    put(file, kRate * 2, 4); // bytes per second
    put(file, 2, 2);         // bytes per frame
    put(file, 16, 2);        // bits per sample
    file.write("data", 4);
    put(file, dataBytes, 4);
    for (double s : samples)
        put(file, std::uint32_t(std::uint16_t(std::int16_t(std::lround(s * gain)))), 2);
    return bool(file);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: make_sounds <folder>\n";
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const bool written = writeWave(folder / "sparo.wav", burst(kShot)) &&
                         writeWave(folder / "esplosi.wav", burst(kExplosion)) &&
                         writeWave(folder / "laser.wav", laser());
    if (!written) {
        std::cerr << "make_sounds: cannot write into " << folder << '\n';
        return 1;
    }
    return 0;
}
