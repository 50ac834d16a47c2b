// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FileError.h"

#include <cerrno>

namespace tarvix::text {

QString fileErrorText(int code) {
    switch (code) {
        case kFileNotFound:
            return QStringLiteral("File not found");
        case kInvalidFilename:
            return QStringLiteral("Invalid filename");
        case kTooManyOpenFiles:
            return QStringLiteral("Too many open files");
        case kFileAccessDenied:
            return QStringLiteral("File access denied");
        case kReadBeyondEnd:
            return QStringLiteral("Read beyond end of file");
        case kDiskFull:
            return QStringLiteral("Disk full");
        case kInvalidNumericInput:
            return QStringLiteral("Invalid numeric input");
        default:
            return QStringLiteral("I/O error %1").arg(code);
    }
}

int fileErrorFromErrno(int error) {
    switch (error) {
        case 0:
            return kFileOk;
        case ENOENT:
            return kFileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
        case EISDIR:
            return kInvalidFilename;
        case EMFILE:
        case ENFILE:
            return kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
            return kFileAccessDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:  // the process's file-size limit, with SIGXFSZ ignored
            return kDiskFull;
        default:
            return error;
    }
}

}  // namespace tarvix::text
