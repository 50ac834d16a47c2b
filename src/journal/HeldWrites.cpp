// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/HeldWrites.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

namespace tarvix::journal {

namespace {

// Enough to catch up quickly, few enough that a disk with a little room takes some of them.
constexpr std::size_t kEntriesPerTransaction = 2000;

std::optional<WriteFailure> insertPoint(QSqlQuery& insert, const PointRow& row) {
    for (const QVariant& value :
         {QVariant(row.measurement), QVariant(row.segment), QVariant(row.idx), QVariant(row.x),
          QVariant(row.y), QVariant(row.t), QVariant(row.atCompliance ? 1 : 0)}) {
        insert.addBindValue(value);
    }
    if (!insert.exec()) {
        return failureOf(insert.lastError());
    }
    return std::nullopt;
}

}  // namespace

void HeldWrites::holdPoint(const PointRow& row) {
    entries_.emplace_back(row);
    ++points_;
}

void HeldWrites::hold(JournalStatements group, int points) {
    entries_.emplace_back(Group{std::move(group), points});
    points_ += points;
}

std::optional<WriteFailure> HeldWrites::writeTo(QSqlDatabase& db) {
    while (!entries_.empty()) {
        const std::size_t count = std::min(entries_.size(), kEntriesPerTransaction);
        if (auto failure = writeTransaction(db, count)) {
            return failure;
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (const auto* group = std::get_if<Group>(&entries_.front())) {
                points_ -= group->points;
            } else {
                --points_;
            }
            entries_.pop_front();
        }
    }
    return std::nullopt;
}

std::optional<WriteFailure> HeldWrites::writeTransaction(QSqlDatabase& db, std::size_t count) {
    return inTransaction(db, [&]() -> std::optional<WriteFailure> {
        QSqlQuery insert(db);
        if (!insert.prepare(QString::fromLatin1(kInsertPointStatement))) {
            return failureOf(insert.lastError());
        }
        for (std::size_t i = 0; i < count; ++i) {
            const auto* row = std::get_if<PointRow>(&entries_[i]);
            auto failure = row ? insertPoint(insert, *row)
                               : executeEach(db, std::get<Group>(entries_[i]).statements);
            if (failure) {
                return failure;
            }
        }
        return std::nullopt;
    });
}

}  // namespace tarvix::journal
