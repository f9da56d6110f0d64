// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowFonts.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QSaveFile>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <QtConcurrent>

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <optional>

namespace kavimo::fonts {

namespace {

const QString kWindowsFamily = QStringLiteral("ＭＳ Ｐゴシック");
const QString kStandIn = QStringLiteral("IPAPGothic");
constexpr double kWindowPoints = 9;
constexpr double kBrowserPoints = 14.25;

// Done once the configuration thread has read the system's configuration. Qt's first font
// look-up waits for it: fontconfig does not, it reads the whole configuration again on the
// asking thread while another is still at it, and on two cores that costs the window 5 to
// 10 ms of CPU (seen in 1 start in 20).
std::shared_future<void> configurationRead;

// The system's configuration, read on a thread of its own: it starts Qt's font database from
// the configuration and its caches, most of the cost of a start.
std::jthread readSystemConfiguration() {
    std::packaged_task<void()> read(&FcInit);
    configurationRead = read.get_future().share();
    return std::jthread(std::move(read));
}

// The Windows family where it is installed, otherwise its stand-in, named directly: for a
// family that is not installed, Qt first sorts all fonts by likeness (fontconfig's
// FcFontSort) and only then tries a substitute, a few milliseconds at the first paint.
QString chooseFamily(bool sayWhatIsMissing) {
    if (QFontDatabase::hasFamily(kWindowsFamily)) return kWindowsFamily;
    // Without any font for Japanese (a portable copy on a bare machine) the captions and
    // titles show as boxes: said where a parent who started it from a terminal sees it.
    if (sayWhatIsMissing && !QFontDatabase::hasFamily(kStandIn) &&
        QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        std::fputs(
            "kavimo: no font for Japanese is installed, so the game's texts show as boxes. "
            "Install one with: sudo apt install fonts-ipafont-gothic\n",
            stderr);
    return kStandIn;
}

// The first paint's font, remembered. Before the first text can be drawn, fontconfig reads
// the system's whole configuration (some 60 files) and Qt lists its fonts: about 10 ms, a
// third of what the empty window takes to start. The first paint needs one family of those
// fonts. Its files, and how the system's configuration renders them, are remembered in the
// user's cache folder; with them, the first paint has a configuration of that family's
// folders alone, and the system's, read on a thread once the window is up, takes over
// straight after it.
struct Remembered {
    QString family;
    QList<QByteArray> files;      // "index path" of each of the family's faces
    QByteArray settings;          // how the system renders them: "name=value" words
    QList<QByteArray> cacheDirs;  // where the system's configuration keeps its font caches
    QByteArray stamp;
};

// The file of a face, written "index path".
QByteArray fileOf(const QByteArray& face) { return face.mid(face.indexOf(' ') + 1); }

// What the remembered font depends on: its files, and the system's and the user's fontconfig
// configuration. A font installed since then shows from the start after the next one.
QByteArray stampOf(const QList<QByteArray>& files) {
    const QByteArray home = qgetenv("HOME"), xdgConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray config = xdgConfig.startsWith('/') ? xdgConfig : home + "/.config";
    QList<QByteArray> paths = {"/etc/fonts/fonts.conf",       "/etc/fonts/conf.d",
                               config + "/fontconfig",        config + "/fontconfig/fonts.conf",
                               config + "/fontconfig/conf.d", home + "/.fonts.conf",
                               home + "/.fonts.conf.d"};
    for (const QByteArray& face : files) paths << fileOf(face);
    QByteArray stamp;
    for (const QByteArray& path : paths) {
        struct stat st {};
        stamp += ::stat(path.constData(), &st) != 0 ? QByteArray("-")
                                                    : QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
                                                          QByteArray::number(qint64(st.st_mtim.tv_nsec)) +
                                                          ':' + QByteArray::number(qint64(st.st_size));
        stamp += ' ';
    }
    return stamp;
}

constexpr qint64 kMostRead = qint64{64} * 1024;  // of the file, which takes a few hundred bytes

QString rememberedPath() {
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    return (cache.startsWith(u'/') ? cache : qEnvironmentVariable("HOME") + QStringLiteral("/.cache")) +
           QStringLiteral("/kavimo/window-font");
}

QByteArray serialized(const Remembered& font) {
    QByteArray text = "stamp " + font.stamp + "\nfamily " + font.family.toUtf8() + '\n';
    for (const QByteArray& face : font.files) text += "face " + face + '\n';
    for (const QByteArray& dir : font.cacheDirs) text += "cachedir " + dir + '\n';
    return text + "settings " + font.settings + '\n';
}

std::optional<Remembered> readRemembered() {
    // A configuration chosen for this run is read as a whole, as it asks.
    if (qEnvironmentVariableIsSet("FONTCONFIG_FILE") || qEnvironmentVariableIsSet("FONTCONFIG_PATH") ||
        qEnvironmentVariableIsSet("FONTCONFIG_SYSROOT"))
        return std::nullopt;
    QFile file(rememberedPath());
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    Remembered font;
    for (const QByteArray& line : file.read(kMostRead).split('\n')) {
        const QByteArray key = line.left(line.indexOf(' ')), value = line.mid(key.size() + 1);
        if (key == "stamp")
            font.stamp = value;
        else if (key == "family")
            font.family = QString::fromUtf8(value);
        else if (key == "face")
            font.files << value;
        else if (key == "cachedir")
            font.cacheDirs << value;
        else if (key == "settings")
            font.settings = value;
    }
    if (font.family.isEmpty() || font.files.isEmpty() || font.stamp != stampOf(font.files))
        return std::nullopt;
    return font;
}

// The rendering settings that Qt takes from fontconfig's match of a font, as "name=value"
// words; each is an integer, or a truth value (0 or 1) where bool.
struct Setting {
    const char* name;
    bool isBool;
};
constexpr Setting kSettings[] = {{FC_HINT_STYLE, false},
                                 {FC_RGBA, false},
                                 {FC_LCD_FILTER, false},
                                 {FC_ANTIALIAS, true},
                                 {FC_AUTOHINT, true}};

// The start's configuration: the fonts of the remembered family's folders, rendered as the
// system renders them. A folder's fonts come from the system's cache of it, as under the
// system's configuration: reading the family's file itself, for its characters, would take
// over a millisecond of CPU. The faces must all be there, as remembered.
bool useRemembered(const Remembered& font) {
    QByteArray edits;
    for (const QByteArray& word : font.settings.split(' ')) {
        const QByteArray name = word.left(word.indexOf('='));
        bool number = false;
        const int value = word.mid(name.size() + 1).toInt(&number);
        const auto setting =
            std::ranges::find(kSettings, name, [](const Setting& s) { return QByteArray(s.name); });
        if (setting == std::end(kSettings) || !number) continue;
        const QByteArray type = setting->isBool ? "bool" : "int";
        edits += "<edit name=\"" + name + "\" mode=\"assign\"><" + type + '>' +
                 (setting->isBool ? QByteArray(value ? "true" : "false") : QByteArray::number(value)) + "</" +
                 type + "></edit>";
    }
    QByteArray cacheDirs;
    for (const QByteArray& dir : font.cacheDirs)
        cacheDirs += "<cachedir>" + QString::fromUtf8(dir).toHtmlEscaped().toUtf8() + "</cachedir>";
    const QByteArray rules = "<fontconfig>" + cacheDirs +
                             (edits.isEmpty() ? "" : "<match target=\"pattern\">" + edits + "</match>") +
                             "</fontconfig>";
    FcConfig* config = FcConfigCreate();
    if (!config) return false;
    bool made =
        FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(rules.constData()), FcFalse);
    QList<QByteArray> folders;
    for (const QByteArray& face : font.files) {
        const QByteArray path = fileOf(face), folder = path.left(path.lastIndexOf('/'));
        if (!folders.contains(folder)) folders << folder;
    }
    for (const QByteArray& folder : folders)
        made = made && FcConfigAppFontAddDir(config, reinterpret_cast<const FcChar8*>(folder.constData()));
    // Fontconfig passes over a folder that is gone or unreadable without a word.
    QList<QByteArray> faces;
    const FcFontSet* listed = made ? FcConfigGetFonts(config, FcSetApplication) : nullptr;
    for (int i = 0; listed && i < listed->nfont; ++i) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(listed->fonts[i], FC_FILE, 0, &file) == FcResultMatch &&
            FcPatternGetInteger(listed->fonts[i], FC_INDEX, 0, &index) == FcResultMatch)
            faces << QByteArray::number(index) + ' ' + reinterpret_cast<const char*>(file);
    }
    const auto isListed = [&](const QByteArray& face) { return faces.contains(face); };
    made = made && std::ranges::all_of(font.files, isListed);
    made = made && FcConfigSetCurrent(config);  // which holds it from here on
    FcConfigDestroy(config);
    return made;
}

