// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/LineClip.h"

#include <algorithm>
#include <cmath>

namespace tarvix::series {

bool clipToBox(QPoint& a, QPoint& b, const QRect& box) {
    const double x0 = a.x();
    const double y0 = a.y();
    const double dx = static_cast<double>(b.x()) - x0;
    const double dy = static_cast<double>(b.y()) - y0;
    double enter = 0.0;
    double leave = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - box.left(), box.right() - x0, y0 - box.top(), box.bottom() - y0};
    for (int edge = 0; edge < 4; ++edge) {
        if (p[edge] == 0.0) {
            if (q[edge] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[edge] / p[edge];
        if (p[edge] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    if (enter > leave) {
        return false;
    }
    const QPoint from(static_cast<int>(std::nearbyint(x0 + enter * dx)),
                      static_cast<int>(std::nearbyint(y0 + enter * dy)));
    const QPoint to(static_cast<int>(std::nearbyint(x0 + leave * dx)),
                    static_cast<int>(std::nearbyint(y0 + leave * dy)));
    a = from;
    b = to;
    return true;
}

}  // namespace tarvix::series
