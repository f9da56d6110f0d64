// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FileListBox.h"

#include "platform/FileLookup.h"

#include <limits>

namespace kavimo {

FileListBox::FileListBox(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FileListBox::setPaths(const QStringList& paths) {
    paths_ = paths;
    invalidate();
}

void FileListBox::setPattern(const QString& pattern) {
    pattern_ = pattern;
    invalidate();
}

void FileListBox::invalidate() {
    listed_ = false;
    entries_.clear();
    listIndex_ = -1;
}

// Listed when first asked, so that setting the folder and then the pattern reads the
// folder once.
const std::vector<FileListBox::Entry>& FileListBox::entries() const {
    if (listed_) return entries_;
    listed_ = true;
    entries_ = fs::listFiles(paths_, pattern_.split(';', Qt::SkipEmptyParts));
    // The count and the index are 16-bit.
    if (entries_.size() > std::numeric_limits<int16_t>::max())
        entries_.resize(std::numeric_limits<int16_t>::max());
    return entries_;
}

int16_t FileListBox::listCount() const { return static_cast<int16_t>(entries().size()); }

void FileListBox::setListIndex(int16_t index) {
    if (index < -1 || index >= listCount() || index == listIndex_) return;
    listIndex_ = index;
    if (index >= 0 && onClick) onClick();
}

QString FileListBox::list(int16_t index) const {
    return index >= 0 && index < listCount() ? entries().at(size_t(index)).name : QString();
}

QString FileListBox::folder(int16_t index) const {
    return index >= 0 && index < listCount() ? paths_.at(entries().at(size_t(index)).folder) : QString();
}

QString FileListBox::fileName() const { return list(listIndex_); }

}  // namespace kavimo