std::optional<Remembered> started;  // the first paint's font, when it was remembered
bool handedOver = false;            // the system's configuration has taken over
QFuture<FcConfig*> systemConfiguration;

// The rendering settings of the face at that size, as the current configuration gives them.
QByteArray settingsOf(const FcChar8* file, int index, double pixelSize) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, file);
    FcPatternAddInteger(pattern, FC_INDEX, index);
    FcPatternAddDouble(pattern, FC_PIXEL_SIZE, pixelSize);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    QByteArray settings;
    for (const Setting& setting : kSettings) {
        int value = 0;
        FcBool truth = FcFalse;
        if (match && (setting.isBool ? FcPatternGetBool(match, setting.name, 0, &truth)
                                     : FcPatternGetInteger(match, setting.name, 0, &value)) == FcResultMatch)
            settings += QByteArray(setting.name) + '=' +
                        QByteArray::number(setting.isBool ? int(truth) : value) + ' ';
    }
    if (match) FcPatternDestroy(match);
    return settings.trimmed();
}

// What the system's configuration gives now, remembered for the next start when it differs
// from what is. Nothing when the family's faces render differently at the window's sizes.
void remember() {
    Remembered font;
    font.family = chooseFamily(false);
    const QByteArray name = font.family.toUtf8();
    FcPattern* pattern = FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, name.constData(), nullptr);
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, nullptr);
    FcFontSet* faces = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    const double dpi =
        QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->logicalDotsPerInchY() : 96;
    if (FcStrList* cacheDirs = FcConfigGetCacheDirs(nullptr)) {
        while (const FcChar8* dir = FcStrListNext(cacheDirs))
            font.cacheDirs << reinterpret_cast<const char*>(dir);
        FcStrListDone(cacheDirs);
    }
    bool alike = faces && faces->nfont > 0;
    for (int i = 0; alike && i < faces->nfont; ++i) {
        alike = false;  // unless this face has a file and renders as the others
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(faces->fonts[i], FC_FILE, 0, &file) != FcResultMatch) break;
        FcPatternGetInteger(faces->fonts[i], FC_INDEX, 0, &index);
        const QByteArray settings = settingsOf(file, index, kWindowPoints * dpi / 72);
        alike = settings == settingsOf(file, index, kBrowserPoints * dpi / 72) &&
                (i == 0 || font.settings == settings);
        font.settings = settings;
        font.files << QByteArray::number(index) + ' ' + reinterpret_cast<const char*>(file);
    }
    if (faces) FcFontSetDestroy(faces);
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    const QString path = rememberedPath();
    if (!alike) {
        QFile::remove(path);
        return;
    }
    std::ranges::sort(font.files);
    font.stamp = stampOf(font.files);
    QFile old(path);
    if (old.open(QIODevice::ReadOnly) && old.read(kMostRead) == serialized(font)) return;
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(serialized(font)), file.commit();
}

