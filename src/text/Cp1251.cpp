// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Cp1251.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace tarvix::text {

namespace {

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle open(const char* to, const char* from) {
    iconv_t handle = iconv_open(to, from);
    return IconvHandle(handle == reinterpret_cast<iconv_t>(-1) ? nullptr : handle);
}

// Converts character by character where the whole text fails, so that one unmappable
// character costs only itself.
QByteArray convert(const IconvHandle& handle, const QByteArray& input, int inputUnit,
                   const QByteArray& replacement) {
    QByteArray output;
    output.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.constData());
    size_t inLeft = static_cast<size_t>(input.size());
    char chunk[256];
    while (inLeft > 0) {
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t result =
            iconv(static_cast<iconv_t>(handle.get()), &in, &inLeft, &out, &outLeft);
        output.append(chunk, static_cast<qsizetype>(sizeof chunk - outLeft));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            const size_t skip = std::min<size_t>(static_cast<size_t>(inputUnit), inLeft);
            in += skip;
            inLeft -= skip;
            output.append(replacement);
        }
    }
    return output;
}

}  // namespace

QByteArray toCp1251(const QString& text) {
    static const IconvHandle handle = open("CP1251", "UTF-16LE");
    if (!handle) {
        return text.toLatin1();
    }
    const QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return convert(handle, utf16, 2, QByteArray("?"));
}

QString fromCp1251(const QByteArray& bytes) {
    static const IconvHandle handle = open("UTF-8", "CP1251");
    if (!handle) {
        return QString::fromLatin1(bytes);
    }
    return QString::fromUtf8(convert(handle, bytes, 1, QByteArray("?")));
}

}  // namespace tarvix::text
