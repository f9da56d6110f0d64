#include "game/PictureBatch.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace kavimo::board {

std::vector<QImage> DecodePictures(Platform& platform, const std::vector<QString>& files,
                                   const PictureRequest& request) {
    std::vector<QImage> pictures(files.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) pictures[i] = platform.loadPicture(files[i], request);
    };
    const size_t helpers =
        std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), files.size()) - (files.empty() ? 0 : 1);
    std::vector<std::jthread> threads;
    threads.reserve(helpers);
    for (size_t t = 0; t < helpers; ++t) threads.emplace_back(work);
    work();  // this thread decodes too
    return pictures;  // the jthreads join before the pictures are handed over
}

}  // namespace kavimo::board
