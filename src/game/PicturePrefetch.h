#pragma once
// The selected set's pictures, decoded in the background while the player looks at the
// set, so that the start deals at once. Only that set's pictures are held, each under the
// file it came from (path, size, modification and change time) and the part decoded: a
// file changed since is decoded again. No message is ever shown from here, and no widget
// or handler is touched off the user-interface thread.

#include "platform/Platform.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace kavimo::board {

class PicturePrefetch {
public:
    // platform.loadPicture must be safe to call from several threads.
    explicit PicturePrefetch(Platform& platform);
    ~PicturePrefetch();  // stops the background work and waits for it
    PicturePrefetch(const PicturePrefetch&) = delete;
    PicturePrefetch& operator=(const PicturePrefetch&) = delete;

    // Forgets what is held and, after a quarter of a second, decodes the pictures of
    // pairs 0 to pairs - 1 of the set file as request asks, on background threads at low
    // priority that end when they are done. Waits for the threads of an earlier set to
    // finish the picture each is on.
    void start(const QString& setFile, int16_t pairs, const PictureRequest& request);

    // Forgets what is held; the background threads stop after the picture each is on,
    // without being waited for.
    void cancel();

    // Every file's picture for request, in order, a null image where one cannot be
    // decoded: held ones when their file is unchanged, after waiting for those being
    // decoded; the rest decoded now on all cores. Afterwards exactly these are held.
    std::vector<QImage> decode(const std::vector<QString>& files, const PictureRequest& request);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kavimo::board
