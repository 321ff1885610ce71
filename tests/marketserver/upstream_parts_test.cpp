// The upstream mode's parts that stand between the services and the cache.
#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "marketserver/upstream/cache_store.h"
#include "marketserver/upstream/host_gate.h"
#include "marketserver/upstream/http_fetch.h"
#include "marketserver/upstream/upstream_options.h"
#include "marketserver/upstream/zip_archive.h"
#include "support/temp_dir.h"
#include "support/upstream_fake.h"

namespace {

using namespace upstream;

TEST(UpstreamPartsTest, CacheFilesReadBackOnlyWholeAndForTheirKey) {
    const CacheEntry e{"{\"chart\":1}\n\nsecond paragraph", 1000, 61000, false};
    const std::string text = CacheStore::Serialize("quote/A.NS", e);
    CacheEntry back;
    ASSERT_TRUE(CacheStore::Deserialize(text, "quote/A.NS", back));
    EXPECT_EQ(back.body, e.body);
    EXPECT_EQ(back.expiresMs, 61000);
    std::string altered = text;
    altered[altered.size() - 3] = 'X';
    const struct {
        const char* name;
        std::string text;
    } bad[] = {
        {"truncated", text.substr(0, text.size() - 1)},
        {"body altered", altered},
        {"another key", CacheStore::Serialize("quote/B.NS", e)},
        {"no body mark", text.substr(0, text.find("\n\n"))},
        {"empty", ""},
        {"another format", "{\"key\":\"quote/A.NS\"}"},
        {"bad number",
         text.substr(0, text.find("fetched ")) + "fetched x" + text.substr(text.find("\nexpires"))},
    };
    for (const auto& b : bad)
        EXPECT_FALSE(CacheStore::Deserialize(b.text, "quote/A.NS", back)) << b.name;

    // Keys become hashed names inside the folder, whatever they hold.
    testsupport::TempDir dir;
    CacheStore store(dir.path());
    for (const char* key : {"quote/../../etc/passwd", "search/a/b", "quote/\n"})
        EXPECT_EQ(store.FileOf(key).rfind(dir.path() + "/", 0), 0u) << key;
    EXPECT_EQ(store.FileOf("quote/../x").find("..", dir.path().size()), std::string::npos);
    store.Put("k", e);
    testsupport::WriteFile(store.FileOf("k"), "garbage");
    CacheStore again(dir.path());
    EXPECT_FALSE(again.Get("k"));
    EXPECT_EQ(again.DiscardedFiles(), 1);

    // Answers untouched for two weeks and half-written files go at the next start; other
    // files in the folder are not the cache's.
    again.Put("old", e);
    again.Put("new", e);
    namespace fs = std::filesystem;
    fs::last_write_time(again.FileOf("old"),
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 15));
    testsupport::WriteFile(again.FileOf("new") + ".tmp42-x", "half");
    testsupport::WriteFile(dir.file("notes.txt"), "mine");
    CacheStore third(dir.path());
    EXPECT_FALSE(fs::exists(third.FileOf("old")));
    EXPECT_TRUE(third.Get("new"));
    EXPECT_FALSE(fs::exists(third.FileOf("new") + ".tmp42-x"));
    EXPECT_TRUE(fs::exists(dir.file("notes.txt")));
}

TEST(UpstreamPartsTest, ZipArchivesAreReadByTheLibrary) {
    const std::string csv = "TradDt,TckrSymb\n2026-03-12,RELIANCE\n";
    const std::string good = testsupport::UpstreamFake::Zip("a.csv", csv);
    std::string out, why;
    ASSERT_TRUE(UnzipSingleFile(good, out, why)) << why;
    EXPECT_EQ(out, csv);
    std::string damaged = good;
    damaged[40] ^= 0x55; // inside the packed data
    const struct {
        const char* name;
        std::string bytes;
    } bad[] = {
        {"empty", ""},
        {"not a zip", "TradDt,TckrSymb\n"},
        {"cut short", good.substr(0, good.size() / 2)},
        {"damaged", damaged},
        {"only the signature", "PK\x03\x04"},
    };
    for (const auto& b : bad)
        EXPECT_FALSE(UnzipSingleFile(b.bytes, out, why)) << b.name;
    EXPECT_FALSE(UnzipSingleFile(good, out, why, 10)) << "larger than allowed";
}

