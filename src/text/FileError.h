// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The runtime's input/output error codes and the texts the operator has always seen for them.
namespace tarvix::text {

enum FileErrorCode : int {
    kFileOk = 0,
    kFileNotFound = 2,
    kInvalidFilename = 3,
    kTooManyOpenFiles = 4,
    kFileAccessDenied = 5,
    kReadBeyondEnd = 100,
    kDiskFull = 101,
    kInvalidNumericInput = 106,
};

QString fileErrorText(int code);

// Maps an operating-system error number to the runtime's code.
int fileErrorFromErrno(int error);

}  // namespace tarvix::text
