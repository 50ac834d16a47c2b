// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace tarvix::series {

class SeriesStore;

// Whether a read stores the label line of every block (the open) or leaves the labels as
// they are (the preview while the open dialog is shown).
enum class KtlLabels { Take, Skip };

struct KtlReadResult {
    // The first three lines: the comment, the date and the time of saving.
    QString comment;
    QString date;
    QString time;
    // The ranges of every point read, grown from 0, not yet widened for the chart.
    double voltageMin = 0;
    double voltageMax = 0;
    double currentMin = 0;
    double currentMax = 0;
    // 0 when the file was read to its end, otherwise the runtime's file-error code; what was
    // read before an error stays in the store.
    int error = 0;
    // Set when the file held more than the store keeps and reading stopped at the limit; the
    // text says what was kept.
    QString limitMessage;
    // Slot seriesCount holds series from the file (its last series has fewer than eight
    // blocks, or the store is full): a new measurement must not commit into it (see
    // moveOffOpenedSeries).
    bool lastSeriesHoldsData = false;
    // Why a file read to its end is no series file at all: it has not one block header (it is
    // empty, binary, or text of another kind). Empty for a series file, even one whose blocks
    // are all empty; an open must not replace the store with what such a read gave.
    QString notSeriesReason;
};

// Reads a series file into the stored layer, filling segments 1..8 of slot 1, then slot 2,
// and so on, with the file's non-empty blocks in order; afterwards seriesCount is the slot
// that would receive the next block. The caller clears the store first (clearStoreForOpen).
KtlReadResult readKtlFile(const QString& path, SeriesStore& store, KtlLabels labels);
KtlReadResult readKtl(QIODevice& device, SeriesStore& store, KtlLabels labels);
KtlReadResult readKtl(const QByteArray& bytes, SeriesStore& store, KtlLabels labels);

}  // namespace tarvix::series
