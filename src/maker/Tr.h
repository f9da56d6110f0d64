// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one translation context of the set maker's messages (translations/kavimo-set_*.ts).

#include <QCoreApplication>

namespace kavimo::maker {

struct Maker {
    Q_DECLARE_TR_FUNCTIONS(Maker)
};

}  // namespace kavimo::maker
