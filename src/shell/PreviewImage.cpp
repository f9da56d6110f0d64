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
    if (!decoding_) return;
    picture_ = decoding_->result();
    decoding_.reset();
}

void PreviewImage::setPicture(const QImage& picture) {
    watcher_.setFuture({});
    decoding_.reset();
    picture_ = picture;
    update();
}

void PreviewImage::setPictureLater(std::function<QImage()> decode) {
    setPicture(QImage());
    decoding_ = QtConcurrent::run(std::move(decode));
    watcher_.setFuture(*decoding_);
}

void PreviewImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

}  // namespace kavimo
