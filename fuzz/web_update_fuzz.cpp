// The event service's answer as the web update reads it, from a local server
// thread: the first byte picks the status, the rest is the answer's body.
// Contracts: a failed update leaves the catalogue exactly as it was; a
// successful one keeps the records before the cut-off, stays in time order
// and keeps the old file under ".hyt"; no temporary catalogue is left.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "fuzz/fuzz_clock.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/local_server.h"
#include "net/web_update.h"
#include "platform/net/http.h"

namespace {

constexpr const char* kCatalogue = "TEST.HY4";

std::vector<QuakeRecord> OldRecords() {
    std::vector<QuakeRecord> qs;
    for (int day : {1, 5, 15})
        qs.push_back(MakeEventRecord(nullptr, 2014, 8, day, 6, 0, 0.0, 38.5, 142.25, 10.0, 5.0));
    for (int day : {1, 9, 15})
        qs.push_back(MakeEventRecord(nullptr, 2014, 9, day, 12, 30, 0.0, -20.0, -70.0, 30.0, 6.1));
    return qs;
}

std::vector<QuakeRecord> Read(const std::string& name) {
    std::vector<QuakeRecord> qs;
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return qs;
    unsigned char b[kQuakeRecordSize];
    while (std::fread(b, 1, sizeof b, f) == sizeof b) qs.push_back(DecodeQuakeRecord(b));
    std::fclose(f);
    return qs;
}

// The update's progress goes nowhere, without waits.
struct Unshown : WebUpdateProgress {
    void Message(const std::string&) override {}
    void RepeatView() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::LocalServer server;
    fuzz::Taker take(data, size);
    const int status = (take.Byte() & 7) == 7 ? 404 : 200;
    const std::string body(take.Rest());

    fuzz::EnterCleanFolder();
    fuzz::ResetClock().SetUtc({2014, 9, 20, 0, 0, 0, 0});
    platform::net::OverrideHttpSettingsForTesting(&fuzz::LocalHttpSettings());
    ResetConfigValues();
    ResetViewSettings();
    gUpdateDays = 10;
    gUpdateFiles.Flush();
    gUpdateFiles.Add(UpdateFileRecord(kCatalogue));
    gEventFileName = kCatalogue;
    const std::vector<QuakeRecord> old = OldRecords();
    {
        std::FILE* f = std::fopen(kCatalogue, "wb");
        for (const QuakeRecord& q : old) FUZZ_CHECK(WriteQuakeRecord(f, q), "the catalogue is written");
        std::fclose(f);
    }
    const std::string oldBytes = fuzz::ReadFile(kCatalogue);
    gEventServiceAddress = "http://127.0.0.1:" + std::to_string(server.port()) + "/";

    const std::string answer = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Not Found") +
                               "\r\nContent-Type: text/csv\r\nConnection: close\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n" + body;
    std::thread peer = server.ServeOnce("\r\n\r\n", {answer});
    Unshown progress;
    const int result = UpdateFromWebService(true, progress);
    peer.join();
    CloseQuakeCatalogue();

    FUZZ_CHECK(!fuzz::Exists(kTempCatalogue), "no temporary catalogue is left");
    if (result != 0) {
        FUZZ_CHECK(fuzz::ReadFile(kCatalogue) == oldBytes, "a failed update left the catalogue as it was");
    } else {
        FUZZ_CHECK(fuzz::ReadFile(BackupCatalogueName(kCatalogue)) == oldBytes, "the old catalogue is the .hyt");
        const std::vector<QuakeRecord> now = Read(kCatalogue);
        // Everything before the cut-off (ten days before the last record) stays.
        for (std::size_t i = 0; i < 4; ++i)
            FUZZ_CHECK(i < now.size() && std::memcmp(&now[i], &old[i], sizeof old[i]) == 0, "kept record " + std::to_string(i));
        std::FILE* f = std::fopen(kCatalogue, "rb");
        TimeValue before;
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(now.size()); ++i) {
            const TimeValue t = ReadQuakeAt(f, i);
            FUZZ_CHECK(!(t < before), "in time order at record " + std::to_string(i));
            before = t;
        }
        std::fclose(f);
    }
    platform::net::OverrideHttpSettingsForTesting(nullptr);
    gEventServiceAddress = kDefaultEventServiceAddress;
    ResetViewSettings();
    ResetConfigValues();
    return 0;
}
