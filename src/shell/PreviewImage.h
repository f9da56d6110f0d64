// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preview of the selected set: any picture is stretched to the image's own box.

#include <QImage>
#include <QWidget>

namespace kavimo {

class PreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit PreviewImage(QWidget* parent);
    const QImage& picture() const { return picture_; }
    void setPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};

}  // namespace kavimo
