#pragma once
// Decoding the pictures of a deal: each file once, all cores at work.

#include "platform/Platform.h"

#include <QImage>
#include <QString>

#include <vector>

namespace kavimo::board {

// Decodes every file with platform.loadPicture (which is safe to call from several
// threads) and returns the pictures in the same order; a null image where one failed.
std::vector<QImage> DecodePictures(Platform& platform, const std::vector<QString>& files,
                                   const PictureRequest& request);

}  // namespace kavimo::board
