#pragma once
// A scratch folder for a test, removed afterwards, with helpers to lay out files in it.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace kavimo::test {

class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    // path() + "/" + relative
    QString file(const QString& relative) const;
    // Writes bytes to relative (folders made as needed) and returns its full path.
    QString write(const QString& relative, const QByteArray& bytes) const;
    // Writes a solid-colour PNG of the given size.
    QString writePicture(const QString& relative, int width, int height, unsigned rgb) const;
    // Writes a short, valid 8 kHz 8-bit mono WAV.
    QString writeWav(const QString& relative) const;
    QString mkdir(const QString& relative) const;

private:
    QTemporaryDir dir_;
};

// Restores the current directory when it goes out of scope.
class CurrentDirGuard {
public:
    CurrentDirGuard();
    ~CurrentDirGuard();

private:
    QString saved_;
};

}  // namespace kavimo::test
