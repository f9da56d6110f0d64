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
    // The picture shown, or to be shown: waits for one still being decoded, or decodes one
    // still waiting for the first paint here.
    const QImage& picture() const;
    void setPicture(const QImage& picture);
    // Shows nothing until decode, run on Qt's thread pool, has given the picture; a picture
    // set meanwhile takes its place. Before the image is first painted, the decode waits
    // for that paint, so that it does not slow the window's first paint down.
    void setPictureLater(std::function<QImage()> decode);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takeDecoded() const;
    void startDecoding();

    mutable QImage picture_;
    mutable std::function<QImage()> waiting_;  // until the first paint
    mutable std::optional<QFuture<QImage>> decoding_;
    bool painted_ = false;
    QFutureWatcher<QImage> watcher_;
};

}  // namespace kavimo
