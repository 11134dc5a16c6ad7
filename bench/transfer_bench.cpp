// File transfer: get and put of a 16 MiB host file with the largest message size the path allows, through the
// transfers the Get Files and Put Files windows use, against a plain exchange of the same number of frames of the
// same sizes (hex-encoded data, as the transfer sends it). A separate run writes the same file into an archive
// with no line at all, to show whether archive writing is what the get waits for.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "archive/transfer_codec.h"
#include "archive/transfer_get.h"
#include "archive/transfer_put.h"
#include "host_rig.h"
#include "hostlink/host_session.h"
#include "plain_echo.h"
#include "ratio_report.h"

namespace {

using kestra::bench::HostRig;
using kestra::bench::Results;
using kestra::bench::SampleTimer;
namespace archive = kestra::archive;
namespace hostlink = kestra::hostlink;
using nlohmann::json;

constexpr const char* kFileName = "(BENCH)DATA/LARGE ON DISK";
constexpr std::int64_t kRecordSize = 4096;
constexpr std::int64_t kRecords = 4096;  // 16 MiB
constexpr std::uint64_t kFileSize = static_cast<std::uint64_t>(kRecordSize * kRecords);
// Asked for; Tavlink grants at most 8,192 of it, which is then the largest message size there is.
constexpr int kAskedMessageSize = 9999;

std::unique_ptr<HostRig> rig;
std::unique_ptr<kestra::testing::TempDir> files;
std::string fetched_archive;  // the last get's archive, which the put sends back

// Frame sizes of one data exchange (header included) and their count, from the session's real message size.
struct Frames {
    std::size_t get_request = 0, get_reply = 0, put_request = 0, put_reply = 0;
    std::size_t count = 0;  // data exchanges per file, either way
} frames;

std::string archive_path(const char* name) { return files->path() + "/" + name; }

void record(benchmark::State& state, const std::string& name, double cpu0) {
    const double per = (kestra::bench::thread_cpu_seconds() - cpu0) / static_cast<double>(state.iterations());
    Results::get().set(name + ".cpu", per);
    state.counters["cpu_ms"] = per * 1e3;
    state.counters["MiB/s"] = benchmark::Counter(static_cast<double>(kFileSize) / (1024.0 * 1024.0),
                                                 benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Get(benchmark::State& state) {
    SampleTimer timer(state, "get");
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        archive::ArchiveWriter writer;
        std::string error;
        bool ok = writer.create(fetched_archive, error);
        ok = ok && archive::GetFilesTransfer(rig->session(), writer).fetch_file(kFileName) == hostlink::kSuccess;
        ok = ok && writer.save(error);
        timer.stop();
        if (!ok) {
            state.SkipWithError("get failed");
            break;
        }
    }
    record(state, "get", cpu0);
}

void BM_Put(benchmark::State& state) {
    archive::ArchiveReader reader;
    std::string error;
    if (!reader.open(fetched_archive, error) || reader.entries().size() != 1) {
        state.SkipWithError("no archive to put (the get must run first)");
        return;
    }
    SampleTimer timer(state, "put");
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        const std::int16_t rc = archive::PutFilesTransfer(rig->session(), reader).send_entry(0);
        timer.stop();
        if (rc != hostlink::kSuccess) {
            state.SkipWithError("put failed");
            break;
        }
    }
    record(state, "put", cpu0);
}

// The same count of exchanges with frames of the same sizes: a short request and a full reply of hex digits.
void BM_PlainGet(benchmark::State& state) {
    kestra::bench::PlainEchoServer server(frames.get_reply, 1);
    kestra::bench::PlainClient client(server.port());
    if (!client.connected()) {
        state.SkipWithError("connect failed");
        return;
    }
    SampleTimer timer(state, "plain_get");
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        bool ok = true;
        for (std::size_t i = 0; i < frames.count && ok; ++i)
            ok = client.send_frame(frames.get_request) && client.receive_frame();
        timer.stop();
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    record(state, "plain_get", cpu0);
}

// A full request of hex digits and a short reply.
void BM_PlainPut(benchmark::State& state) {
    kestra::bench::PlainEchoServer server(frames.put_reply, 1);
    kestra::bench::PlainClient client(server.port());
    if (!client.connected()) {
        state.SkipWithError("connect failed");
        return;
    }
    SampleTimer timer(state, "plain_put");
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        bool ok = true;
        for (std::size_t i = 0; i < frames.count && ok; ++i)
            ok = client.send_frame(frames.put_request) && client.receive_frame();
        timer.stop();
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    record(state, "plain_put", cpu0);
}

// The least a program must do per frame besides the exchange, written plainly: decode each reply's hex digits
// and write the bytes to a file (get), or read them from a file and encode them (put).
int plain_hex_value(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

void BM_PlainGetDecodeWrite(benchmark::State& state) {
    kestra::bench::PlainEchoServer server(frames.get_reply, 1, '7');
    kestra::bench::PlainClient client(server.port());
    const std::string path = archive_path("plain-get.bin");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!client.connected() || out == nullptr) {
        if (out != nullptr) std::fclose(out);
        state.SkipWithError("connect or file failed");
        return;
    }
    std::vector<unsigned char> bytes(frames.get_reply / 2);
    SampleTimer timer(state, "plain_get_work");
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        std::rewind(out);
        bool ok = true;
        for (std::size_t i = 0; i < frames.count && ok; ++i) {
            ok = client.send_frame(frames.get_request) && client.receive_frame();
            const char* hex = client.received_data() + hostlink::kHeaderLength + 1;
            const std::size_t n = (client.received_length() - hostlink::kHeaderLength - 1) / 2;
            for (std::size_t j = 0; j < n; ++j)
                bytes[j] = static_cast<unsigned char>(plain_hex_value(hex[2 * j]) * 16 + plain_hex_value(hex[2 * j + 1]));
            ok = ok && std::fwrite(bytes.data(), 1, n, out) == n;
        }
        ok = ok && std::fflush(out) == 0;
        timer.stop();
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    std::fclose(out);
    record(state, "plain_get_work", cpu0);
}

void BM_PlainPutReadEncode(benchmark::State& state) {
    kestra::bench::PlainEchoServer server(frames.put_reply, 1);
    kestra::bench::PlainClient client(server.port());
    std::FILE* in = std::fopen(fetched_archive.c_str(), "rb");
    if (!client.connected() || in == nullptr) {
        if (in != nullptr) std::fclose(in);
        state.SkipWithError("connect or file failed (the get must run first)");
        return;
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t chunk = (frames.put_request - hostlink::kHeaderLength - 1) / 2;
    std::vector<unsigned char> bytes(chunk);
    std::string frame(frames.put_request, '0');
    SampleTimer timer(state, "plain_put_work");
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        std::rewind(in);
        bool ok = true;
        for (std::size_t i = 0; i < frames.count && ok; ++i) {
            ok = std::fread(bytes.data(), 1, chunk, in) == chunk;
            char* hex = frame.data() + hostlink::kHeaderLength + 1;
            for (std::size_t j = 0; j < chunk; ++j) {
                hex[2 * j] = kDigits[bytes[j] >> 4];
                hex[2 * j + 1] = kDigits[bytes[j] & 0x0F];
            }
            ok = ok && client.send_data(frame.data(), frame.size()) && client.receive_frame();
        }
        timer.stop();
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    std::fclose(in);
    record(state, "plain_put_work", cpu0);
}

// The get's archive work alone: the same entry written in chunks of the size one reply carries.
void BM_ArchiveWrite(benchmark::State& state) {
    const std::size_t chunk = (std::size_t{rig->session().message_size()} - hostlink::kHeaderLength - 1) / 2;
    std::vector<std::uint8_t> bytes(chunk);
    for (std::size_t i = 0; i < chunk; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    archive::EntryHeader header;
    header.name = kFileName;
    header.attributes.frame_size = 8;
    header.attributes.record_size = static_cast<std::uint32_t>(kRecordSize);
    header.attributes.record_count = static_cast<std::uint32_t>(kRecords);
    const std::string path = archive_path("write-only.kba");
    SampleTimer timer(state, "write");
    const double cpu0 = kestra::bench::thread_cpu_seconds();
    for (auto _ : state) {
        timer.start();
        archive::ArchiveWriter writer;
        std::string error;
        bool ok = writer.create(path, error) && writer.begin_entry(header, "", error);
        for (std::uint64_t done = 0; ok && done < kFileSize; done += chunk) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, kFileSize - done));
            ok = writer.append_data(std::span<const std::uint8_t>(bytes.data(), n), error);
        }
        ok = ok && writer.commit_entry(error) && writer.save(error);
        timer.stop();
        if (!ok) {
            state.SkipWithError("archive write failed");
            break;
        }
    }
    record(state, "write", cpu0);
}

