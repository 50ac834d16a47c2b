// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTranslator>
#include <memory>

namespace tarvix::shell {

// The interface language chosen on the command line or in TARVIX_LANGUAGE: empty keeps the
// design's own texts, "en" installs the English catalogue. Returns the installed translator
// (null for the design's texts), or sets `error` for a language the program does not have.
std::unique_ptr<QTranslator> installLanguage(const QString& language, QString* error);

}  // namespace tarvix::shell
