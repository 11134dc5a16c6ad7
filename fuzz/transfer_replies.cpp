// Replies to the file transfer: the attributes of request 57 (or 49 after an older host's refusal) and the data
// messages after them, fetched into a scratch archive. Whatever the host sends, the archive read back afterwards
// must hold exactly the files the transfer reports as fetched, each whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/transfer_get.h"
#include "fuzz_temp_file.h"
#include "reply_session.h"

namespace ar = kestra::archive;
using kestra::fuzz::ReplySession;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t op = 0;
    std::uint8_t size_byte = 0;
    std::string_view replies;
    if (!ReplySession::split(data, size, op, size_byte, replies)) return 0;
    const std::uint8_t blank = 0;
    const std::string path = kestra::fuzz::write_temp_file(&blank, 0);
    if (path.empty()) return 0;

    std::size_t fetched = 0;
    {
        ReplySession s(replies, size_byte);
        ar::ArchiveWriter writer;
        std::string error;
        if (!writer.create(path, error)) return 0;
        ar::GetFilesTransfer transfer(s.session, writer);
        // One file, or two in a row so a failure after a whole file is seen to keep that file.
        if (transfer.fetch_file("(ADMIN)DATA/ONE ON PACK") == 0 && op % 2 == 1)
            (void)transfer.fetch_file("(ADMIN)DATA/TWO ON PACK");
        fetched = transfer.fetched();
        if (!writer.save(error)) return 0;
    }

    ar::ArchiveReader reader;
    std::string error;
    if (!reader.open(path, error)) std::abort();
    if (reader.entries().size() != fetched) std::abort();
    for (const auto& entry : reader.entries()) {
        if (!entry.readable) std::abort();
        const auto expected = entry.header.attributes.file_size();
        if (!expected || entry.size != *expected) std::abort();
    }
    return 0;
}