BENCHMARK(BM_PlainGet)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_Get)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_PlainPut)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_Put)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_PlainGetDecodeWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_PlainPutReadEncode)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ArchiveWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

std::string fixture() {
    const json host_file = {
        {"name", kFileName},
        {"attributes", {{"frame_size", 8}, {"record_size", kRecordSize}, {"record_count", kRecords}, {"t1", "LARGE"}}},
        {"contents", {{"generate", {{"size", kFileSize}, {"seed", 13}}}}}};
    const json f = {{"users", json::array({{{"name", "ADMIN"}, {"password", "SECRET"}, {"max_message_size", 9999}}})},
                    {"host_files", json::array({host_file})}};
    return files->write("transfer.json", f.dump());
}

void count_frames() {
    const std::size_t size = rig->session().message_size();
    const std::size_t get_bytes = (size - hostlink::kHeaderLength - 1) / 2;  // what one get reply carries
    const std::size_t put_bytes = archive::put_chunk_size(rig->session().data_limit());
    frames.get_request = hostlink::kHeaderLength + 1;
    frames.get_reply = hostlink::kHeaderLength + 1 + 2 * get_bytes;
    frames.put_request = hostlink::kHeaderLength + 1 + 2 * put_bytes;
    frames.put_reply = hostlink::kHeaderLength + 1;
    // Both ways carry the same bytes per message, so one count serves both; the first request of each is extra.
    frames.count = 1 + static_cast<std::size_t>((kFileSize + get_bytes - 1) / get_bytes);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    files = std::make_unique<kestra::testing::TempDir>();
    fetched_archive = archive_path("fetched.kba");
    rig = std::make_unique<HostRig>();
    HostRig::Options options;
    options.fixture = fixture();
    options.buffer_size = kAskedMessageSize;
    std::string error;
    if (!rig->start(options, error)) {
        std::fprintf(stderr, "transfer_bench: %s\n", error.c_str());
        return 1;
    }
    count_frames();
    std::printf("message size %u (asked %d), %zu exchanges per file: get %zu/%zu, put %zu/%zu data bytes per "
                "request/reply\n",
                static_cast<unsigned>(rig->session().message_size()), kAskedMessageSize, frames.count,
                frames.get_request, frames.get_reply, frames.put_request, frames.put_reply);
    kestra::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    rig.reset();

    const Results& r = Results::get();
    auto ratio = [&](const char* a, const char* b) {
        const double base = r.value(std::string(b) + ".median");
        return base > 0 ? r.value(std::string(a) + ".median") / base : 0;
    };
    kestra::bench::print_ratio("get of 16 MiB / plain exchange of the same frames, medians", ratio("get", "plain_get"),
                               "<=", 1.20);
    kestra::bench::print_ratio("put of 16 MiB / plain exchange of the same frames, medians", ratio("put", "plain_put"),
                               "<=", 1.20);
    kestra::bench::print_ratio("get / plain exchange that also decodes and writes the bytes, medians",
                               ratio("get", "plain_get_work"), "<=", 1.20);
    kestra::bench::print_ratio("put / plain exchange that also reads and encodes the bytes, medians",
                               ratio("put", "plain_put_work"), "<=", 1.20);
    // Archive writing would be the bottleneck if it took the larger part of the get.
    kestra::bench::print_ratio("archive writing alone / get of 16 MiB, medians", ratio("write", "get"), "<=", 0.50);
    std::printf("NOTE 16 MiB: get %.0f ms (plain %.0f ms), put %.0f ms (plain %.0f ms), archive writing %.0f ms; "
                "program CPU get %.0f ms, put %.0f ms\n",
                r.value("get.median") * 1e3, r.value("plain_get.median") * 1e3, r.value("put.median") * 1e3,
                r.value("plain_put.median") * 1e3, r.value("write.median") * 1e3, r.value("get.cpu") * 1e3,
                r.value("put.cpu") * 1e3);
    benchmark::Shutdown();
    files.reset();
    return 0;
}
