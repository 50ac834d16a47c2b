// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StartFieldCheck.h"

#include "text/DecimalParse.h"

namespace tarvix::shell {

QString firstBadField(const Controls& controls, std::initializer_list<NumberField> fields) {
    for (const NumberField& field : fields) {
        const QString edit = QString::fromLatin1(field.edit);
        const QString entry = controls.text(edit);
        const auto value = text::parseDecimal(entry);
        if (!value) {
            return QStringLiteral("The %1 (%2: \"%3\") is not a number. Nothing was sent.")
                .arg(QString::fromLatin1(field.role), edit, entry);
        }
        if (field.positive && !(*value > 0)) {
            return QStringLiteral("The %1 (%2: \"%3\") must be above 0. Nothing was sent.")
                .arg(QString::fromLatin1(field.role), edit, entry);
        }
    }
    return {};
}

}  // namespace tarvix::shell
