// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker/SetMaker.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <array>

namespace kavimo::maker {

void loadTranslations(const QLocale& locale) {
    // Ours, and Qt's own for the file dialogs and message boxes (Debian's qt6-translations-l10n).
    static std::array<QPointer<QTranslator>, 2> installed;
    for (QPointer<QTranslator>& translator : installed) {
        if (!translator) continue;
        QCoreApplication::removeTranslator(translator);
        delete translator.data();
    }
    if (locale.language() != QLocale::Japanese) return;
    const std::array<QString, 2> files = {
        QStringLiteral(":/i18n/kavimo-set_ja.qm"),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm")};
    for (size_t i = 0; i < files.size(); ++i) {
        // Owned by the application object, which outlives every message.
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(files[i]) && QCoreApplication::installTranslator(translator))
            installed[i] = translator;
        else
            delete translator;
    }
}

}  // namespace kavimo::maker
