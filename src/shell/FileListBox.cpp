#include "shell/FileListBox.h"

#include "platform/FileLookup.h"

#include <limits>

namespace kavimo {

FileListBox::FileListBox(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void FileListBox::setPath(const QString& path) {
    path_ = path;
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
const QStringList& FileListBox::entries() const {
    if (listed_) return entries_;
    listed_ = true;
    entries_ = fs::listFiles(path_, pattern_.split(';', Qt::SkipEmptyParts));
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
    return index >= 0 && index < listCount() ? entries().at(index) : QString();
}

QString FileListBox::fileName() const { return list(listIndex_); }

}  // namespace kavimo
