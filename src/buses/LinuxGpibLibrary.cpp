// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/LinuxGpibLibrary.h"

#include <dlfcn.h>

namespace tarvix::buses {

QString LinuxGpibLibrary::defaultPath() {
    return qEnvironmentVariable("TARVIX_LIBGPIB", QString::fromLatin1(kDefaultName));
}

template <typename Function>
void LinuxGpibLibrary::resolve(Function*& function, const char* name) {
    function = reinterpret_cast<Function*>(dlsym(handle_, name));
}

LinuxGpibLibrary::LinuxGpibLibrary(const QString& path) {
    handle_ = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        loadError_ = QStringLiteral("no GPIB library (%1) was found").arg(path);
        return;
    }
    resolve(ibdev, "ibdev");
    resolve(ibwrt, "ibwrt");
    resolve(ibrd, "ibrd");
    resolve(ibtmo, "ibtmo");
    resolve(ibln, "ibln");
    resolve(ibask, "ibask");
    resolve(ibsic, "ibsic");
    resolve(ibsre, "ibsre");
    resolve(ibonl, "ibonl");
    resolve(threadIbsta_, "ThreadIbsta");
    resolve(threadIberr_, "ThreadIberr");
    resolve(threadIbcnt_, "ThreadIbcnt");
    resolve(ibsta_, "ibsta");
    resolve(iberr_, "iberr");
    resolve(ibcnt_, "ibcnt");
    const bool statusReadable =
        (threadIbsta_ && threadIberr_ && threadIbcnt_) || (ibsta_ && iberr_ && ibcnt_);
    if (!ibdev || !ibwrt || !ibrd || !ibtmo || !ibln || !statusReadable) {
        loadError_ = QStringLiteral(
                         "the GPIB library %1 lacks the functions this program uses "
                         "(ibdev, ibwrt, ibrd, ibtmo, ibln, ibsta)")
                         .arg(path);
    }
}

LinuxGpibLibrary::~LinuxGpibLibrary() {
    if (handle_) {
        dlclose(handle_);
    }
}

LinuxGpibLibrary::Status LinuxGpibLibrary::status() const {
    if (threadIbsta_ && threadIberr_ && threadIbcnt_) {
        return {threadIbsta_(), threadIberr_(), threadIbcnt_()};
    }
    if (ibsta_ && iberr_ && ibcnt_) {
        return {*ibsta_, *iberr_, *ibcnt_};
    }
    return {kErr, 0, 0};
}

}  // namespace tarvix::buses
