// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The set list: a file list that is never shown. It lists the regular, non-hidden files
// of its folder (links followed) whose names match its pattern, letter case ignored as
// Windows does ("*.dat" lists "ZOO.DAT"), sorted by name with case ignored. A name unpacked
// from an old Windows zip in Shift_JIS bytes is listed as its proper text.

#include "platform/FileLookup.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

namespace kavimo {

class FileListBox : public QWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent);

    // Folder as the game writes it (backslashes, any letter case). A folder that does not
    // exist lists nothing.
    QString path() const { return paths_.value(0); }
    void setPath(const QString& path) { setPaths({path}); }
    // Several folders listed as one: sorted by name all together, and where two names are
    // equal the one of the earlier folder first.
    void setPaths(const QStringList& paths);
    // The folder that holds entry index, "" outside the list.
    QString folder(int16_t index) const;
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
    using Entry = fs::ListedFile;
    const std::vector<Entry>& entries() const;
    void invalidate();

    QStringList paths_;
    QString pattern_ = QStringLiteral("*.*");
    int16_t listIndex_ = -1;
    mutable std::vector<Entry> entries_;
    mutable bool listed_ = false;
};

}  // namespace kavimo
