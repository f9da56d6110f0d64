#include "support/TempDir.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <stdexcept>

namespace kavimo::test {

TempDir::TempDir() {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
}

QString TempDir::file(const QString& relative) const { return dir_.path() + "/" + relative; }

QString TempDir::mkdir(const QString& relative) const {
    QDir().mkpath(file(relative));
    return file(relative);
}

QString TempDir::write(const QString& relative, const QByteArray& bytes) const {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
    return full;
}

QString TempDir::writePicture(const QString& relative, int width, int height, unsigned rgb) const {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(rgb);
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    if (!image.save(full, "PNG")) throw std::runtime_error("cannot write test picture");
    return full;
}

QString TempDir::writeWav(const QString& relative) const { return write(relative, squareWav(0.1, 64)); }

QByteArray squareWav(double seconds, int peak) {
    const int samples = static_cast<int>(seconds * 8000);
    QByteArray wav;
    auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xff)); };
    auto u16 = [&](quint16 v) { wav.append(char(v & 0xff)); wav.append(char(v >> 8)); };
    wav.append("RIFF");
    u32(36 + samples);
    wav.append("WAVEfmt ");
    u32(16); u16(1); u16(1); u32(8000); u32(8000); u16(1); u16(8);
    wav.append("data");
    u32(samples);
    for (int i = 0; i < samples; ++i) wav.append(char(128 + ((i / 8) % 2 ? peak : -peak)));
    return wav;
}

CurrentDirGuard::CurrentDirGuard() : saved_(QDir::currentPath()) {}
CurrentDirGuard::~CurrentDirGuard() { QDir::setCurrent(saved_); }

}  // namespace kavimo::test
