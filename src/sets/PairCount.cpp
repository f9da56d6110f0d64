// SPDX-License-Identifier: GPL-3.0-or-later
#include "sets/PairCount.h"

namespace kavimo {

std::optional<int16_t> ParsePairCount(const QString& text) {
    // Qt's C-locale conversion: ASCII digits only, an optional sign, white space around the
    // number allowed, nothing else, and out-of-range values refused.
    // It reads up to a NUL only, and "1" followed by NUL bytes is no count.
    if (text.contains(QChar(0))) return std::nullopt;
    bool ok = false;
    const short value = QStringView(text).toShort(&ok, 10);
    if (!ok) return std::nullopt;
    return static_cast<int16_t>(value);
}

}  // namespace kavimo
