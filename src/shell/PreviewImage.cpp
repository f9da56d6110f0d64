// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PreviewImage.h"

#include <QPainter>

namespace kavimo {

PreviewImage::PreviewImage(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void PreviewImage::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PreviewImage::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

}  // namespace kavimo
