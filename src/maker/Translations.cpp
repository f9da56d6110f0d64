// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/SetMaker.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTranslator>

namespace kavimo::maker {

void loadTranslations(const QLocale& locale) {
    static QPointer<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed.data();
    }
    if (locale.language() != QLocale::Japanese) return;
    // Owned by the application object, which outlives every message.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral(":/i18n/kavimo-set_ja.qm")) &&
        QCoreApplication::installTranslator(translator))
        installed = translator;
    else
        delete translator;
}

}  // namespace kavimo::maker
