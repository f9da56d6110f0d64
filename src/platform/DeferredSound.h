// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A sound output that is set up in the background when asked to, so that nobody waits for
// it: a sound asked for before then is kept and starts as soon as the output is ready.

#include "platform/SoundBackend.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kavimo {

class DeferredSound {
public:
    explicit DeferredSound(SoundFactory make);
    ~DeferredSound();
    DeferredSound(const DeferredSound&) = delete;
    DeferredSound& operator=(const DeferredSound&) = delete;

    // Starts setting the output up on a thread of its own; does nothing the second time.
    void start();

    // Before start(): the request is kept, replacing any earlier one, and true is returned.
    // While the output is being set up: waits for it. Then: the output's answer, or false
    // when there is no output.
    bool play(const QByteArray& file);

    // The output's bell once it is ready (waiting while it is being set up); false before
    // start() and when there is no output or it has no bell.
    bool bell();

private:
    enum class State { Waiting, SettingUp, Ready, NoOutput };

    void setUp();

    SoundFactory make_;
    std::mutex mutex_;
    std::condition_variable settled_;
    State state_ = State::Waiting;
    QByteArray pending_;
    std::unique_ptr<SoundBackend> output_;
    std::thread setter_;
};

}  // namespace kavimo
