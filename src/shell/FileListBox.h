#pragma once
// The set list: a file list that is never shown. It lists the regular, non-hidden files
// of its folder (links followed) whose names match its pattern, letter case ignored as
// Windows does ("*.dat" lists "ZOO.DAT"), sorted by name with case ignored. A name unpacked
// from an old Windows zip in Shift_JIS bytes is listed as its proper text.

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace kavimo {

class FileListBox : public QWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent);

    // Folder as the game writes it (backslashes, any letter case). A folder that does not
    // exist lists nothing.
    QString path() const { return path_; }
    void setPath(const QString& path);
    // One or more wildcard patterns separated by ";".
    QString pattern() const { return pattern_; }
    void setPattern(const QString& pattern);

    int16_t listCount() const;
    // -1 when nothing is selected.
    int16_t listIndex() const { return listIndex_; }
    // Selecting a different entry runs onClick at once, before this returns. An index
    // outside the list changes nothing.
    void setListIndex(int16_t index);
    // The selected entry's name, "" when nothing is selected.
    QString fileName() const;
    QString list(int16_t index) const;

    // The selection event.
    std::function<void()> onClick;

private:
    const QStringList& entries() const;
    void invalidate();

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    int16_t listIndex_ = -1;
    mutable QStringList entries_;
    mutable bool listed_ = false;
};

}  // namespace kavimo
