// Fuzzes what a server controls in a reply: the envelope parser and the
// gzip/zlib inflater with the pair swap of scrambled replies.
//
// Build and run (a separate build folder, clang):
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
//         -DCMAKE_CXX_COMPILER=clang++ -DQUILLMERE_FUZZ=ON
//   cmake --build build-fuzz --target fuzz_reply
//   mkdir -p build-fuzz/corpus && build-fuzz/tests/fuzz/fuzz_reply -max_total_time=300 \
//         -rss_limit_mb=2048 -max_len=65536 -detect_leaks=0 build-fuzz/corpus
//
// -detect_leaks=0: Qt 5.15's JSON parser itself leaks a few bytes when an object
// repeats a key whose value is an object or array (reproduced with a bare
// QJsonDocument::fromJson); that is not ours to fix here.
//
// The first input byte picks the path, the rest is the reply body.

#include "api/apiresult.h"
#include "api/gzipcodec.h"

#include <QJsonDocument>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkResult(const ApiResult &result)
{
    // A failure has code -1 and no data; a parsed envelope always has data
    // that is itself an object in JSON.
    if (result.code == -1 && result.data.isEmpty())
        return;
    check(QJsonDocument::fromJson(result.data.toUtf8()).isObject());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);
    if (size == 0)
        return 0;

    const uint8_t mode = data[0];
    const QByteArray body(reinterpret_cast<const char *>(data + 1), int(size - 1));

    switch (mode % 4) {
    case 0: // a plain reply
        checkResult(ApiResult::fromReplyBody(body));
        break;
    case 1: { // a scrambled reply, as the transport decodes it
        QByteArray decoded = uncompressGzip(body);
        swapEach2Bytes(decoded);
        checkResult(ApiResult::fromReplyBody(decoded));
        break;
    }
    case 2: { // the output cap holds for any stream
        const qint64 cap = 1 + (mode >> 2) * 4096;
        check(uncompressGzip(body, cap).size() <= cap);
        break;
    }
    case 3: { // what we send, we can read back
        QByteArray swapped = body;
        swapEach2Bytes(swapped);
        check(uncompressGzip(compressGzip(swapped)) == swapped);
        swapEach2Bytes(swapped);
        check(swapped == body);
        break;
    }
    }
    return 0;
}
