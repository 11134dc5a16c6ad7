// The frame header is the first thing read from the host: any 4 bytes must decode to a length of at most 9999, and
// a stream of frames must be walked without ever reading past what arrived.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tavlink/frame.h"
#include "tavlink/translate_table.h"

namespace tl = kestra::tavlink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte picks the table the host's bytes go through and the receive buffer size.
    const tl::TranslateTables tables = (data[0] & 1) != 0 ? tl::builtin_tables() : tl::identity_tables();
    const std::size_t buffer_size = 1 + (static_cast<std::size_t>(data[0]) * 40u);
    const char* in = reinterpret_cast<const char*>(data + 1);
    std::size_t left = size - 1;

    // Round trip of every length the header can carry that the input names.
    if (left >= 2) {
        const std::size_t n = (static_cast<std::size_t>(data[1]) << 8 | data[2 < size ? 2 : 1]) % 10050u;
        char header[4];
        const bool ok = tl::encode_frame_header(n, tables.pc_to_host, header);
        if (ok != (n <= tl::kMaxFrameLength)) std::abort();
        if (ok) {
            // What the PC sends the host decodes on the host through the inverse table.
            if (tl::decode_frame_header(header, tl::inverse_table(tables.pc_to_host)) != n) std::abort();
        }
    }

    // The receive path: header, bound check against the buffer, data read away when too long.
    std::vector<char> buffer(buffer_size);
    int frames = 0;
    while (left >= tl::kFrameHeaderSize && frames < 10000) {
        const std::size_t n = tl::decode_frame_header(in, tables.host_to_pc);
        if (n > tl::kMaxFrameLength) std::abort();
        char text[5];
        tl::translate_frame_header(in, tables.host_to_pc, text);
        if (text[4] != '\0') std::abort();
        in += tl::kFrameHeaderSize;
        left -= tl::kFrameHeaderSize;
        if (n > left) break;  // the line ends inside the frame
        if (n <= buffer_size) {
            std::memcpy(buffer.data(), in, n);
            tl::translate_in_place(tables.host_to_pc, buffer.data(), n);
        }
        in += n;
        left -= n;
        ++frames;
    }
    return 0;
}
