#include "mixer_player.h"

#include <array>
#include <string>

#include <QFileInfo>

#include "toolkit/app_title.h"

namespace brivadoro {

namespace {

constexpr int kChannel = 0;
constexpr int kOutputChannels = 2;
constexpr int kBufferFrames = 512; // about 12 ms at 44.1 kHz: the delay between a click and its sound
constexpr int kPlayOnce = 0;
constexpr int kPlayToTheEnd = -1;
constexpr std::array kEffects{SoundEffect::Shot, SoundEffect::Explosion, SoundEffect::Laser};

// ALSA writes each failed probe of a device to the error stream, where a player would take it for
// the game failing; the game's sound fails silently instead, and SDL reports by its results.
void ignoreAlsaError(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/,
                     const char* /*format*/, ...) {}

} // namespace

MixerPlayer::MixerPlayer(SoundFinder find, MixerLoader load)
    : find_(std::move(find)), load_(std::move(load)) {}

void MixerPlayer::start() {
    if (opener_.joinable() || open_.load(std::memory_order_acquire))
        return;
    opener_ = std::thread([this] { openDevice(); });
}

void MixerPlayer::waitUntilOpen() {
    if (opener_.joinable())
        opener_.join();
}

void MixerPlayer::openDevice() {
    const bool loaded = load_(mixer_);
    if (loaded) {
        if (mixer_.setAlsaErrorHandler)
            mixer_.setAlsaErrorHandler(&ignoreAlsaError);
        mixer_.setHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        mixer_.setHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, std::string(kAppTitle).c_str());
    }
    if (loaded && mixer_.initSubSystem(SDL_INIT_AUDIO) == 0) {
        if (mixer_.openAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, kOutputChannels, kBufferFrames) ==
            0) {
            mixer_.allocateChannels(1);
            audible_ = true;
            for (const SoundEffect effect : kEffects)
                chunkFor(effect);
        } else {
            mixer_.quitSubSystem(SDL_INIT_AUDIO);
        }
    }
    // SDL keeps data for each thread that calls it and frees it only when told to on that thread.
    if (loaded)
        mixer_.cleanUpThread();
    open_.store(true, std::memory_order_release);
}

MixerPlayer::~MixerPlayer() {
    waitUntilOpen();
    if (!audible_)
        return;
    mixer_.haltChannel(-1);
    chunks_.clear();
    mixer_.closeAudio();
    mixer_.quitSubSystem(SDL_INIT_AUDIO);
}

Mix_Chunk* MixerPlayer::chunkFor(SoundEffect effect) {
    const auto known = chunks_.find(effect);
    if (known != chunks_.end())
        return known->second.get();
    const QString path = find_(effect);
    if (!QFileInfo(path).isFile())
        return nullptr;
    constexpr int kCloseFile = 1;
    Chunk chunk(mixer_.loadWav(mixer_.openFile(QFile::encodeName(path).constData(), "rb"), kCloseFile),
                FreeChunk{mixer_.freeChunk});
    return chunks_.emplace(effect, std::move(chunk)).first->second.get();
}

void MixerPlayer::play(SoundEffect effect) {
    if (!audible())
        return;
    Mix_Chunk* chunk = chunkFor(effect);
    if (chunk)
        mixer_.playChannel(kChannel, chunk, kPlayOnce, kPlayToTheEnd);
    else
        mixer_.haltChannel(kChannel);
}

} // namespace brivadoro
