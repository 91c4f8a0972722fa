#include "fake_sdl_audio.h"

#include <algorithm>
#include <cstring>

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace brivadoro::testing {

SdlAudioState sdlAudio;

namespace {

constexpr sdl::AudioDeviceId kDevice = 2;
constexpr std::uint16_t kLongestPromptBuffer = 512; // frames: about 23 ms at 22.05 kHz
constexpr sdl::AudioFormat kWavFormat = sdl::kSigned16Native;
constexpr sdl::AudioFormat kDeviceFormat = 0x8120; // 32-bit float, unlike the WAVs

int setHint(const char* /*name*/, const char* /*value*/) {
    ++sdlAudio.calls;
    return 1;
}

int initSubSystem(std::uint32_t flags) {
    ++sdlAudio.calls;
    if (flags != sdl::kInitAudio)
        sdlAudio.misuses << u"started more of SDL than its audio"_s;
    sdlAudio.audioStarted = !sdlAudio.noSoundSystem;
    return sdlAudio.audioStarted ? 0 : -1;
}

void quitSubSystem(std::uint32_t /*flags*/) {
    ++sdlAudio.calls;
    if (sdlAudio.deviceOpen)
        sdlAudio.misuses << u"audio quit with its device open"_s;
    sdlAudio.audioStarted = false;
}

void cleanUpThread() {
    ++sdlAudio.calls;
}

sdl::RWops* openFile(const char* file, const char* /*mode*/) {
    ++sdlAudio.calls;
    auto handle = std::make_unique<sdl::RWops>(sdl::RWops{QFile::decodeName(file)});
    sdl::RWops* opened = handle.get();
    sdlAudio.files.emplace(opened, std::move(handle));
    return opened;
}

// A file whose name starts with "broken" does not decode; any other's bytes are its samples.
sdl::AudioSpec* loadWav(sdl::RWops* source, int freeSource, sdl::AudioSpec* wavFormat, std::uint8_t** buffer,
                        std::uint32_t* length) {
    ++sdlAudio.calls;
    ++sdlAudio.decodes;
    if (!sdlAudio.deviceOpen)
        sdlAudio.misuses << u"decoded with no device open"_s;
    const auto file = sdlAudio.files.find(source);
    if (file == sdlAudio.files.end()) {
        sdlAudio.misuses << u"decoded a file never opened"_s;
        return nullptr;
    }
    const QString path = file->second->path;
    if (freeSource != 0)
        sdlAudio.files.erase(file);
    if (QFileInfo(path).fileName().startsWith(u"broken"))
        return nullptr;
    QFile wav(path);
    if (!wav.open(QIODevice::ReadOnly))
        return nullptr;
    QByteArray samples = wav.readAll();
    // An empty WAV still gets a buffer of its own, as SDL gives one.
    samples.reserve(1);
    *buffer = reinterpret_cast<std::uint8_t*>(samples.data());
    *length = std::uint32_t(samples.size());
    sdlAudio.wavs.emplace(*buffer, std::move(samples));
    *wavFormat = {};
    wavFormat->frequency = SdlAudioState::kWavFrequency;
    wavFormat->format = kWavFormat;
    wavFormat->channels = 1;
    return wavFormat;
}

void freeWav(std::uint8_t* buffer) {
    ++sdlAudio.calls;
    if (sdlAudio.wavs.erase(buffer) == 0)
        sdlAudio.misuses << u"freed a WAV never loaded, or twice"_s;
}

sdl::AudioStream* newAudioStream(sdl::AudioFormat fromFormat, std::uint8_t fromChannels, int fromFrequency,
                                 sdl::AudioFormat toFormat, std::uint8_t toChannels, int toFrequency) {
    ++sdlAudio.calls;
    if (fromFormat != kWavFormat || fromChannels != 1 || fromFrequency != SdlAudioState::kWavFrequency)
        sdlAudio.misuses << u"converted from a format not the WAV's"_s;
    if (toFormat != sdlAudio.device.format || toChannels != sdlAudio.device.channels ||
        toFrequency != sdlAudio.device.frequency)
        sdlAudio.misuses << u"converted to a format the device does not play"_s;
    auto stream = std::make_unique<sdl::AudioStream>();
    sdl::AudioStream* made = stream.get();
    sdlAudio.streams.emplace(made, std::move(stream));
    return made;
}

sdl::AudioStream* knownStream(sdl::AudioStream* stream) {
    ++sdlAudio.calls;
    if (!sdlAudio.streams.contains(stream)) {
        sdlAudio.misuses << u"used a converter never made, or freed"_s;
        return nullptr;
    }
    return stream;
}

// Twice the frequency: every byte twice.
int putInStream(sdl::AudioStream* stream, const void* buffer, int length) {
    if (!knownStream(stream))
        return -1;
    ++sdlAudio.conversions;
    for (const char byte : QByteArrayView(static_cast<const char*>(buffer), length))
        stream->converted.append(2, byte);
    return 0;
}

int flushStream(sdl::AudioStream* stream) {
    return knownStream(stream) ? 0 : -1;
}

int availableInStream(sdl::AudioStream* stream) {
    return knownStream(stream) ? int(stream->converted.size()) : 0;
}

int getFromStream(sdl::AudioStream* stream, void* buffer, int length) {
    if (!knownStream(stream))
        return -1;
    const int taken = std::min(length, int(stream->converted.size()));
    std::memcpy(buffer, stream->converted.constData(), std::size_t(taken));
    stream->converted.remove(0, taken);
    return taken;
}

void freeAudioStream(sdl::AudioStream* stream) {
    if (knownStream(stream))
        sdlAudio.streams.erase(stream);
}

// As SDL: the device opens paused, in a format of its own where the player allows it.
sdl::AudioDeviceId openAudioDevice(const char* /*device*/, int isCapture, const sdl::AudioSpec* desired,
                                   sdl::AudioSpec* obtained, int allowedChanges) {
    ++sdlAudio.calls;
    if (!sdlAudio.audioStarted)
        sdlAudio.misuses << u"device opened before SDL's audio started"_s;
    if (isCapture != 0 || !desired->callback)
        sdlAudio.misuses << u"opened a device the player cannot feed"_s;
    if (desired->samples == 0 || desired->samples > kLongestPromptBuffer)
        sdlAudio.misuses << u"asked for a buffer too long to start a sound at once"_s;
    sdlAudio.deviceOpen = sdlAudio.audioStarted && !sdlAudio.deviceRefused;
    if (!sdlAudio.deviceOpen)
        return 0;
    sdlAudio.device = *desired;
    if ((allowedChanges & sdl::kAllowFrequencyChange) != 0)
        sdlAudio.device.frequency = 2 * SdlAudioState::kWavFrequency;
    if ((allowedChanges & sdl::kAllowFormatChange) != 0)
        sdlAudio.device.format = kDeviceFormat;
    sdlAudio.device.silence = '.';
    *obtained = sdlAudio.device;
    sdlAudio.paused = true;
    return kDevice;
}

bool knownDevice(sdl::AudioDeviceId device) {
    ++sdlAudio.calls;
    if (device != kDevice || !sdlAudio.deviceOpen) {
        sdlAudio.misuses << u"used a device not open"_s;
        return false;
    }
    return true;
}

void pauseAudioDevice(sdl::AudioDeviceId device, int pause) {
    if (knownDevice(device))
        sdlAudio.paused = pause != 0;
}

void lockAudioDevice(sdl::AudioDeviceId device) {
    if (knownDevice(device))
        ++sdlAudio.locks;
}

void unlockAudioDevice(sdl::AudioDeviceId device) {
    if (knownDevice(device) && --sdlAudio.locks < 0)
        sdlAudio.misuses << u"unlocked a device not locked"_s;
}

void closeAudioDevice(sdl::AudioDeviceId device) {
    if (!knownDevice(device))
        return;
    if (sdlAudio.locks != 0)
        sdlAudio.misuses << u"closed a locked device"_s;
    sdlAudio.deviceOpen = false;
}

} // namespace

QString SdlAudioState::pull(int length) {
    if (!deviceOpen || paused)
        return QString(length, u'.');
    if (locks != 0)
        misuses << u"the device waited on the player's lock"_s;
    // SDL hands the callback a buffer that holds anything.
    QByteArray buffer(length, '#');
    device.callback(device.userdata, reinterpret_cast<std::uint8_t*>(buffer.data()), length);
    return QString::fromLatin1(buffer);
}

void fillWithFakes(SdlAudioLibrary& library) {
    library = {.setHint = &setHint,
               .initSubSystem = &initSubSystem,
               .quitSubSystem = &quitSubSystem,
               .cleanUpThread = &cleanUpThread,
               .openFile = &openFile,
               .loadWav = &loadWav,
               .freeWav = &freeWav,
               .newAudioStream = &newAudioStream,
               .putInStream = &putInStream,
               .flushStream = &flushStream,
               .availableInStream = &availableInStream,
               .getFromStream = &getFromStream,
               .freeAudioStream = &freeAudioStream,
               .openAudioDevice = &openAudioDevice,
               .pauseAudioDevice = &pauseAudioDevice,
               .lockAudioDevice = &lockAudioDevice,
               .unlockAudioDevice = &unlockAudioDevice,
               .closeAudioDevice = &closeAudioDevice,
               .setAlsaErrorHandler = nullptr};
}

} // namespace brivadoro::testing
