// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <exception>

namespace tarvix::iv {

// Thrown where an I-V action cannot go on (an exchange failed, a reply was no number, the
// live table is full). The output guards on the way out switch the source off; the Start
// action catches it and shows the message.
class AcquisitionEnded : public std::exception {
  public:
    explicit AcquisitionEnded(QString message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return "I-V action ended"; }
    const QString& message() const { return message_; }

  private:
    QString message_;
};

}  // namespace tarvix::iv
