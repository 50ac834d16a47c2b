// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::series {

class SeriesStore;

// The store steps around the series file operations, and the guards that keep a read file
// from being overwritten.

// Number of points of a stored segment as the files use it: the count float rounded, halves
// to even, and kept within 0..10000 whatever the table holds.
int storedPointCount(const SeriesStore& store, int segment, int series);

// "Save all series" before its dialog: a live run that belongs to slot seriesCount is
// committed there and the next slot taken; the live point tables are cleared (labels kept).
// Returns whether any stored segment holds points; when none does the save must be refused.
bool prepareStoreForSave(SeriesStore& store);

// "Open files" and the preview before reading: the stored slots in use are cleared,
// seriesCount becomes 0 and the live point tables are cleared.
void clearStoreForOpen(SeriesStore& store);

// "Delete": seriesCount becomes 0 and the point tables of every slot are zeroed, so that no
// old series can reappear under a later count. Labels, the live layer and the copies stay.
void deleteStoredSeries(SeriesStore& store);

// Whether any segment of `slot` holds points.
bool slotHoldsData(const SeriesStore& store, int slot);

// Before a measurement commits the live layer into slot seriesCount: when that slot holds a
// series read from a file (a file whose last series has fewer than eight segments leaves
// seriesCount there), moves on to the next slot so the commit cannot replace it. Returns
// false, changing nothing, when the slot holds data and is the last one (150): the store is
// full and the measurement must not start. Call it only while the slot's data came from a
// file (KtlReadResult::lastSeriesHoldsData), not after measurements.
bool moveOffOpenedSeries(SeriesStore& store);

}  // namespace tarvix::series
