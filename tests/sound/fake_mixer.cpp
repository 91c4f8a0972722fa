#include "fake_mixer.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace brivadoro::testing {

MixerState mixer;

QString MixerState::describe(const Started& sound) const {
    const auto chunk = chunks.find(sound.chunk);
    QString text = chunk == chunks.end() ? u"a freed sound"_s : chunk->second.second;
    if (sound.loops == 0)
        text += u" once"_s;
    else if (sound.loops < 0)
        text += u" for ever"_s;
    else
        text += u" %1 times"_s.arg(sound.loops + 1);
    if (sound.ticks >= 0)
        text += u", cut after %1 ms"_s.arg(sound.ticks);
    return text;
}

QStringList MixerState::nowPlaying() const {
    QStringList sounds;
    for (const auto& [channel, sound] : playing)
        sounds << describe(sound);
    return sounds;
}

namespace {

SDL_bool setHint(const char* /*name*/, const char* /*value*/) {
    ++mixer.calls;
    return SDL_TRUE;
}

int initSubSystem(Uint32 /*flags*/) {
    ++mixer.calls;
    mixer.audioStarted = !mixer.noSoundSystem;
    return mixer.audioStarted ? 0 : -1;
}

void quitSubSystem(Uint32 /*flags*/) {
    ++mixer.calls;
    mixer.audioStarted = false;
}

void cleanUpThread() {
    ++mixer.calls;
}

SDL_RWops* openFile(const char* file, const char* /*mode*/) {
    ++mixer.calls;
    auto handle = std::make_unique<SDL_RWops>();
    SDL_RWops* opened = handle.get();
    mixer.files.emplace(opened, std::pair(std::move(handle), QFileInfo(QFile::decodeName(file)).fileName()));
    return opened;
}

int openAudio(int /*frequency*/, Uint16 /*format*/, int /*channels*/, int /*chunkSize*/) {
    ++mixer.calls;
    if (!mixer.audioStarted)
        mixer.misuses << u"device opened before SDL's audio started"_s;
    mixer.deviceOpen = mixer.audioStarted && !mixer.deviceRefused;
    mixer.channels = mixer.deviceOpen ? MIX_CHANNELS : 0;
    return mixer.deviceOpen ? 0 : -1;
}

void closeAudio() {
    ++mixer.calls;
    mixer.deviceOpen = false;
    mixer.playing.clear();
}

int allocateChannels(int count) {
    ++mixer.calls;
    if (count >= 0) {
        mixer.channels = count;
        mixer.playing.erase(mixer.playing.lower_bound(count), mixer.playing.end());
    }
    return mixer.channels;
}

// A file whose name starts with "broken" does not decode.
Mix_Chunk* loadWav(SDL_RWops* source, int freeSource) {
    ++mixer.calls;
    ++mixer.decodes;
    if (!mixer.deviceOpen)
        mixer.misuses << u"decoded with no device open"_s;
    const auto file = mixer.files.find(source);
    if (file == mixer.files.end()) {
        mixer.misuses << u"decoded a file never opened"_s;
        return nullptr;
    }
    const QString name = file->second.second;
    if (freeSource != 0)
        mixer.files.erase(file);
    if (name.startsWith(u"broken"))
        return nullptr;
    auto chunk = std::make_unique<Mix_Chunk>();
    Mix_Chunk* decoded = chunk.get();
    mixer.chunks.emplace(decoded, std::pair(std::move(chunk), name));
    return decoded;
}

// SDL_mixer halts every channel that plays the sound it frees.
void freeChunk(Mix_Chunk* chunk) {
    ++mixer.calls;
    std::erase_if(mixer.playing, [chunk](const auto& channel) { return channel.second.chunk == chunk; });
    if (mixer.chunks.erase(chunk) == 0)
        mixer.misuses << u"freed a sound never decoded, or twice"_s;
}

// As SDL_mixer: channel -1 takes the first free channel, a busy channel drops its sound for the new
// one, and a channel beyond those allocated plays nothing.
int playChannel(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    ++mixer.calls;
    if (!mixer.deviceOpen || !mixer.chunks.contains(chunk)) {
        mixer.misuses << u"played with no device open, or a sound never decoded"_s;
        return -1;
    }
    if (channel == -1) {
        for (int free = 0; free < mixer.channels && channel == -1; ++free)
            channel = mixer.playing.contains(free) ? -1 : free;
        if (channel == -1)
            return -1;
    }
    if (channel >= 0 && channel < mixer.channels) {
        mixer.playing[channel] = {chunk, loops, ticks};
        mixer.started << mixer.describe(mixer.playing[channel]);
    }
    return channel;
}

int haltChannel(int channel) {
    ++mixer.calls;
    if (!mixer.deviceOpen)
        mixer.misuses << u"halted with no device open"_s;
    if (channel == -1)
        mixer.playing.clear();
    else
        mixer.playing.erase(channel);
    return 0;
}

} // namespace

void fillWithFakes(MixerLibrary& library) {
    library = {.setHint = &setHint,
               .initSubSystem = &initSubSystem,
               .quitSubSystem = &quitSubSystem,
               .cleanUpThread = &cleanUpThread,
               .openFile = &openFile,
               .openAudio = &openAudio,
               .closeAudio = &closeAudio,
               .allocateChannels = &allocateChannels,
               .loadWav = &loadWav,
               .freeChunk = &freeChunk,
               .playChannel = &playChannel,
               .haltChannel = &haltChannel,
               .setAlsaErrorHandler = nullptr};
}

} // namespace brivadoro::testing
