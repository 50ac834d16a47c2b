// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::series {
class SeriesStore;
}

namespace tarvix::shell {

// Keeps the table copies that the export corrections start from in step with the stored
// layer. The copies are taken at an open and a save only, so a series measured afterwards, or
// a store emptied by "Delete" or filled by a preview, exists in the tables alone; correcting
// from the copies as they are would replace it with older data. Before each correction the
// slots stored since the last copy join the copies, uncorrected as they were measured.
class CorrectionBaseline {
  public:
    // The copies match the tables: they were just taken, or the corrections just applied.
    // New series can only arrive from slot seriesCount on (the slot the live layer belongs
    // to), or from the next one when seriesCount holds a series read from a file.
    void synced(const series::SeriesStore& store);
    // The whole stored layer was replaced behind the copies.
    void invalidate();
    // Brings the slots stored since the last sync into the copies. The older slots of the
    // tables may hold corrected values; they are reset to their copies first, so a
    // correction is never applied twice.
    void takeNewSeries(series::SeriesStore& store);

  private:
    unsigned revision_ = 0;
    int firstNewSlot_ = 1;
    bool valid_ = false;
};

}  // namespace tarvix::shell
