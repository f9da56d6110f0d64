// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PreviewImage.h"

#include <QPainter>
#include <QtConcurrent>

namespace kavimo {

PreviewImage::PreviewImage(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(&watcher_, &QFutureWatcherBase::finished, this, [this] {
        if (!decoding_ || !decoding_->isFinished()) return;  // the news of one let go
        takeDecoded();
        update();
    });
}

const QImage& PreviewImage::picture() const {
    takeDecoded();
    return picture_;
}

void PreviewImage::takeDecoded() const {
    if (waiting_) {
        picture_ = waiting_();
        waiting_ = nullptr;
        return;
    }
    if (!decoding_) return;
    picture_ = decoding_->result();
    decoding_.reset();
}

void PreviewImage::setPicture(const QImage& picture) {
    watcher_.setFuture({});
    waiting_ = nullptr;
    // One still queued is dropped: stepping fast through sets of large photos, neither the
    // last preview nor a deal waits for the previews of the sets passed over.
    if (decoding_) decoding_->cancel();
    decoding_.reset();
    picture_ = picture;
    update();
}

void PreviewImage::setPictureLater(std::function<QImage()> decode) {
    setPicture(QImage());
    waiting_ = std::move(decode);
    if (painted_) startDecoding();
}

void PreviewImage::startDecoding() {
    if (!waiting_) return;
    decoding_ = QtConcurrent::run(std::move(waiting_));
    waiting_ = nullptr;
    watcher_.setFuture(*decoding_);
}

void PreviewImage::paintEvent(QPaintEvent*) {
    if (!painted_) {
        painted_ = true;
        // Queued: the rest of the window's paint comes first.
        QMetaObject::invokeMethod(this, &PreviewImage::startDecoding, Qt::QueuedConnection);
    }
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

}  // namespace kavimo
