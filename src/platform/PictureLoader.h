#pragma once
// Decoding pictures through QImageReader, only as much of them as is shown.

#include "platform/Platform.h"

namespace kavimo::pictures {

// Loads the picture at path (looked up with fs::resolve). A null image when the file is
// missing, is not a picture, or would need more memory than a picture is allowed.
QImage load(const QString& path, const PictureRequest& request = {});

}  // namespace kavimo::pictures
