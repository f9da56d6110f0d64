// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preview of the selected set: any picture is stretched to the image's own box.

#include <QFuture>
#include <QFutureWatcher>
#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

namespace kavimo {

class PreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit PreviewImage(QWidget* parent);
    // The picture shown, or to be shown: waits for one still being decoded.
    const QImage& picture() const;
    void setPicture(const QImage& picture);
    // Shows nothing until decode, run on Qt's thread pool, has given the picture; a picture
    // set meanwhile takes its place.
    void setPictureLater(std::function<QImage()> decode);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeDecoded() const;

    mutable QImage picture_;
    mutable std::optional<QFuture<QImage>> decoding_;
    QFutureWatcher<QImage> watcher_;
};

}  // namespace kavimo
