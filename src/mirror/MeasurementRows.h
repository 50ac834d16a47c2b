// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace tarvix::mirror {

// The rows of one measurement as the bench's database holds them.
struct MeasurementRow {
    qint64 id = 0;
    QString kind;
    QVariant started;  // ISO-8601 text, or null when it is not a time
    QVariant ended;
    QString state;
    int slot = 0;
    QString comment;
};

struct FileRow {
    qint64 id = 0;
    QString path;
    QString role;
    QVariant written;
};

using SegmentLabels = std::vector<std::pair<int, QString>>;
using ContextValues = std::vector<std::pair<QString, QVariant>>;

// Points of one segment by index, as columns; NaN stands for a missing reading (the bench's
// database holds no NaN).
struct PointColumns {
    std::vector<int> idx;
    std::vector<double> x, y, z, w, t;
    qsizetype size() const { return static_cast<qsizetype>(idx.size()); }
};

// Of one segment: its highest index and its number of points, and the time of its first
// point where known (a segment measured again starts at another time).
struct SegmentCount {
    int idx = 0;
    qint64 points = 0;
    std::optional<double> first;
    bool operator==(const SegmentCount& other) const {
        return idx == other.idx && points == other.points;
    }
};
using SegmentCounts = std::map<int, SegmentCount>;

}  // namespace tarvix::mirror
