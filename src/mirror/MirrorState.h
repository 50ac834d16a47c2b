#pragma once

#include <QMetaType>
#include <QString>

namespace tarvix::mirror {

// How far a lab's server is behind the bench's own database.
struct MirrorState {
    enum class Link { Connecting, Connected, Unreachable, Refused };
    Link link = Link::Connecting;
    qint64 pointsWaiting = 0;
    qint64 changesWaiting = 0;  // measurements whose settings, state or files changed
    QString problem;            // the server's or the driver's own words

    bool operator==(const MirrorState&) const = default;
    bool inStep() const {
        return link == Link::Connected && pointsWaiting == 0 && changesWaiting == 0;
    }
};

}  // namespace tarvix::mirror

Q_DECLARE_METATYPE(tarvix::mirror::MirrorState)