TEST(UpstreamPartsTest, GateKeepsTheBudgetAndBacksOff) {
    std::int64_t now = 1'000'000;
    HostGate gate(
        "yahoo", HostBudget{30, 8, 4, 0}, [&] { return now; }, 7);
    std::int64_t retry = 0;
    int started = 0;
    while (gate.TryStart(retry))
        ++started;
    EXPECT_EQ(started, 4); // in flight at most
    for (int i = 0; i < 4; ++i)
        gate.Finish();
    while (gate.TryStart(retry)) {
        ++started;
        gate.Finish();
    }
    EXPECT_EQ(started, 8);  // the burst
    EXPECT_EQ(retry, 2000); // one token every two seconds
    now += 2000;
    EXPECT_TRUE(gate.TryStart(retry));
    gate.Finish();

    // Refusals: Retry-After when given, else 60 s doubling to 30 min, plus up to a fifth.
    now += 60'000;
    gate.OnRefused(120);
    EXPECT_TRUE(gate.BreakerOpen());
    EXPECT_EQ(gate.BreakerOpenUntilMs(), now + 120'000);
    EXPECT_FALSE(gate.TryStart(retry));
    EXPECT_EQ(retry, 120'000);
    std::int64_t expected = 60'000;
    for (int i = 0; i < 7; ++i) {
        now = gate.BreakerOpenUntilMs();
        gate.OnRefused(-1);
        const std::int64_t wait = gate.BreakerOpenUntilMs() - now;
        const std::int64_t base = std::min<std::int64_t>(expected * 2, 1'800'000);
        EXPECT_GE(wait, base) << i;
        EXPECT_LE(wait, base + base / 5) << i;
        expected = base;
    }
    gate.OnAnswered(); // the doubling starts again
    now = gate.BreakerOpenUntilMs();
    gate.OnRefused(-1);
    EXPECT_LE(gate.BreakerOpenUntilMs() - now, 72'000);
}

TEST(UpstreamPartsTest, OptionsAndHeaders) {
    UpstreamOptions o;
    std::string error;
    ASSERT_TRUE(ParseUpstreamBases("yahoo=http://127.0.0.1:1/,bse=http://127.0.0.1:2", o, error));
    EXPECT_EQ(o.yahooBase, "http://127.0.0.1:1");
    EXPECT_EQ(o.bseBase, "http://127.0.0.1:2");
    EXPECT_EQ(o.nseArchivesBase, "https://nsearchives.nseindia.com");
    EXPECT_FALSE(ParseUpstreamBases("google=http://x", o, error));
    EXPECT_FALSE(ParseUpstreamBases("yahoo=file:///etc", o, error));
    EXPECT_FALSE(ParseUpstreamBases("yahoo", o, error));

    EXPECT_EQ(ParseRetryAfter("120", 0), 120);
    EXPECT_EQ(ParseRetryAfter("Thu, 12 Mar 2026 10:00:30 GMT", 1773309600), 30);
    EXPECT_EQ(ParseRetryAfter("soon", 0), -1);
    EXPECT_EQ(EncodeComponent("^NSEI"), "%5ENSEI");
    EXPECT_EQ(EncodeComponent("M&M.NS", true), "M%26M.NS");
    EXPECT_EQ(EncodeComponent("USDINR=X", true), "USDINR=X");
    EXPECT_EQ(EncodeComponent("a=b"), "a%3Db");
    EXPECT_EQ(EncodeComponent("tata steel"), "tata%20steel");
}

} // namespace