const QString& family() {
    static const QString chosen = [] {
        if (started) return started->family;
        if (configurationRead.valid()) configurationRead.wait();
        return chooseFamily(true);
    }();
    return chosen;
}

QFont windowsFont(double points, bool bold) {
    QFont font(family());
    font.setPointSizeF(points);
    font.setBold(bold);
    // Kana, kanji and Latin need no shaping (Qt still shapes the scripts that do), and
    // skipping it spares loading the font's layout tables before the first paint.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

}  // namespace

QFont window() { return windowsFont(kWindowPoints, false); }

QFont browser() { return windowsFont(kBrowserPoints, true); }

std::jthread readConfigurationInBackground() {
    started = readRemembered();
    // The remembered family's configuration is made once the application has connected to
    // the display: a tenth of a millisecond of work, which, made on a thread alongside the
    // connection, slowed it down by more (two cores, shared with the X server).
    return started ? std::jthread() : readSystemConfiguration();
}

std::jthread loadDatabaseInBackground(std::jthread configuration) {
    if (started) {
        if (useRemembered(*started)) return {};  // the remembered family alone: listed in no time
        started.reset();  // fontconfig could not take it: the system's configuration instead
        configuration = readSystemConfiguration();
    }
    return std::jthread([configuration = std::move(configuration)]() mutable {
        if (configuration.joinable()) configuration.join();
        // Only what all threads share: a thread's fonts and glyphs are its own, so loading
        // the window's fonts here would be done again for the first paint.
        QFontDatabase::families();
    });
}

bool shows(const QString& text) {
    if (!started || handedOver) return true;
    const FcFontSet* faces = FcConfigGetFonts(nullptr, FcSetApplication);
    const auto inAFace = [&](char32_t c) {
        for (int i = 0; faces && i < faces->nfont; ++i) {
            FcCharSet* characters = nullptr;
            if (FcPatternGetCharSet(faces->fonts[i], FC_CHARSET, 0, &characters) == FcResultMatch &&
                FcCharSetHasChar(characters, c))
                return true;
        }
        return false;
    };
    return std::ranges::all_of(text.toUcs4(), inAFace);
}

void useSystemConfiguration() {
    if (!started) {
        remember();
        return;
    }
    if (std::exchange(handedOver, true)) return;
    FcConfig* system =
        systemConfiguration.isValid() ? systemConfiguration.result() : FcInitLoadConfigAndFonts();
    if (!system) return;  // fontconfig could not read it: the start's configuration goes on
    FcConfigSetCurrent(system);
    FcConfigDestroy(system);
    // Qt lists the fonts again, from the current configuration, once an application font
    // has been taken away: the remembered family's own file is added and taken away again.
    const int added = QFontDatabase::addApplicationFont(QFile::decodeName(fileOf(started->files.front())));
    if (added >= 0) QFontDatabase::removeApplicationFont(added);
    remember();
}

void afterFirstPaint(QWidget* window) {
    if (!started) {
        remember();
        return;
    }
    if (handedOver || systemConfiguration.isValid()) return;
    systemConfiguration = QtConcurrent::run(&FcInitLoadConfigAndFonts);
    auto* watcher = new QFutureWatcher<FcConfig*>(window);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, window] {
        useSystemConfiguration();
        window->update();  // a title shown meanwhile gets the system's fallback fonts
        watcher->deleteLater();
    });
    watcher->setFuture(systemConfiguration);
}

}  // namespace kavimo::fonts
