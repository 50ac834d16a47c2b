// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Windows-1251, the code page of every text this program writes to or reads from a file.
namespace tarvix::text {

// Characters the code page cannot hold become '?'.
QByteArray toCp1251(const QString& text);
QString fromCp1251(const QByteArray& bytes);

}  // namespace tarvix::text
