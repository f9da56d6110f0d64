#include "platform/SdlSound.h"

#include <QFile>
#include <QFileInfo>

#include <SDL.h>
#include <SDL_mixer.h>

namespace kavimo {

namespace {

// The game's sounds are recorded at 8, 11 and 22 kHz.
constexpr int kFrequency = 22050;
constexpr int kOutputChannels = 2;
constexpr int kBufferFrames = 1024;
// One mixer channel: starting a sound stops the one before, as the Windows call does.
constexpr int kChannel = 0;
// The game's sounds are short cues and voices; a bigger file is not one of them, and
// decoding it whole would stall the window and take a lot of memory.
constexpr qint64 kMaxFileBytes = qint64{16} * 1024 * 1024;

bool openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    if (Mix_OpenAudio(kFrequency, AUDIO_S16SYS, kOutputChannels, kBufferFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

}  // namespace

void SdlSound::ChunkFree::operator()(Mix_Chunk* chunk) const {
    Mix_FreeChunk(chunk);
    --*live;
}

SdlSound::SdlSound() {
    // SDL would otherwise take over SIGINT and SIGTERM, and they would no longer end the game.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    open_ = openDevice();
    if (!open_) {
        // No sound device: play into nothing rather than fail.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        open_ = openDevice();
    }
    if (open_) Mix_AllocateChannels(1);
}

// SDL keeps per-thread data (its error text) for threads it did not start.
void SdlSound::leaveThread() { SDL_TLSCleanup(); }

SdlSound::~SdlSound() {
    if (open_) {
        Mix_HaltChannel(-1);
        current_.reset();
        Mix_CloseAudio();
    }
    SDL_Quit();
}

bool SdlSound::play(const QString& path) {
    if (!open_) return false;

    // Only regular files: opening a named pipe would block the window.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0 || info.size() > kMaxFileBytes) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) return false;

    SDL_RWops* source = SDL_RWFromConstMem(bytes.constData(), static_cast<int>(bytes.size()));
    if (!source) return false;
    Mix_Chunk* decoded = Mix_LoadWAV_RW(source, 1);
    if (!decoded) return false;
    ++liveChunks_;
    Chunk next(decoded, ChunkFree{&liveChunks_});

    // Halted before it is freed: the mixer thread must not read a freed chunk.
    Mix_HaltChannel(kChannel);
    current_ = std::move(next);
    if (Mix_PlayChannel(kChannel, current_.get(), 0) < 0) {
        current_.reset();
        return false;
    }
    return true;
}

bool SdlSound::isPlaying() const { return open_ && Mix_Playing(kChannel) != 0; }

std::unique_ptr<SoundBackend> openSdlSound() { return std::make_unique<SdlSound>(); }

}  // namespace kavimo
