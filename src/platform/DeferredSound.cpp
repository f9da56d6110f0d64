// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DeferredSound.h"

namespace kavimo {

DeferredSound::DeferredSound(SoundFactory make) : make_(std::move(make)) {}

DeferredSound::~DeferredSound() {
    if (setter_.joinable()) setter_.join();
}

void DeferredSound::start() {
    const std::lock_guard lock(mutex_);
    if (state_ != State::Waiting) return;
    state_ = State::SettingUp;
    setter_ = std::thread([this] { setUp(); });
}

void DeferredSound::setUp() {
    std::unique_ptr<SoundBackend> output = make_ ? make_() : nullptr;
    const std::lock_guard lock(mutex_);
    output_ = std::move(output);
    state_ = output_ ? State::Ready : State::NoOutput;
    if (output_) {
        if (!pending_.isEmpty()) output_->play(pending_);
        output_->leaveThread();
    }
    pending_.clear();
    settled_.notify_all();
}

bool DeferredSound::play(const QByteArray& file) {
    std::unique_lock lock(mutex_);
    if (state_ == State::Waiting) {
        pending_ = file;
        return true;
    }
    settled_.wait(lock, [this] { return state_ != State::SettingUp; });
    return state_ == State::Ready && output_->play(file);
}

bool DeferredSound::bell() {
    std::unique_lock lock(mutex_);
    if (state_ == State::Waiting) return false;
    settled_.wait(lock, [this] { return state_ != State::SettingUp; });
    return state_ == State::Ready && output_->bell();
}

}  // namespace kavimo
