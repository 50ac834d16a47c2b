// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaType>
#include <QString>

namespace tarvix::mirror {

// How far a lab's server is behind the bench's own database.
struct MirrorState {
    // Denied: the server answers but refuses the bench (`problem` names why); Refused: the
    // program does not use the server at all.
    enum class Link { Connecting, Connected, Unreachable, Denied, Refused };
    Link link = Link::Connecting;
    qint64 pointsWaiting = 0;
    qint64 changesWaiting = 0;  // measurements whose settings, state or files changed
    QString problem;            // the server's or the driver's own words
    // Measurements the server refused to store, set aside, and its words for the last one.
    qint64 rejected = 0;
    QString rejection;
    // Once: the bench's database was found to be a copy and took an identity of its own.
    QString notice;

    bool operator==(const MirrorState&) const = default;
    bool inStep() const {
        return link == Link::Connected && pointsWaiting == 0 && changesWaiting == 0 &&
               rejected == 0;
    }
};

}  // namespace tarvix::mirror

Q_DECLARE_METATYPE(tarvix::mirror::MirrorState)
