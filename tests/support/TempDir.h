// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scratch folders and the files tests lay out in them: pictures, sounds, and files broken
// the ways a parent's hand-made set may hold them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

#include <sndfile.h>

namespace kavimo::test {

// 8 kHz 8-bit mono square wave of the given peak (0 to 127 around the midpoint 128).
QByteArray squareWav(double seconds, int peak);

// A scratch folder, removed afterwards. Every writer makes the folders it needs and
// returns the full path of what it made.
class TempDir {
public:
    TempDir() { dir_.setAutoRemove(false); }
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    QString path() const { return dir_.path(); }
    QString file(const QString& relative) const { return dir_.path() + "/" + relative; }
    QString write(const QString& relative, const QByteArray& bytes) const;
    // A PNG of one colour.
    QString writePicture(const QString& relative, int width, int height, unsigned rgb) const;
    // A short, valid 8 kHz 8-bit mono WAV.
    QString writeWav(const QString& relative) const { return write(relative, squareWav(0.1, 64)); }
    QString mkdir(const QString& relative) const { return QDir().mkpath(file(relative)), file(relative); }

private:
    QTemporaryDir dir_;
};

// Writes samples (mono, -1 to 1) with libsndfile as format, each channel the same or only the
// one given; its native path. Inline: the fuzz targets that share these files have no libsndfile.
inline QByteArray writeSound(const TempDir& tmp, const QString& name, int format, int rate, int channels,
                             const std::vector<float>& mono, int only = -1) {
    const QByteArray path = QFile::encodeName(tmp.file(name));
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE* file = sf_open(path.constData(), SFM_WRITE, &info);
    std::vector<float> frames;
    for (const float sample : mono)
        for (int c = 0; c < channels; ++c) frames.push_back(only < 0 || c == only ? sample : 0);
    sf_writef_float(file, frames.data(), sf_count_t(mono.size()));
    sf_close(file);
    return path;
}

// Gives the current directory back when it goes out of scope.
struct CurrentDirGuard {
    QString saved = QDir::currentPath();
    ~CurrentDirGuard() { QDir::setCurrent(saved); }
};

// Names as the OS holds them: Shift_JIS bytes from an old Windows zip are no UTF-8.
inline QByteArray windows932(const QString& text) { return QStringEncoder("windows-31j").encode(text); }
// A file's bytes; none when it cannot be read.
inline QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
// The picture as a file of the format; quality as Qt's writers take it (100: a PNG stored,
// its rows in the file in order).
QByteArray encoded(const QImage& image, const char* format, int quality = -1, bool progressive = false);
// A picture whose every pixel differs from its neighbours, so that a cut in a different place
// shows.
QImage textured(QSize size, QImage::Format format = QImage::Format_RGB32);
QByteArray randomBytes(qsizetype count, uint32_t seed);
// A PNG file around a zlib stream of its rows; `before` holds chunks (PLTE, tRNS) that
// go before the data.
QByteArray png(int width, int height, int depth, int colourType, const QByteArray& zlibRows,
               const QByteArray& before = {}, bool interlaced = false);
// A 30000 x 30000 grey PNG: 6 MB on disk, 900 MB once inflated.
QByteArray pngBomb();
// 210 bytes of progressive grey JPEG that claim 9500 x 9500 pixels, 180 MB of coefficients (found
// by fuzz_picture, claiming 34816 x 30744).
QByteArray jpegBomb();
// A JPEG with an Exif segment after its start: the orientation tag and, when given, an
// embedded thumbnail and the photo's size, as a phone writes them.
QByteArray withExif(const QByteArray& jpeg, quint16 orientation, const QByteArray& thumbnail = {},
                    QSize pixels = {});
// The JPEG with an XMP segment before all others, as some photo editors write it.
QByteArray withXmpFirst(const QByteArray& jpeg);
// The IMA or MS ADPCM WAV at path, as libsndfile writes it, rewritten with the header that
// ffmpeg writes above 48 kHz: WAVE_FORMAT_EXTENSIBLE, the format's tag in its GUID, the
// block description after it.
void makeExtensible(const QString& path);
// The WAV at path as a recorder that stopped before it finished leaves it: the sizes of the
// file and of its data still 0.
void makeUnsized(const QString& path);
// A file that cannot be read: no permission, or, for root, one whose reading fails.
void makeUnreadable(const QString& path);
// The most memory this process has held so far.
int64_t peakResidentBytes();

}  // namespace kavimo::test
