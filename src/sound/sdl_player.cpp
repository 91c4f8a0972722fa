#include "sdl_player.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <string>

#include <QFileInfo>

#include "toolkit/app_title.h"

namespace brivadoro {

namespace {

// The effects' own format: a device that takes it keeps each effect as small as its file, and one
// that does not is given its own format, to which each effect is converted once.
constexpr int kFrequency = 22050;
constexpr std::uint8_t kOutputChannels = 1;
// About 12 ms at 22.05 kHz: a new sound starts with the next buffer, so this is the longest delay
// between a click and its sound. The device may change the rest of the format, never this.
constexpr std::uint16_t kBufferFrames = 256;
constexpr int kAllowedChanges =
    sdl::kAllowFrequencyChange | sdl::kAllowFormatChange | sdl::kAllowChannelsChange;
constexpr int kCloseFile = 1;
constexpr std::array kEffects{SoundEffect::Shot, SoundEffect::Explosion, SoundEffect::Laser};

// ALSA writes each failed probe of a device to the error stream, where a player would take it for
// the game failing; the game's sound fails silently instead, and SDL reports by its results.
void ignoreAlsaError(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/,
                     const char* /*format*/, ...) {}

} // namespace

SdlPlayer::SdlPlayer(SoundFinder find, SdlAudioLoader load)
    : find_(std::move(find)), load_(std::move(load)) {}

void SdlPlayer::start() {
    if (opener_.joinable() || open_.load(std::memory_order_acquire))
        return;
    opener_ = std::thread([this] { openDevice(); });
}

void SdlPlayer::waitUntilOpen() {
    if (opener_.joinable())
        opener_.join();
}

void SdlPlayer::openDevice() {
    const bool loaded = load_(sdl_);
    if (loaded) {
        if (sdl_.setAlsaErrorHandler)
            sdl_.setAlsaErrorHandler(&ignoreAlsaError);
        sdl_.setHint(sdl::kHintNoSignalHandlers, "1");
        sdl_.setHint(sdl::kHintAudioDeviceAppName, std::string(kAppTitle).c_str());
    }
    if (loaded && sdl_.initSubSystem(sdl::kInitAudio) == 0) {
        sdl::AudioSpec wanted;
        wanted.frequency = kFrequency;
        wanted.format = sdl::kSigned16Native;
        wanted.channels = kOutputChannels;
        wanted.samples = kBufferFrames;
        wanted.callback = &SdlPlayer::fillBuffer;
        wanted.userdata = this;
        // The device's own format, whatever it is, so that each effect is converted once, here,
        // rather than at every buffer on the audio thread.
        deviceId_ = sdl_.openAudioDevice(nullptr, 0, &wanted, &device_, kAllowedChanges);
        if (deviceId_ != 0) {
            audible_ = true;
            for (const SoundEffect effect : kEffects)
                samplesFor(effect);
            sdl_.pauseAudioDevice(deviceId_, 0);
        } else {
            sdl_.quitSubSystem(sdl::kInitAudio);
        }
    }
    // SDL keeps data for each thread that calls it and frees it only when told to on that thread.
    if (loaded)
        sdl_.cleanUpThread();
    open_.store(true, std::memory_order_release);
}

SdlPlayer::~SdlPlayer() {
    waitUntilOpen();
    if (!audible_)
        return;
    // Closing ends SDL's audio thread, so no buffer reads the samples once they go.
    sdl_.closeAudioDevice(deviceId_);
    sounds_.clear();
    sdl_.quitSubSystem(sdl::kInitAudio);
}

const SdlPlayer::Samples* SdlPlayer::samplesFor(SoundEffect effect) {
    const auto known = sounds_.find(effect);
    if (known != sounds_.end())
        return &known->second;
    const QString path = find_(effect);
    if (!QFileInfo(path).isFile())
        return nullptr;
    return &sounds_.emplace(effect, decode(path)).first->second;
}

SdlPlayer::Samples SdlPlayer::decode(const QString& path) const {
    sdl::AudioSpec wav;
    std::uint8_t* wavSamples = nullptr;
    std::uint32_t wavLength = 0;
    if (sdl_.loadWav(sdl_.openFile(QFile::encodeName(path).constData(), "rb"), kCloseFile, &wav, &wavSamples,
                     &wavLength) == nullptr)
        return {};
    Samples converted;
    sdl::AudioStream* stream = sdl_.newAudioStream(wav.format, wav.channels, wav.frequency, device_.format,
                                                   device_.channels, device_.frequency);
    if (stream && wavLength <= INT_MAX && sdl_.putInStream(stream, wavSamples, int(wavLength)) == 0 &&
        sdl_.flushStream(stream) == 0) {
        converted.resize(std::size_t(std::max(0, sdl_.availableInStream(stream))));
        if (!converted.empty())
            converted.resize(std::size_t(
                std::max(0, sdl_.getFromStream(stream, converted.data(), int(converted.size())))));
    }
    if (stream)
        sdl_.freeAudioStream(stream);
    sdl_.freeWav(wavSamples);
    return converted;
}

void SdlPlayer::play(SoundEffect effect) {
    if (!audible())
        return;
    const Samples* samples = samplesFor(effect);
    sdl_.lockAudioDevice(deviceId_);
    playing_ = samples && !samples->empty() ? samples : nullptr;
    played_ = 0;
    sdl_.unlockAudioDevice(deviceId_);
}

void SdlPlayer::fillBuffer(void* player, std::uint8_t* buffer, int length) {
    auto& self = *static_cast<SdlPlayer*>(player);
    const auto wanted = std::size_t(std::max(0, length));
    std::size_t copied = 0;
    if (self.playing_) {
        copied = std::min(wanted, self.playing_->size() - self.played_);
        std::memcpy(buffer, self.playing_->data() + self.played_, copied);
        self.played_ += copied;
        if (self.played_ == self.playing_->size())
            self.playing_ = nullptr;
    }
    std::memset(buffer + copied, self.device_.silence, wanted - copied);
}

} // namespace brivadoro
