// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Language.h"

#include <QCoreApplication>

namespace tarvix::shell {

std::unique_ptr<QTranslator> installLanguage(const QString& language, QString* error) {
    if (language.isEmpty()) {
        return nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/tarvix_%1.qm").arg(language))) {
        *error = QStringLiteral("no interface language \"%1\" (known: en)").arg(language);
        return nullptr;
    }
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

}  // namespace tarvix::shell
