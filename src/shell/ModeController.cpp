// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ModeController.h"

#include <QAbstractButton>

namespace tarvix::shell {

ModeController::ModeController(TForm1& form) : PanelController(form) {}
ModeController::~ModeController() = default;

void ModeController::wire() {
    QObject::connect(c().anyButton(QStringLiteral("RadioButton58")), &QAbstractButton::toggled,
                     &form_, [this](bool checked) {
                         if (checked) {
                             RadioButton58Click();
                         }
                     });
}

void ModeController::RadioButton58Click() {
    c().setVisible(QStringLiteral("Panel1"), true);
    c().setVisible(QStringLiteral("Panel4"), false);
    c().setVisible(QStringLiteral("Panel6"), false);
    c().moveTo(QStringLiteral("Panel5"), 312, 184);
    c().setVisible(QStringLiteral("Panel5"), true);
}

}  // namespace tarvix::shell
