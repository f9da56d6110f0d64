// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace kavimo {

// A set's pair count as its file writes it: a whole decimal number, optionally signed,
// with spaces around it allowed, within the 16-bit range. Anything else is no count.
std::optional<int16_t> ParsePairCount(const QString& text);

}  // namespace kavimo
