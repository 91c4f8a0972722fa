#include "mixer_player.h"

#include <QFileInfo>

#include <SDL.h>
#include <SDL_mixer.h>

namespace brivadoro {

namespace {

constexpr int kChannel = 0;
constexpr int kOutputChannels = 2;
constexpr int kBufferFrames = 512; // about 12 ms at 44.1 kHz: the delay between a click and its sound
constexpr int kPlayOnce = 0;

} // namespace

void MixerPlayer::FreeChunk::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
}

MixerPlayer::MixerPlayer(const QStringList& preload) : opener_([this, preload] { openDevice(preload); }) {}

void MixerPlayer::waitUntilOpen() {
    if (opener_.joinable())
        opener_.join();
}

void MixerPlayer::openDevice(const QStringList& preload) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Brivadoro");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, kOutputChannels, kBufferFrames) == 0) {
            Mix_AllocateChannels(1);
            audible_ = true;
            for (const QString& path : preload)
                chunkFor(path);
        } else {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    open_.store(true, std::memory_order_release);
}

MixerPlayer::~MixerPlayer() {
    waitUntilOpen();
    if (!audible_)
        return;
    Mix_HaltChannel(-1);
    chunks_.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

Mix_Chunk* MixerPlayer::chunkFor(const QString& path) {
    const auto known = chunks_.find(path);
    if (known != chunks_.end())
        return known->second.get();
    if (!QFileInfo(path).isFile())
        return nullptr;
    Chunk chunk(Mix_LoadWAV(QFile::encodeName(path).constData()));
    return chunks_.emplace(path, std::move(chunk)).first->second.get();
}

void MixerPlayer::playWave(const QString& path) {
    if (!audible())
        return;
    Mix_Chunk* chunk = chunkFor(path);
    if (chunk)
        Mix_PlayChannel(kChannel, chunk, kPlayOnce);
    else
        Mix_HaltChannel(kChannel);
}

} // namespace brivadoro
