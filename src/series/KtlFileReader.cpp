// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <QBuffer>
#include <QFile>
#include <cerrno>

#include "series/KtlReadPass.h"
#include "series/KtlTwoPartRead.h"
#include "text/FileError.h"

namespace tarvix::series {

KtlReadResult readKtl(QIODevice& device, SeriesStore& store, KtlLabels labels) {
    KtlReadPass pass(device, 0, store, labels);
    pass.readFirstLines();
    pass.readBlocks();
    return pass.finish();
}

KtlReadResult readKtl(const QByteArray& bytes, SeriesStore& store, KtlLabels labels) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readKtl(buffer, store, labels);
}

KtlReadResult readKtlFile(const QString& path, SeriesStore& store, KtlLabels labels) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        const int error = descriptor < 0 ? errno : EISDIR;
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        KtlReadResult failed;
        failed.error = text::fileErrorFromErrno(error);
        return failed;
    }
    QFile file;
    file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
              QFileDevice::AutoCloseHandle);
    if (auto result = readKtlInTwoParts(file, path, store, labels)) {
        return *result;
    }
    return readKtl(file, store, labels);
}

}  // namespace tarvix::series
