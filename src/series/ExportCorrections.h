// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::series {

class SeriesStore;

// The series resistor whose voltage drop the export subtracts ("No", "1K", "10K", "100K",
// "1M" on the export panel).
enum class SeriesResistor { None, R1K, R10K, R100K, R1M };

// The measured resistance behind each choice, in ohms (0 for None).
double seriesResistance(SeriesResistor resistor);

// The export panel's options.
struct ExportOptions {
    bool absoluteCurrent = false;  // "ABS for log"
    bool drift = false;            // "+I instrumental drift"
    bool denoise = false;          // "De noise"
    SeriesResistor resistor = SeriesResistor::None;
};

// Recomputes series 1..seriesCount of the stored tables from their copies with every checked
// option, so that each change starts from the uncorrected values: over segments 1..8 and all
// point slots 1..10000 (counts as in the copies) the drift
// current is added, currents under the noise floor are lifted to +-1e-11 A, the resistor's
// drop is taken off the voltage, and the current made absolute, in that order, in extended
// precision.
void applyExportCorrections(SeriesStore& store, const ExportOptions& options);

}  // namespace tarvix::series
