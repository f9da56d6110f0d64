#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Deliberate faults, each applied alone to a scratch copy of the repository, built and run
# against the whole test suite: a fault that no test catches shows a test gone missing.
# Run it before and after changing or trimming tests.
#
#   scripts/mutants.sh [pattern...]      (only the faults whose description holds a pattern)
#   KAVIMO_MUTANTS_WORK=dir              scratch copy and build (default /tmp/kavimo-mutants)
#
# Each line of the table: file | text to find (its first occurrence) | text to put instead |
# the fault it stands for. Only a "|" with white space on both sides separates; "\n" in the
# texts stands for a line end.
set -euo pipefail
cd "$(dirname "$0")/.."
patterns=("$@")
work=${KAVIMO_MUTANTS_WORK:-/tmp/kavimo-mutants}

# Read with read, not $(cat ...): inside $( ) bash weighs the table's quotes and brackets.
IFS= read -r -d '' faults <<'TABLE' || true
src/sets/Files.cpp | if (kind == SectionFile) index = 0; | | the count is read from whatever entry the caller asked for
src/sets/Files.cpp | if (counter == wanted) { | if (counter == wanted + 1) { | every entry is the one after it
src/sets/Files.cpp | !line->truncated && line->bytes == *header | line->bytes.startsWith(*header) | a header with text after it still counts
src/sets/Files.cpp | name.lastIndexOf(u'.') | name.indexOf(u'.') | a title is cut at its first dot
src/sets/SetFileText.cpp | afterCR_ = data[end] == '\r'; | afterCR_ = false; | CR LF ends two lines
src/sets/SetFileText.cpp | QStringDecoder windows932("windows-31j" | QStringDecoder windows932("ISO-8859-1" | Shift_JIS names are read as Latin-1
src/sets/SetFileText.cpp | ByteOrderMark[] = "\xEF\xBB\xBF"; | ByteOrderMark[] = "\xEF\xBB\xBE"; | a UTF-8 signature spoils the first header
src/sets/PairCount.cpp | if (text.contains(QChar(0))) return std::nullopt; | | a count followed by NUL bytes is taken
src/sets/SetBrowser.cpp | Image1->setPicture(QImage());\n        return; | Image1->setPicture(QImage()); | a set without its preview still takes its count
src/sets/SetBrowser.cpp | if (File1->listIndex() > 0) | if (File1->listIndex() >= 0) | "<<" on the first set drops the selection
src/sets/SetBrowser.cpp | ShowError(2);\n        PairCount = 0; | PairCount = 0; | a count that is no number is not reported
src/game/Board.cpp | Picture1[i]->setVisible(i <= lastCard); | Picture1[i]->setVisible(i < lastCard); | the last card in play is hidden
src/game/Board.cpp | if (i % 2 == 1) ++v; | if (i % 2 == 0) ++v; | the unshuffled pairs are numbered wrong
src/game/Board.cpp | FirstPicked = 0;\n    Picked = {}; | | a pick pending before a reset survives it
src/game/BoardGeometry.h | pairCount > kMostPairsOnLargeCards | pairCount >= kMostPairsOnLargeCards | ten pairs are laid out on small cards
src/game/BoardGeometry.h | pairCount <= kMaxPairs ? kSmallGrid | pairCount <= 20 ? kSmallGrid | 21 pairs overlap on the large cards
src/game/BoardGeometry.h | kSmallGrid{7, 6, 1000, 61} | kSmallGrid{7, 6, 1000, 63} | the small cards' frames have the wrong size
src/game/Shuffle.cpp | std::swap(cardValue[a], cardValue[b]); | | the cards are never shuffled
src/game/GameStart.cpp | if (!fs::fileExists(path) || name.isEmpty()) { | if (name.isEmpty()) { | Start with a deleted set file gives no message
src/maker/main.cpp | return plan.windows ? findings : withoutWindowsOnly(std::move(findings)); | return findings; | make warns of what only Windows does with a set not made for it
src/maker/main.cpp | print(Maker::tr("error: %1").arg(result.message), stderr); | print(result.message, stderr); | make's refusals are not marked as errors, as its warnings are marked as warnings
src/shell/Form1.cpp | button->setAutoDefault(true); | | Return on a focused button does nothing
src/shell/PreviewImage.cpp | if (decoding_) decoding_->cancel(); | | the previews of sets passed over are all decoded
src/maker/SetWriter.cpp | error({}, plan.title.trimmed().isEmpty() | error({}, !plan.title.trimmed().isEmpty() | a title of only dots is said to be missing
src/shell/PictureBox.cpp | setContentsMargins(kBorder, kBorder, kBorder, kBorder); | | a card's picture and selection frame cover its border
src/shell/PictureBox.cpp | painter.fillRect(w - 2, 1, 1, h - 2, colours.midlight()); | | a card's border lacks its inner right and bottom line
src/shell/WindowFonts.cpp | if (useRemembered(*started)) return {}; | if (useRemembered(*started) || true) return {}; | a remembered font that fontconfig cannot take still counts as the start's font
src/shell/PictureBox.cpp | pressed_ = false;\n    event->accept(); | QWidget::mouseDoubleClickEvent(event); | a double-click marks a card and takes the mark away
src/game/GameStart.cpp | if (!now.isEmpty() && now != countedSetVersion_) File1_Click(); | | a set saved anew while shown is dealt with its old count
src/game/GameStart.cpp | if (PairCount < 0 || PairCount > board::kMaxPairs) { | if (PairCount < 0) { | a count over 21 is dealt
src/game/GameStart.cpp | if (picture.isNull()) { | if (false) { | a picture that does not decode is dealt blank
src/game/GameStart.cpp | Picture1[k]->setEnabled(true); | | dealt cards cannot be clicked
src/game/GameStart.cpp | PlaySoundCue(QStringLiteral("\\HajimeA@08.wav"), 0); | | the deal is silent
src/game/Matching.cpp | if (a == b) { | if (false) { | the marked card clicked again counts as a pair
src/game/Matching.cpp | for (int n = 0; n < kMismatchBeeps; ++n) platform_.beep(); | platform_.beep(); | a wrong pair beeps once
src/game/Matching.cpp | Pause(1);\n | \n | a found pair is cleared at once
src/game/Matching.cpp | if (PairsFound == PairCount) { | if (PairsFound > PairCount) { | the finish never plays
src/shell/Form1.cpp | while (platform_.clock() < end) platform_.sleepUntil(end); | platform_.sleepUntil(end - 0.5); | the pause is half a second short
src/shell/Form1.cpp | if (!fs::fileExists(path)) return; | | a missing cue still waits its lead-in
src/shell/Form1.cpp | が見つかりませんでした。"); break;\n    default | が見つかりませんでした"); break;\n    default | error 1 loses its full stop
src/shell/Startup.cpp | if (!StartDir.isEmpty()) platform_.setCurrentDir(StartDir); | | the start folder is not restored at closing
src/shell/Startup.cpp | Pause(2); | | the closing picture is not held on screen
src/shell/SelectionFrame.cpp | painter.fillRect(r.left(), r.top(), line, r.height(), red); | | the frame has no left edge
src/game/Matching.cpp | || platform_.sndPlaySoundA(entry, SND_ASYNC) == 0) | || (platform_.sndPlaySoundA(entry, SND_ASYNC), false)) | a pair sound that cannot be played gives silence, not the fallback
src/platform/SoundDecoder.cpp | decoder->framesLeft_ = int64_t{kMaxSeconds} * info.samplerate; | decoder->framesLeft_ = info.frames; | a silence bomb decodes to its end
src/platform/SdlSound.cpp | std::max(framesOut_, lastBellOnset_ + kBellSpacingFrames) | framesOut_ | three bells in a row sound as one
src/platform/SdlSound.cpp | if (quiet()) closeDevice(lock); | | the game waiting for a click keeps the sound device busy with silence
src/platform/SdlSound.cpp | if (device_ == 0) reopenDevice(lock); | | once the device has been closed for quiet, no sound is heard again
src/platform/SdlSound.cpp | lastBellOnset_ = onset;\n        ++asked_; | lastBellOnset_ = onset; | a bell rung after a quiet while is not heard
src/platform/SdlSound.cpp | heard_ == sound_.size() && bellOnsets_.empty() &&\n           framesOut_ - lastHeardFrame_ >= SoundDecoder::kRate / 2; | bellOnsets_.empty(); | the device is closed in the middle of a sound that is decoded but still being heard
src/platform/FileLookup.cpp | withoutTrailingSpacesAndDots(part); | QStringView(part); | "dog.jpg " no longer finds dog.jpg
src/platform/FileLookup.cpp | bool isRegular(const QByteArray& path) { return typeOf(path) == S_IFREG; } | bool isRegular(const QByteArray& path) { return typeOf(path) != S_IFDIR; } | a device or a named pipe counts as a file
src/platform/FileLookup.cpp | std::stable_sort(files.begin(), files.end() | std::stable_sort(files.rbegin(), files.rend() | the user's sets and the program's are listed out of order
src/sets/SetBrowser.cpp | platform_.setCurrentDir(SetRoot()); | | a user's set reads its entries from the program's folder
src/pictures/PictureLoader.cpp | if (turn == QImageIOHandler::TransformationNone || image.isNull()) return image; | return image; | photos taken upright show sideways
src/sets/Files.cpp | ok_(file_ != nullptr) {} | ok_(file_ != nullptr) { if (file_) fs::openRegular(path).release(); } | every read of a set file keeps the file open
src/pictures/PictureLoader.cpp | reader.setAutoDetectImageFormat(known.isEmpty()); | | reading a PNG or a JPEG loads every picture plugin Qt has
src/shell/Form1.cpp | Frame1->setStyle(frameStyle); | | the first paint of the set browser's frame loads every picture plugin
src/shell/FrameStyle.cpp | constexpr int kTopMargin = 3; | constexpr int kTopMargin = 2; | the set browser's frame stands a pixel higher than Fusion draws it
src/shell/FrameStyle.cpp | pictures::readPng(kFusionFrame) | std::optional<QImage>() | the set browser's frame is left to Fusion, which lists every picture plugin to read it
src/shell/PreviewImage.cpp | if (painted_) startDecoding(); | startDecoding(); | the first set's preview is decoded while the window has its first paint to do
src/shell/WindowFonts.cpp | if (QFontDatabase::hasFamily(kWindowsFamily)) return kWindowsFamily; | return kWindowsFamily; | the window's fonts name a family that is not installed, so Qt searches all fonts first
src/maker/SetCheck.cpp | *count < 0 || *count > kMaxPairs) { | *count < 0) { | kavimo-set check passes a count over 21
src/maker/SetWriter.cpp | lines.join(QStringLiteral("\r | lines.join(QStringLiteral(" | kavimo-set make ends the set file's lines with a line feed alone
src/maker/CardPictures.cpp | return {(upright.width() - side) / 2, (upright.height() - side) / 2, side, side}; | return {0, 0, side, side}; | a made card is cut from the photo's top-left corner, not its centre
src/maker/SetWriter.cpp | !title.isEmpty() && !plan.force && | !title.isEmpty() && plan.force && | kavimo-set make saves a new set over an existing one
src/maker/SetWriter.cpp | if (!made) kept.push_back(name); | | replacing a set deletes the parent's photos and another set's pictures in its folder
src/maker/SetWriter.cpp | return written; | return true; | a card that a full disk cut short is taken, and the set reported as made
src/maker/SetWriter.cpp | writeAll(file, bytes); | file.write(bytes) == bytes.size(); | a write that a full disk cut short is said to have failed for an "Unknown error"
src/maker/SetWriter.cpp | QDir(work.path()).relativeFilePath(path) | plan.title | a failed write does not name the file that could not be written
src/shell/Startup.cpp | File1->setListIndex(std::max<int16_t>(first, 0)); | { File1->setListIndex(0); if (first > 0) File1->setListIndex(first); } | the game given a set chooses the first set on the way, with its messages
src/platform/FileLookup.cpp | otherReading = true; | otherReading = false; | a Shift_JIS set's half-width katakana name that is valid UTF-8 too is not found
src/sets/SetBrowser.cpp | File1->fileName()).normalized(QString::NormalizationForm_C)); | File1->fileName())); | a set from a Mac zip shows its title with the voicing marks apart
src/maker/SetCheck.cpp | text.shiftJis = !ascii && notUtf8 && !text.utf16; | text.shiftJis = false; | check does not say how to unpack a Windows zip whose Japanese names came out as other letters
src/maker/SetCheck.cpp | (text.contains(wideDigit) ? halfWidth | (false ? halfWidth | check does not say to write a full-width count in half-width digits
src/maker/CardPictures.cpp | if (head.mid(4, 4) != "ftyp") return suffix; | return suffix; | check says a phone's HEIC photo named .jpg is no picture, without how to convert it
src/maker/CardPictures.cpp | return shown.contains(suffix) ? suffix : extension; | return extension; | the command that converts a photo in its set leaves the set naming the old file
src/maker/Sounds.cpp | QStringLiteral("wav"),\n                                                             isWav)); | QStringLiteral("wav"),\n                                                             false)); | the command that converts a sound named .wav leaves the set naming the old file
src/maker/MakerWindow.cpp | return (adding_ == 0 && (!modified_ || pairs_.empty())) | return ((!modified_ || pairs_.empty())) | closing the set maker while its first pictures are being added loses them without asking
src/maker/MakerWindow.cpp | const bool close =\n            ending_ || mayDiscard( | const bool close =\n            mayDiscard( | a logout's SIGTERM leaves the set maker waiting on a question
src/maker/MakerWindow.cpp | QtConcurrent::run(&workers_, std::move(work)) | QtConcurrent::run(std::move(work)) | the set maker decodes photos on Qt's global threads and its paints wait for them
src/maker/MakerWindow.cpp | if (focused && focused->isEnabled()) focused->setFocus(); | | Ctrl+S takes the keyboard focus from the photo view for good
src/maker/MakerWindow.cpp | own_ && own_->title == current.title && QDir(own_->dataDir) == QDir(current.dataDir); | false; | the set maker asks to replace a set that another window changed without saying so
src/maker/MakerWindow.cpp | picturesDir_ = QFileInfo(files.first()).absolutePath(); | | "Add pictures…" opens in the home folder every time, not where the last pictures came from
src/maker/SetCheck.cpp | (name.contains(u'\t') ? tab | (false ? tab | check does not say that a tab after a picture's name is part of it
src/maker/SetCheck.cpp | text.webPage = start.startsWith | text.webPage = false && start.startsWith | check does not say that a web page saved as a set is no set
src/maker/MakerWindow.cpp | spokenEdit->clear();\n        spokenEdit->setPlaceholderText({}); | spokenEdit->clear(); | after "New set" the empty pair panel still shows the last pair's name, greyed
src/maker/MakerWindow.cpp | if (!asking_ && std::exchange(saveWhenSettled_, false)) save(); | if (std::exchange(saveWhenSettled_, false)) save(); | a save asked for while checking goes ahead behind "Close without saving?"
src/maker/MakerWindow.cpp | if (!busy() && std::exchange(saveWhenSettled_, false)) save(); | if (false) save(); | a save held while "Close without saving?" was asked is lost when the answer is no
src/game/GameStart.cpp | if (path != countedSetFile_) { | if (false) { | Start on a first set without its first picture deals nothing, with the start cue
src/platform/SoundDecoder.cpp | if (bytes == 0 && body < fileSize) { | if (false) { | a recording whose data size was never written plays the fallback sound
src/maker/Sounds.cpp | || sub == SF_FORMAT_PCM_U8) && info.frames > 0; | || sub == SF_FORMAT_PCM_U8); | make --windows copies a recording whose data size was never written, silent there
src/maker/Sounds.cpp | if (!source || in.frames == 0) { | if (!source) { | make --windows converts a recording whose data size was never written to silence
src/maker/SetWriter.cpp | if (!holdsOldSet(work)) QDir(work).removeRecursively(); | if (!holdsOldSet(work)) continue; | the work folder of a killed run stays for ever
src/maker/SetCheck.cpp | entriesFollow(lineOf(Files::SectionSound, *count_ - 1)) | entriesFollow(line) | check calls a pair without a sound, as make writes it, sounds shifted onto the next pairs
src/maker/SetCheck.cpp | fs::openRegular(dat_); | std::make_unique<QFile>(dat_); file->open(QIODevice::ReadOnly); | check cannot read a set file whose name is Shift_JIS bytes
src/platform/FileLookup.cpp | .normalized(QString::NormalizationForm_C)\n                .compare | .compare | a name from a Mac zip, its kana and voicing marks apart, is not found
src/shell/Startup.cpp | == wanted) return i; | == wanted) return -1; | "Play it now" starts the game on its first set, not the one just saved
src/maker/MakerWindow.cpp | else if (cardSide(n) == cardSide(1)) | else if (n <= 11) | the set maker's window calls 11 pairs large cards
src/maker/MakerWindow.cpp | return soundPlayable(file, &why) ? QString() : why; | return QString(); | the set maker's window takes a sound the game cannot play
src/maker/MakerWindow.cpp | return (adding_ == 0 && (!modified_ || pairs_.empty())) || confirm(question); | return true; | the set maker's window closes over unsaved pairs without a question
src/maker/MakerWindow.cpp | if (spokenEdit->text() != sound.spokenText) spokenEdit->setText(sound.spokenText); | if (sound.spokenText.isEmpty()) spokenEdit->setText(QFileInfo(p.plan.picture).completeBaseName()); | a spoken name cleared to write another is filled in again at once
src/maker/SetCheck.cpp | if (alike.size() > 1) | if (!alike.isEmpty()) | check warns of every entry in other letter case, although the game finds it
src/platform/FileLookup.cpp | QDir::cleanPath(decodePath(cwd.get()) + u'/' + path) | QDir::cleanPath(QDir::currentPath() + u'/' + path) | a photo named from inside a folder whose name is Shift_JIS bytes is not found
src/maker/main.cpp | args << kavimo::fs::decodePath(argv[i]); | args << QString::fromLocal8Bit(argv[i]); | kavimo-set cannot take a photo whose name is Shift_JIS bytes
src/maker/MakerWindow.cpp | if (!listedByGame(QFileInfo(savedDat_).absolutePath())) { | if (false) { | "Play it now" starts the game on a set it does not list
src/maker/MakerWindow.cpp | if (saving_) {  // the set being saved | if (false) {  // the set being saved | the window closed while saving asks whether to close without saving
src/maker/SetWriter.cpp | !usedElsewhere.contains(name) && | | replacing a set deletes a picture that another set names
src/maker/SetWriter.cpp | NoSymLinks; | NoDotAndDotDot; | a killed run's folder that is a link has what it points to emptied
src/maker/SetWriter.cpp | (datInfo.isSymLink() || folderInfo.isSymLink()) | (false) | a set folder that is a link to the parent's photos is replaced through it
src/maker/SetWriter.cpp | QStringLiteral("_|\\d.*\\p{L}|\\p{L}.*\\d") | QStringLiteral("_{99}") | a camera's file name is spelt out as the spoken name without a warning
src/maker/SetWriter.cpp | listedByGame(plan.dataDir) && folderKey | folderKey | a set saved where the game does not look is said to be listed twice
src/pictures/PictureLoader.cpp | if (frame && frame->exifAfterOtherApp1)\n | if (false)\n | a photo whose Exif comes after XMP is dealt sideways
src/maker/CardPictures.cpp | image = pictures::turned(std::move(image), pictures::uprightTurn(*opened)); | | make leaves a photo whose Exif comes after XMP sideways
src/pictures/JpegTop.cpp | if (marker == kStartOfScan && pos < n) pos = pastCodedData(b, n, pos, true); | | coded data is read as segments, so a photo cut short counts as whole
src/maker/CardPictures.cpp | if (pictures::cutShort(*opened)) return fail | if (false) return fail | make takes a download cut short, grey rows and all, or calls a PNG cut short one that does not decode
src/maker/CardPictures.cpp | if (card.colorSpace().isValid()) card.convertToColorSpace(QColorSpace::SRgb); | | a phone's Display P3 photo makes a card of dull colours
src/maker/CardPictures.cpp | return QImage(card.constBits(), side, side, card.bytesPerLine(), card.format()).copy(); | return card; | a card keeps the photo's profile and its description
src/maker/SetCheck.cpp | if (opened && pictures::cutShort(*opened)) warning | if (false) warning | check passes a picture cut short without a word
src/pictures/PngRows.cpp | if (read->stampRow == 0 && read->rows == 0) return std::nullopt; | return std::nullopt; | the preview of a PNG cut short is blank
src/pictures/PngRows.cpp | if (png.sliced(pos + 4, 4) == "IEND") return end > png.size(); | if (png.sliced(pos + 4, 4) == "IEND") return false; | a PNG without its end counts as whole
src/pictures/PngRows.cpp | return end > png.size();\n        pos = end;\n    }\n    return true; | return end > png.size();\n        pos = end;\n    }\n    return false; | a PNG that ends before its last chunk counts as whole
src/maker/SetCheck.cpp | if (!file) { | if (!file || file->size() > (4 << 20)) { | check calls a set file of some megabytes unreadable although the game plays it
src/platform/SoundDecoder.cpp | if (auto plain = PlainWav::of(fd, about.st_size)) { | if (auto plain = std::optional<PlainWav>()) { | an ADPCM WAV with ffmpeg's extensible header plays the fallback sound
src/maker/SetWriter.cpp | else if (QFileInfo(plan.dataDir).isDir() && !QFileInfo(plan.dataDir).isWritable()) | else if (false) | a folder that cannot be written is ready to save
src/platform/SoundDecoder.cpp | silence.data(), int(silence.size() * sizeof(float)) | silence.data(), 0 | the last 64 ms of an 8 kHz sound are not heard
src/platform/SoundDecoder.cpp | out.resize(out.size() - size_t(over)); | | a sound goes on with the silence that pushed out its end
src/platform/SoundDecoder.cpp | (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG | false | a voice in the centre of a 5.1 OGG comes from the right
src/platform/SoundDecoder.cpp | default: return {kHalfPower, kHalfPower}; | default: return {0.2f, 0.2f}; | a film's centre dialogue is mixed in at a fifth
src/maker/CardPictures.cpp | if (unreadable(file)) return unreadableProblem(file); | | a file unpacked with sudo is said to need renaming for a backslash
src/maker/SetCheck.cpp | if (!opened && detail::unreadable(path)) { | if (false) { | check calls a picture it may not read one that does not decode
src/maker/SetCheck.cpp | format != "jpeg" && format != "bmp" && format != "gif")\n | false)\n | check --windows passes PNG cards, which the game on Windows cannot show
src/maker/SetCheck.cpp | if (!head.startsWith("RIFF") || head.mid(8) != "WAVE") | if (false) | check --windows passes sounds that the game on Windows cannot play
src/maker/CardPictures.cpp | reader.setScaledSize(size); | | make refuses a phone's 200-megapixel photo
src/maker/main.cpp | sets << gameFolders[folder] + u'/' + name; | sets << gameFolders[folder] + u'/' + name, sets.sort(); | check lists the program's sets before the parent's, not in the game's order
src/maker/main.cpp | sets << setsIn(folder + u'/' + inside); | (void)inside; | check without arguments passes over a set one folder too deep
src/maker/SetWriter.cpp | if (key.startsWith(folderKey(game) + u'/')) return game; | | check does not say that the game does not list a set one folder too deep
src/maker/PairList.cpp | return {widthFor(onNarrowScreen() ? 2 : 5) | return {widthFor(5) | the set maker's buttons are off an 800 x 600 screen
src/maker/Sounds.cpp | if (head.startsWith("MThd")) { | if (false) { | MIDI music gets an ffmpeg command that fails
src/maker/Sounds.cpp | if (opened->size() == 0) { | if (false) { | an empty sound file gets an ffmpeg command that fails
src/maker/SetCheck.cpp | const bool beside = found.suffix() | const bool beside = false && found.suffix() | check gives a command that makes a WAV of a phone's recording, and the set still names the recording
src/maker/main.cpp | const bool loops = gone && | const bool loops = false && | check says a link that leads round in a loop points to a set that is not there
src/maker/main.cpp | if (!gone && (entry.isFile() || !entry.exists())) continue; | continue; | check passes over a link to a set that is gone, or a folder named like a set
src/maker/main.cpp | if (QFileInfo(arg).suffix().compare(QStringLiteral("dat"), Qt::CaseInsensitive) != 0) | if (false) | check reads a photo named as a set and speaks of a missing section
src/pictures/PictureLoader.cpp | return {std::abs(size.width()), std::abs(size.height())}; | return size; | a BMP stored from the top counts as missing
src/pictures/PictureLoader.cpp | if (!said || (*said != picture.stored && | if (false && (*said != picture.stored && | the preview shows a thumbnail that an editor left behind after a crop
src/pictures/PictureLoader.cpp | return picture.grey && !thumbnail.isGrayscale(); | return false; | a grey photo's preview shows its old colour thumbnail
src/maker/SetCheck.cpp | if (opened && pictures::refusedForSize(*opened)) | if (false) | check says a progressive JPEG beyond the decoding budget does not decode
src/maker/CardPictures.cpp | if (kind == u"avif") | if (false) | an AVIF picture gets no command that converts it
src/maker/CardPictures.cpp | return target(extension).startsWith(u'j') ? QStringLiteral("JPEG") : target(extension).toUpper(); | return extension.startsWith(u'j') ? QStringLiteral("JPEG") : extension.toUpper(); | an AVIF picture saved as .jpg is said to become a PNG, though its command writes a JPEG
src/maker/Sounds.cpp | if (opened->size() == 0) { | if (given.size() == 0) { | a sound that cannot be played, with a name from an old Windows zip, is said to be empty
src/platform/FileLookup.cpp | return found ? decodePath(*found) : QString(); | return found ? QFile::decodeName(*found) : QString(); | the set tool shows a name from an old Windows zip garbled
src/maker/Sounds.cpp | return size != 0 && size < 0x7fff0000u | return false && size != 0 && size < 0x7fff0000u | a WAV cut short passes check as playing cleanly, and make takes it
src/maker/SetWriter.cpp | else if (pair.sound.kind == SoundChoice::Kind::File && detail::soundCutShort(pair.sound.file)) | else if (false) | make takes a WAV cut short, of which the game plays only the start
src/maker/SetWriter.cpp | else if (pictures::cutShort(*opened)) | else if (false) | make names a photo cut short only once the other problems are mended
src/maker/Sounds.cpp | if (head.trimmed().startsWith('<') && head.toLower().contains("html")) { | if (false) { | a web page saved as a sound gets a command to convert it, which fails
src/maker/MakerWindow.cpp | savedDat_ = opening_; | | "Play it now" plays the set saved before another was opened
src/maker/MakerWindow.cpp | if (modified_ && !pairs_.empty()) { | if (false) { | "Play it now" plays the set as it was saved, without a word of the changes
src/maker/MakerWindow.cpp | const QStringList picturesOrFolders = naturalOrder(given); | const QStringList picturesOrFolders = given; | pictures picked together come in the file dialog's order, "10" before "2"
src/maker/MakerWindow.cpp | QMessageBox::No) == QMessageBox::Yes; | QMessageBox::Yes) == QMessageBox::Yes; | Return in the window's questions discards the pairs
src/maker/SetWriter.cpp | if (picture == QStringLiteral("[Sound]")) { | if (false) { | a hand-written set with fewer pictures than pairs opens "[Sound]" as a picture
src/maker/SetWriter.cpp | continue;\n        }\n        pair.name | return std::nullopt;\n        }\n        pair.name | a hand-written set with a picture gone cannot be opened to mend it
src/maker/MakerWindow.cpp | modified_ = replace ? !result.plan.notes.isEmpty() | modified_ = replace ? false && !result.plan.notes.isEmpty() | "Play it now" plays an opened set whose pairs were left out as the broken set on disk
src/maker/CutView.cpp | const int step = std::max(1, cut_.width() / 10); | const int step = 10; | the arrow keys move the square by a fixed ten pixels, not a tenth of its side
src/maker/CutView.cpp | case Qt::Key_Minus: zoom(-1); return; | case Qt::Key_Minus: zoom(1); return; | "-" grows the square
src/maker/MakerWindow.cpp | setFileBytes(datPath(plan)) == own_->file; | true; | a set saved by another window since this one opened it is replaced without asking
src/maker/MakerWindow.cpp | QShortcut(QKeySequence::Save, this) | QShortcut(QKeySequence::Open, this) | Ctrl+S does not save
src/maker/MakerWindow.cpp | saveWhenSettled_ = !saving_; | saveWhenSettled_ = false; | Return or Ctrl+S straight after an edit, before it is checked, does nothing
src/maker/MakerWindow.cpp | own_.reset();\n    savedDat_.clear(); | savedDat_.clear(); | after "New set", saving a set of the last title replaces it without asking
src/maker/SetWriter.cpp | if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return -1; | return -1; | make cannot save a set on an NTFS or exFAT stick mounted through FUSE
src/maker/MakerWindow.cpp | saveWhenSettled_ = false;  // the parent said not to save | ; | closing without saving while a save waits for the check saves after all
src/maker/MakerWindow.cpp | if (!savedDat_.isEmpty() && message() == savedAs(savedDat_)) say({}); | | the set maker window still says the set is saved after it has been changed
src/maker/MakerWindow.cpp | findingsList->addItem(modified_ ? tr("Ready to save.") | findingsList->addItem(true ? tr("Ready to save.") | the set maker window says "Ready to save." of a set just saved or opened
src/maker/main.cpp | if (argc < 2 && kavimo::hasDisplay()) return | if (argc < 2) return | kavimo-set without a display ends on Qt's advice to reinstall it
src/main.cpp | if (!kavimo::hasDisplay()) { | if (false) { | the game started without a display ends on Qt's advice to reinstall it
src/platform/Platform.cpp | !given.isEmpty() && QDir::isRelativePath(given) | false | a relative XDG_DATA_HOME puts the family's sets under whatever folder a program was started in
src/maker/CardPictures.cpp | if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return QStringLiteral("webp"); | | a WebP photo saved as .jpg, on a machine without Qt's extra readers, is called unreadable, not named with the package to install
src/maker/CardPictures.cpp | if (readerMissing(kind))\n        return | if (false)\n        return | WebP and TIFF photos, on a machine without Qt's extra readers, are called unreadable, not named with the package to install
src/maker/Internal.h | "svgz", "webp", "tif", "tiff"}; | "svgz"}; | make passes over the WebP photos of a folder without a word where Qt's extra readers are missing
src/shell/WindowFonts.cpp | if (sayWhatIsMissing && !QFontDatabase::hasFamily(kStandIn) && | if (false && !QFontDatabase::hasFamily(kStandIn) && | the game shows boxes without saying which font to install
src/maker/WindowMain.cpp | loadTranslations(QLocale(QLocale::English)); | loadTranslations(); | without a font for Japanese the set maker's window is all boxes under a Japanese locale
src/maker/SetWriter.cpp | else if (!noEspeakSaid && QStandardPaths | else if (QStandardPaths | make says espeak-ng is missing once for every name to speak
src/maker/main.cpp | if (!given.contains(u'/') && title(QFileInfo(set).fileName()) == wanted) titled << set; | if (false) titled << set; | check TITLE says the title was not found, where the game lists a set of that title
src/shell/Startup.cpp | if (!firstSet_.isEmpty() && first < 0) | if (false) | kavimo SET.dat with a set outside the folders it lists shows the first set without a word why
src/shell/WindowFonts.cpp | font.stamp != stampOf(font.files) | false | a remembered font is used after the font or the system's configuration changed
src/shell/WindowFonts.cpp | if (qEnvironmentVariableIsSet("FONTCONFIG_FILE") || | if (false && qEnvironmentVariableIsSet("FONTCONFIG_FILE") || | a configuration chosen with FONTCONFIG_FILE is overruled by the remembered font
src/shell/WindowFonts.cpp | if (match && (setting.isBool | if (!match && (setting.isBool | the first paint draws its texts with other hinting than the system's configuration gives
src/shell/WindowFonts.cpp | if (added >= 0) QFontDatabase::removeApplicationFont(added); | | after the first paint Qt never lists the system's fonts, so titles in other scripts show boxes
src/shell/WindowFonts.cpp | if (!started || handedOver) return true; | return true; | a first title that the remembered font lacks is shown as boxes in the first paint
src/shell/WindowFonts.cpp | return faces.contains(face); }; | return !face.isNull(); }; | a remembered face whose file went counts as there, and the first paint has no font
src/maker/MakerWindow.cpp | result.refused.mid(0, kInFull) | result.refused | a folder of photos the game cannot show grows the set maker's window past the screen
src/maker/MakerWindow.cpp | kinds = detail::kPlayableSounds + detail::kOtherSounds; | kinds = detail::kPlayableSounds; | a phone's recordings are hidden in the sound dialog, so the parent never learns how to convert them
src/maker/SetWriter.cpp | else if (title != plan.title) | else if (false) | a title the game shows otherwise is saved without a word before saving
src/maker/SetWriter.cpp | std::min(cut.width(), cut.height()) < cardSide(pairs)) | false) | cards enlarged from small pictures are saved without a word
TABLE

# A pristine copy of the tracked files, and its build.
mkdir -p "$work"
rm -rf "$work/src"
mkdir -p "$work/src"
git ls-files -z | tar --null -T - -cf - | tar -xmf - -C "$work/src"  # -m: a build left from an older copy rebuilds what changed
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$work/build" -j"$(nproc)" >/dev/null
export QT_QPA_PLATFORM=offscreen

total=0 caught=0
missed=()
# The table as records of four fields.
records() {
  python3 -c '
import re, sys
for line in sys.stdin.read().splitlines():
    if not line.strip():
        continue
    fields = [f.strip() for f in re.split(r"(?<=\s)\|(?=\s)", line)]
    sys.stdout.write("\x1f".join(fields) + "\0")
' <<<"$faults"
}

while IFS=$'\x1f' read -r -d '' file find replace fault; do
  if [ ${#patterns[@]} -gt 0 ]; then
    wanted=no
    for p in "${patterns[@]}"; do [[ "$fault" == *"$p"* ]] && wanted=yes; done
    [ $wanted = yes ] || continue
  fi
  total=$((total + 1))
  cp "$work/src/$file" "$work/original"
  if ! FIND=$find REPLACE=$replace python3 - "$work/src/$file" <<'PY'
import os, sys
path = sys.argv[1]
find = os.environ["FIND"].replace("\\n", "\n")
replace = os.environ["REPLACE"].replace("\\n", "\n")
text = open(path, encoding="utf-8").read()
if find not in text:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(find, replace, 1))
PY
  then
    echo "STALE     $fault ($file: text not found)"
    missed+=("$fault (stale)")
    continue
  fi
  verdict="MISSED"
  if ! cmake --build "$work/build" -j"$(nproc)" >"$work/build.log" 2>&1; then
    verdict="no build"
  elif ! ctest --test-dir "$work/build" -j"$(nproc)" --stop-on-failure --timeout 120 >"$work/test.log" 2>&1; then
    verdict="caught"
  fi
  cp "$work/original" "$work/src/$file"
  touch "$work/src/$file"
  if [ "$verdict" = caught ]; then
    caught=$((caught + 1))
    echo "caught    $fault ($(grep -m1 -oE 'Test +#[0-9]+: [^ ]+ \.+\*\*\*' "$work/test.log" | sed -E 's/Test +#[0-9]+: ([^ ]+).*/\1/'))"
  else
    echo "$verdict    $fault"
    missed+=("$fault ($verdict)")
  fi
done < <(records)

cmake --build "$work/build" -j"$(nproc)" >/dev/null
echo "$caught of $total faults caught"
if [ ${#missed[@]} -gt 0 ]; then
  printf 'not caught: %s\n' "${missed[@]}"
  exit 1
fi
