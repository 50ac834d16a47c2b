// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>
#include <optional>

#include "series/KtlFileReader.h"

namespace tarvix::series {

class SeriesStore;

// Reads a large series file on two threads: the second half, from its first block after the
// middle, into a store of its own while this thread reads the first half; the second half's
// blocks then follow the first's. The result, the store and the labels are those a reading
// from start to end gives: where the halves do not meet cleanly (the middle's block belongs
// to a longer block, or a half reached the store's limit) this thread reads on alone.
// Returns nothing, having read nothing, for a file too small to be worth it, on one core, or
// when no block follows the middle closely; `file` is open at its start.
std::optional<KtlReadResult> readKtlInTwoParts(QFile& file, const QString& path, SeriesStore& store,
                                               KtlLabels labels);

// The same over two devices on the same bytes, split at the first block after `from`: what
// readKtlInTwoParts does once it chose to, open to tests on any bytes and split.
std::optional<KtlReadResult> readKtlSplitAt(QIODevice& first, QIODevice& second, qint64 from,
                                            SeriesStore& store, KtlLabels labels);

}  // namespace tarvix::series
