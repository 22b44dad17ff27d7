// Opens arbitrary bytes as a report and fetches every page, in order and then backwards, so that
// both link walks meet damaged chains.
#include "graphics/metafile.h"
#include "pagestore/qr_page_list.h"
#include "pagestore/qr_stream.h"
#include "platform/errors.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 24))
        return 0;
    TQRPageList list;
    auto stream = std::make_unique<TQRStream>(INT32_MAX);
    stream->WriteBuffer(data, int32_t(size));
    list.SetSpoolStream(std::move(stream));
    try {
        list.LoadHeader();
    } catch (const Exception&) {
        return 0;
    }
    const int32_t pages = std::min<int32_t>(list.PageTotal(), 64);
    for (int32_t n = 1; n <= pages; ++n) {
        try {
            list.FetchPage(n);
        } catch (const Exception&) {
        }
    }
    for (int32_t n = pages; n >= 1; --n) {
        try {
            list.FetchPage(n);
        } catch (const Exception&) {
        }
    }
    try {
        list.CheckRecords();
    } catch (const Exception&) {
    }
    return 0;
}
