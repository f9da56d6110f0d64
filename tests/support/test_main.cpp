// SPDX-License-Identifier: GPL-3.0-or-later
// Test main: one offscreen QApplication for every test of the binary.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include <cstdlib>

int main(int argc, char** argv) {
    // Test discovery runs the binary without the tests' environment.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // What the window remembers of the system's fonts goes into a cache of the tests' own.
    const QTemporaryDir cache;
    setenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()).constData(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
