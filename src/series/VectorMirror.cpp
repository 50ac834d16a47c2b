// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/VectorMirror.h"

namespace tarvix::series {

namespace {
VectorMirror* innermost = nullptr;
}

VectorMirror::VectorMirror(QPainter& painter, QSize size)
    : painter_(painter), size_(size), outer_(innermost) {
    innermost = this;
}

VectorMirror::~VectorMirror() {
    innermost = outer_;
}

QPainter* VectorMirror::active() {
    return innermost ? &innermost->painter_ : nullptr;
}

}  // namespace tarvix::series

namespace tarvix::series {

QSize VectorMirror::activeSize() {
    return innermost ? innermost->size_ : QSize();
}

}  // namespace tarvix::series
