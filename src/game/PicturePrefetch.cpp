#include "game/PicturePrefetch.h"

#include "game/BoardGeometry.h"
#include "game/PictureBatch.h"
#include "game/QuietPlatform.h"
#include "platform/FileLookup.h"
#include "sets/Files.h"

#include <QFile>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stop_token>
#include <system_error>
#include <thread>

namespace kavimo::board {

namespace {

// Background decoding gives way to the user-interface thread (Linux: nice is per thread).
constexpr int kBackgroundNice = 10;
// Nor does it start before the window has been set up and painted; a player takes longer
// than this to press the start button, and a set stepped past meanwhile costs nothing.
constexpr std::chrono::milliseconds kHoldBack{250};
// A file written this recently may be written again within the same step of its
// modification time (up to 2 s on FAT) and look unchanged: such a file is not held but
// decoded at the start.
constexpr std::chrono::seconds kSettledAfter{3};

int64_t nanoseconds(const timespec& t) { return int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

// Which file, in which state, decoded how.
struct PictureKey {
    QString path;  // as found on this file system
    int64_t size;
    int64_t modified;  // ns
    int64_t changed;   // ns
    uint64_t inode;
    uint64_t device;
    QSize clipTo;
    QSize scaleTo;
    bool operator==(const PictureKey&) const = default;

    bool settled() const {
        const int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
        return modified <= now - std::chrono::nanoseconds(kSettledAfter).count();
    }
};

std::optional<PictureKey> keyOf(const QString& file, const PictureRequest& request) {
    const QString path = fs::resolve(file);
    if (path.isEmpty()) return std::nullopt;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
    return PictureKey{path,
                      int64_t{info.st_size},
                      nanoseconds(info.st_mtim),
                      nanoseconds(info.st_ctim),
                      uint64_t{info.st_ino},
                      uint64_t{info.st_dev},
                      request.clipTo,
                      request.scaleTo};
}

struct Held {
    PictureKey key;
    QImage picture;
};

// One set's background decoding: the threads take the pairs in turn.
struct Batch {
    Batch(const QString& file, int16_t count, const PictureRequest& req, uint64_t gen)
        : setFile(file), pairs(count), request(req), generation(gen) {}
    const QString setFile;
    const int pairs;
    const PictureRequest request;
    const uint64_t generation;
    std::atomic<int> next{0};
    std::stop_source stop;
};

}  // namespace

struct PicturePrefetch::State {
    explicit State(Platform& p) : platform(p), quiet(p) {}

    Platform& platform;
    QuietPlatform quiet;

    std::mutex mutex;
    std::vector<Held> held;   // guarded by mutex
    uint64_t generation = 0;  // guarded by mutex; a new one whenever what is held is dropped

    // Touched by the user-interface thread only.
    std::shared_ptr<Batch> batch;
    std::vector<std::thread> threads;

    void work(Batch& b) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
        {
            std::mutex holding;
            std::condition_variable_any wake;  // by a stop only
            std::unique_lock lock(holding);
            wake.wait_for(lock, b.stop.get_token(), kHoldBack, [] { return false; });
        }
        for (int p = b.next++; p < b.pairs && !b.stop.stop_requested(); p = b.next++) {
            int16_t index = static_cast<int16_t>(p);
            const QString entry = Files::ReadSetEntry(b.setFile, index, Files::SectionPicture, quiet);
            if (entry.isEmpty() || !fs::fileExists(entry)) continue;
            const std::optional<PictureKey> key = keyOf(entry, b.request);
            if (!key || !key->settled()) continue;
            QImage picture = platform.loadPicture(key->path, b.request);
            if (picture.isNull()) continue;
            const std::lock_guard lock(mutex);
            if (generation == b.generation) held.push_back({*key, std::move(picture)});
        }
    }

    void stopBatch() {
        if (batch) batch->stop.request_stop();
        batch.reset();
    }

    void join() {
        for (std::thread& t : threads) t.join();
        threads.clear();
    }

    void forget() {
        const std::lock_guard lock(mutex);
        ++generation;
        held.clear();
    }
};

PicturePrefetch::PicturePrefetch(Platform& platform) : state_(std::make_unique<State>(platform)) {}

PicturePrefetch::~PicturePrefetch() {
    state_->stopBatch();
    state_->join();
}

void PicturePrefetch::start(const QString& setFile, int16_t pairs, const PictureRequest& request) {
    cancel();
    state_->join();
    if (pairs <= 0 || pairs > kMaxPairs) return;

    uint64_t generation = 0;
    {
        const std::lock_guard lock(state_->mutex);
        generation = state_->generation;
    }
    auto batch = std::make_shared<Batch>(setFile, pairs, request, generation);
    // One core stays with the user-interface thread; the start decodes on all of them.
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned threads = std::min(cores > 1 ? cores - 1 : 1u, unsigned(pairs));
    for (unsigned t = 0; t < threads; ++t) {
        try {
            state_->threads.emplace_back([state = state_.get(), batch] { state->work(*batch); });
        } catch (const std::system_error&) {
            break;  // fewer helpers; the start decodes what they leave
        }
    }
    state_->batch = std::move(batch);
}

void PicturePrefetch::cancel() {
    state_->stopBatch();
    state_->forget();
}

std::vector<QImage> PicturePrefetch::decode(const std::vector<QString>& files, const PictureRequest& request) {
    // No pair is taken up any more; those being decoded are waited for.
    state_->stopBatch();
    state_->join();

    std::vector<std::optional<PictureKey>> keys;
    std::vector<QImage> pictures(files.size());
    std::vector<QString> missing;
    std::vector<size_t> missingAt;
    {
        const std::lock_guard lock(state_->mutex);
        for (size_t i = 0; i < files.size(); ++i) {
            keys.push_back(keyOf(files[i], request));
            const auto& held = state_->held;
            const auto found = std::find_if(held.begin(), held.end(), [&](const Held& h) { return h.key == keys[i]; });
            if (found != held.end()) {
                pictures[i] = found->picture;
            } else {
                missing.push_back(files[i]);
                missingAt.push_back(i);
            }
        }
    }

    const std::vector<QImage> decoded = DecodePictures(state_->platform, missing, request);
    for (size_t j = 0; j < decoded.size(); ++j) pictures[missingAt[j]] = decoded[j];

    const std::lock_guard lock(state_->mutex);
    state_->held.clear();
    for (size_t i = 0; i < files.size(); ++i) {
        if (keys[i] && keys[i]->settled() && !pictures[i].isNull()) state_->held.push_back({*keys[i], pictures[i]});
    }
    return pictures;
}

}  // namespace kavimo::board
