// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace tarvix::lcr {
struct FreqSweep;
}

namespace tarvix::convert {

// Reads every line of a .frq log as one point of `sweep`: the frequency after "F[Hz]" and the
// reply's values, the parameter codes from the first line. Returns why the bytes are no .frq
// log, or an empty text.
QString readFrqFile(const QByteArray& bytes, lcr::FreqSweep& sweep);

}  // namespace tarvix::convert
