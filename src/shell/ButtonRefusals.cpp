// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ButtonRefusals.h"

#include <QAbstractButton>
#include <QEvent>

#include "shell/TForm1.h"
#include "status/StatusService.h"

namespace tarvix::shell {

ButtonRefusals::ButtonRefusals(TForm1& form) : QObject(&form), form_(form) {}

void ButtonRefusals::watchButtons() {
    for (auto it = form_.controls().kinds().cbegin(); it != form_.controls().kinds().cend(); ++it) {
        if (auto* button = qobject_cast<QAbstractButton*>(form_.controls().find(it.key()))) {
            button->installEventFilter(this);
        }
    }
}

// Disabled widgets get no mouse events of their own, but their event filters still see them.
bool ButtonRefusals::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button && !button->isEnabled()) {
            explain(*button);
        }
    }
    return QObject::eventFilter(watched, event);
}

void ButtonRefusals::explain(const QAbstractButton& button) {
    form_.status().say(reason(button.objectName(), button.text()));
}

QString ButtonRefusals::readOnlyReason(const QString& procedure) {
    return tr("\"%1\" does nothing: another program measures into the database, and this "
              "window only reads it (History)")
        .arg(procedure);
}

QString ButtonRefusals::reason(const QString& name, const QString& caption) const {
    if (form_.readOnly() && TForm1::startsOnTheBus(name)) {
        return readOnlyReason(caption);
    }
    const bool ivRunning = form_.ivState().actionRunning;
    if (name == QStringLiteral("Button1")) {
        if (caption == QStringLiteral("NO GRIB")) {
            return tr("Start does nothing: no GPIB board was found when the program started");
        }
        if (ivRunning) {
            return tr("Start does nothing: a measurement is running; press Stop to end it");
        }
    }
    const bus::BusOwner& owner = form_.busOwner();
    if (owner.busy() && owner.holder() == caption) {
        return tr("\"%1\" does nothing: it is already running; press Stop (Esc) to end it")
            .arg(caption);
    }
    if (owner.busy() && !ivRunning) {
        return tr("\"%1\" does nothing: \"%2\" is using the instruments; it can start when "
                  "that has ended")
            .arg(caption, owner.holder());
    }
    if (name == QStringLiteral("Button27")) {
        return tr("Start does nothing: the four-probe run is already going; press Stop to end it");
    }
    if (name == QStringLiteral("Button28")) {
        return tr("Stop does nothing: no four-probe run is going");
    }
    if (name == QStringLiteral("Button6")) {
        return tr("Animation does nothing: the series are being replayed");
    }
    if (ivRunning) {
        return tr("\"%1\" does nothing while a measurement runs; press Stop first").arg(caption);
    }
    return tr("\"%1\" cannot act now").arg(caption);
}

}  // namespace tarvix::shell
