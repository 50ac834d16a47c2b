#pragma once

#include <QDateTime>
#include <QString>

namespace tarvix::lcr {
struct FreqSweep;
struct SweepSettings;
}  // namespace tarvix::lcr

namespace tarvix::shell {

class TForm1;

// Keeps a completed frequency sweep in the measurement database with its settings and the
// .frq file it wrote.
void recordLcrSweep(TForm1& form, const lcr::SweepSettings& settings, const lcr::FreqSweep& sweep,
                    const QDateTime& started, const QString& file);

}  // namespace tarvix::shell
