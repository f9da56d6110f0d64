// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FrameStyle.h"

#include "pictures/PngRows.h"

#include <QGroupBox>
#include <QStyleOption>
#include <qdrawutil.h>

namespace kavimo {

namespace {

const QString kFusionFrame = QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png");
// Where Fusion starts the frame of a box without a caption, and the picture's corners.
constexpr int kTopMargin = 3;
constexpr QMargins kCorners(6, 6, 6, 6);

}  // namespace

FrameStyle::FrameStyle() {
    if (baseStyle()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0) return;
    if (const auto frame = pictures::readPng(kFusionFrame)) frame_ = QPixmap::fromImage(*frame);
}

void FrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    const auto* box = qobject_cast<const QGroupBox*>(widget);
    const bool plain = box && box->title().isEmpty() && !box->isCheckable();
    if (element == PE_FrameGroupBox && plain && !frame_.isNull()) {
        qDrawBorderPixmap(painter, option->rect.adjusted(0, kTopMargin, 0, 0), kCorners, frame_);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

}  // namespace kavimo
