#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "bridge/pellar.h"
#include "bridge/pellar_rules.h"
#include "chartstore/chart_store.h"
#include "platform/base/clock.h"
#include "platform/com/dispatch.h"
#include "support/temp_dir.h"

namespace {

using com::Bstr;
using com::ComPtr;
using com::Variant;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

HRESULT RegisterLibrary(const char* library, bool unregister = false) {
    void* h = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!h)
        return CO_E_DLLNOTFOUND;
    auto fn = reinterpret_cast<DllRegisterServerFn>(
        ::dlsym(h, unregister ? "DllUnregisterServer" : "DllRegisterServer"));
    return fn ? fn() : CO_E_ERRORINDLL;
}

struct Quote {
    std::int64_t when;
    double open, high, low, close, volume;
};

// Pellar in front of the charting-program stand-in, each test with its own registry and
// data root.
class PellarTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_registry =
            std::make_unique<ScopedEnv>("KORAVEL_COM_REGISTRY", m_dir.file("registry.ini"));
        m_root = std::make_unique<ScopedEnv>("KORAVEL_ROOT", m_dir.path());
        ASSERT_EQ(RegisterLibrary(PELLAR_LIBRARY), S_OK);
        ASSERT_EQ(RegisterLibrary(CHARTSTORE_LIBRARY), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_clsdll, nullptr, CLSCTX_INPROC_SERVER, IID__clsdll,
                                   m_bridge.PutVoid()),
                  S_OK);
        ASSERT_EQ(com::CreateByProgId("Broker.Application", IID_IDispatch, m_app.PutVoid()), S_OK);
    }

    HRESULT Call(HRESULT (_clsdll::*method)(BSTR*, VARIANT*), const std::string& text) {
        Bstr arg(text);
        Variant result;
        const HRESULT hr = (m_bridge.Get()->*method)(arg.Address(), &result);
        EXPECT_EQ(result.vt, VT_EMPTY);
        EXPECT_EQ(arg.Text(), text) << "texts come back unchanged";
        return hr;
    }
    HRESULT AddStocks(const std::string& list) { return Call(&_clsdll::fnAddStocks, list); }
    HRESULT AddQuotations(const std::string& text) { return Call(&_clsdll::fnAddQuotations, text); }
    HRESULT Backfill(const std::string& name, const std::string& text) {
        Bstr n(name), t(text);
        Variant result;
        return m_bridge->fnAddQuotationsforBackFill(n.Address(), t.Address(), &result);
    }

    std::vector<std::string> Tickers() {
        ComPtr<IDispatch> stocks;
        EXPECT_EQ(com::GetObject(m_app.Get(), "Stocks", stocks), S_OK);
        Variant count;
        com::GetProperty(stocks.Get(), "Count", &count);
        std::vector<std::string> out;
        for (std::int32_t i = 0; i < count.lVal; ++i) {
            Variant item, ticker;
            com::GetItem(stocks.Get(), {Variant(i)}, &item);
            com::GetProperty(item.pdispVal, "Ticker", &ticker);
            out.push_back(BstrToString(ticker.bstrVal));
        }
        return out;
    }
    std::vector<Quote> Quotes(int stockIndex) {
        ComPtr<IDispatch> stocks;
        com::GetObject(m_app.Get(), "Stocks", stocks);
        Variant stock;
        com::GetItem(stocks.Get(), {Variant(stockIndex)}, &stock);
        ComPtr<IDispatch> quotations;
        com::GetObject(stock.pdispVal, "Quotations", quotations);
        Variant count;
        com::GetProperty(quotations.Get(), "Count", &count);
        std::vector<Quote> out;
        for (std::int32_t i = 0; i < count.lVal; ++i) {
            Variant q;
            com::GetItem(quotations.Get(), {Variant(i)}, &q);
            Quote r{};
            Variant v;
            com::GetProperty(q.pdispVal, "Date", &v);
            r.when = com::UnixSecondsFromDate(v.date);
            for (auto [name, field] : {std::pair{"Open", &r.open},
                                       {"High", &r.high},
                                       {"Low", &r.low},
                                       {"Close", &r.close},
                                       {"Volume", &r.volume}}) {
                com::GetProperty(q.pdispVal, name, &v);
                *field = v.dblVal;
            }
            out.push_back(r);
        }
        return out;
    }
    int Refreshes() {
        Variant n;
        com::GetProperty(m_app.Get(), "RefreshCount", &n);
        return n.lVal;
    }

    TempDir m_dir;
    std::unique_ptr<ScopedEnv> m_registry, m_root;
    ComPtr<_clsdll> m_bridge;
    ComPtr<IDispatch> m_app;
};

TEST_F(PellarTest, StocksAreAddedOnceAndMatchedWithTheirNseEnding) {
    Variant r;
    ASSERT_EQ(m_bridge->fnInitialize(&r), S_OK);
    EXPECT_EQ(AddStocks("A,B,A,"), S_OK);
    EXPECT_EQ(Tickers(), (std::vector<std::string>{"A", "B"}));
    com::Variant added;
    ComPtr<IDispatch> stocks;
    com::GetObject(m_app.Get(), "Stocks", stocks);
    com::CallMethod(stocks.Get(), "Add", {Variant(std::string("TCS.NS"))}, &added);
    EXPECT_EQ(AddStocks("tcs,NIFTY,SENSEX,"), S_OK) << "TCS matches TCS.NS in any case";
    EXPECT_EQ(Tickers(), (std::vector<std::string>{"A", "B", "TCS.NS", "NIFTY", "SENSEX"}));
    EXPECT_EQ(ReadFile(m_dir.file("ChartStore/Stocks.txt")), "A\nB\nTCS.NS\nNIFTY\nSENSEX\n");

    EXPECT_EQ(m_bridge->fnDeleteAllStocks(&r), S_OK);
    EXPECT_TRUE(Tickers().empty());
    const int refreshes = Refreshes();
    EXPECT_EQ(m_bridge->fnDeleteAllStocks(&r), S_OK) << "an empty collection only refreshes";
    EXPECT_EQ(Refreshes(), refreshes + 1);
}

TEST_F(PellarTest, LiveRecordsMakeOneBarEachForKnownStocks) {
    ASSERT_EQ(AddStocks("X,Y,"), S_OK);
    const int refreshes = Refreshes();
    EXPECT_EQ(AddQuotations("*NOSUCH,1,2,3*X,101.5,100,2500*Y,100,100,5"), S_OK);
    EXPECT_EQ(Refreshes(), refreshes + 1) << "one refresh after the last record";
    const auto x = Quotes(0), y = Quotes(1);
    ASSERT_EQ(x.size(), 1u);
    EXPECT_EQ(x[0].open, 101.5);
    EXPECT_EQ(x[0].close, 100);
    EXPECT_EQ(x[0].high, 101.5);
    EXPECT_EQ(x[0].low, 100);
    EXPECT_EQ(x[0].volume, 2500);
    ASSERT_EQ(y.size(), 1u);
    EXPECT_EQ(y[0].high, 100);
    EXPECT_EQ(y[0].low, 100);
    EXPECT_NEAR(static_cast<double>(x[0].when),
                static_cast<double>(com::UnixSecondsFromDate(pellar::LocalNow())), 5)
        << "dated now, local time";

    // The program's clock is the bridge's: a program started at a given moment stamps its
    // live bars with that moment's time, not the machine's.
    ScopedFixedClock pinned(MakeLocalTime(2026, 12, 7, 11, 0, 15));
    EXPECT_EQ(AddQuotations("X,100,101,10"), S_OK);
    const auto stamped = Quotes(0);
    ASSERT_EQ(stamped.size(), 2u); // in time order: the pinned moment is the earlier one
    EXPECT_EQ(stamped[0].when, DaysFromCivil(2026, 12, 7) * 86400 + 11 * 3600 + 15);

    EXPECT_EQ(AddQuotations("X,1"), CTL_E_SUBSCRIPT) << "a record cut short is the call's error";
}

TEST_F(PellarTest, BackfillMovesUtcStampsToIndianTime) {
    ASSERT_EQ(AddStocks("NIFTY,"), S_OK);
    const int refreshes = Refreshes();
    EXPECT_EQ(Backfill("NIFTY", "0,2,3,1,1.5,10*60,2.5,3,2,2,0*"), S_OK);
    EXPECT_EQ(Refreshes(), refreshes + 2) << "a refresh per record";
    const auto bars = Quotes(0);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_EQ(bars[0].when, 19800) << "1970-01-01 05:30:00";
    EXPECT_EQ(bars[0].open, 1.5);
    EXPECT_EQ(bars[0].close, 2);
    EXPECT_EQ(bars[0].high, 3);
    EXPECT_EQ(bars[0].low, 1);
    EXPECT_EQ(bars[0].volume, 10);
    EXPECT_EQ(ReadFile(m_dir.file("ChartStore/NIFTY.txt")),
              "NIFTY,19700101,05:30:00,1.50,3.00,1.00,2.00,10\nNIFTY,19700101,05:31:00,2.00,3.00,2."
              "00,2.50,0\n");

    // The same bars again replace themselves.
    EXPECT_EQ(Backfill("NIFTY", "0,2,3,1,1.5,10*"), S_OK);
    EXPECT_EQ(Quotes(0).size(), 2u);

    const int before = Refreshes();
    EXPECT_EQ(Backfill("SENSEX", "0,1,1,1,1,1*60,1,1,1,1,1*"), S_OK) << "not held: nothing added";
    EXPECT_EQ(Refreshes(), before + 2);
    EXPECT_EQ(Tickers(), std::vector<std::string>{"NIFTY"});

    EXPECT_EQ(Backfill("NIFTY", "abc,1,1,1,1,1"), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Backfill("NIFTY", "2147463847,1,1,1,1,1"), S_OK);
    EXPECT_EQ(Backfill("NIFTY", "2147463848,1,1,1,1,1"), DISP_E_OVERFLOW);
    EXPECT_EQ(Backfill("NIFTY", "60,1,1"), CTL_E_SUBSCRIPT);
}

TEST_F(PellarTest, ParseCsvByVtableAndByName) {
    struct Case {
        const char* line;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"  a, b ,c,", {"a", "b ", "c"}},
        {"\"x\",y,", {"x", "y"}},
        {"   ", {}},
        {"A,B", {"A", ""}}, // a last field that no comma follows comes out empty
    };
    for (const auto& c : cases) {
        Bstr line(c.line);
        Variant result;
        ASSERT_EQ(m_bridge->parseCsv(line.Address(), &result), S_OK) << c.line;
        ASSERT_EQ(result.vt, VT_ARRAY | VT_BSTR);
        std::vector<std::string> got;
        for (BSTR s : result.parray->items)
            got.push_back(BstrToString(s));
        EXPECT_EQ(got, c.fields) << c.line;
    }
    std::vector<std::string> fields;
    EXPECT_EQ(pellar::ParseCsv(std::string(32767, ','), fields), S_OK);
    // A long line costs time in proportion to its length (a megabyte of fields parses at
    // once; a copy of the rest per field would take minutes).
    std::string longLine;
    for (int i = 0; i < 32767; ++i)
        longLine += "field" + std::to_string(i) + "                   ,";
    EXPECT_EQ(pellar::ParseCsv(longLine, fields), S_OK);
    ASSERT_EQ(fields.size(), 32767u);
    EXPECT_EQ(fields.back(), "field32766                   ");
    EXPECT_EQ(pellar::ParseCsv(std::string(32768, ','), fields), DISP_E_OVERFLOW);
    EXPECT_EQ(pellar::ParseCsv("\"never closed,", fields), CTL_E_ILLEGALFUNCTIONCALL);

    // The same methods through late binding, with their dispatch numbers.
    IDispatch* d = m_bridge.Get();
    const char* name[] = {"fnAddStocks"};
    DISPID id = 0;
    ASSERT_EQ(d->GetIDsOfNames(IID_NULL, name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 0x60030002);
    EXPECT_EQ(com::CallMethod(d, "fnAddStocks", {Variant(std::string("Q,"))}, nullptr), S_OK);
    EXPECT_EQ(Tickers(), std::vector<std::string>{"Q"});
    Variant parsed;
    EXPECT_EQ(com::CallMethod(d, "parseCsv", {Variant(std::string("p,q,"))}, &parsed), S_OK);
    EXPECT_EQ(parsed.parray->items.size(), 2u);
    EXPECT_EQ(com::CallMethod(d, "fnNoSuchThing", {}, nullptr), DISP_E_UNKNOWNNAME);
}

TEST_F(PellarTest, WithoutTheChartingProgramEveryOpeningCallFails) {
    Variant r;
    ComPtr<_clsdll> fresh;
    ASSERT_EQ(
        CoCreateInstance(CLSID_clsdll, nullptr, CLSCTX_INPROC_SERVER, IID__clsdll, fresh.PutVoid()),
        S_OK);
    EXPECT_NE(fresh->fnDeleteAllStocks(&r), S_OK) << "no opening call on this instance yet";
    ASSERT_EQ(RegisterLibrary(CHARTSTORE_LIBRARY, true), S_OK);
    EXPECT_TRUE(FAILED(fresh->fnInitialize(&r)));
    EXPECT_TRUE(FAILED(AddStocks("A,")));
    EXPECT_TRUE(FAILED(AddQuotations("A,1,2,3")));
    EXPECT_TRUE(FAILED(Backfill("A", "0,1,1,1,1,1")));
}

TEST_F(PellarTest, InstancesOnSeveralThreadsShareOneStore) {
    ASSERT_EQ(AddStocks("T0,T1,T2,T3,"), S_OK);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            ComPtr<_clsdll> own;
            ASSERT_EQ(CoCreateInstance(CLSID_clsdll, nullptr, CLSCTX_INPROC_SERVER, IID__clsdll,
                                       own.PutVoid()),
                      S_OK);
            std::string text;
            for (int i = 0; i < 50; ++i)
                text += std::to_string(i * 60) + ",1,1,1,1,1*";
            Bstr name("T" + std::to_string(t)), data(text);
            Variant r;
            EXPECT_EQ(own->fnAddQuotationsforBackFill(name.Address(), data.Address(), &r), S_OK);
        });
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(Quotes(t).size(), 50u);
}

TEST_F(PellarTest, NamesThatAreNoSymbolsNeverReachTheStore) {
    // A list without its closing comma ends in an empty field: no empty stock for it.
    EXPECT_EQ(AddStocks("A,B"), S_OK);
    EXPECT_EQ(Tickers(), std::vector<std::string>{"A"});
    // Names that would leave the store's folder, or overwrite its list, are refused.
    for (const char* list : {"../../X,", "Stocks,", "stocks,", "A/B,", ".hidden,"})
        EXPECT_EQ(AddStocks(list), E_INVALIDARG) << list;
    ComPtr<IDispatch> stocks;
    ASSERT_EQ(com::GetObject(m_app.Get(), "Stocks", stocks), S_OK);
    EXPECT_EQ(com::CallMethod(stocks.Get(), "Add", {Variant(std::string(""))}, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(Tickers(), std::vector<std::string>{"A"});
    EXPECT_EQ(ReadFile(m_dir.file("ChartStore/Stocks.txt")), "A\n");
}

TEST(ChartStoreTest, AHandEditedListNeverNamesAFileOutsideTheStore) {
    TempDir dir;
    const std::string victim = dir.file("victim.txt");
    std::filesystem::create_directories(dir.file("store"));
    {
        std::ofstream(victim) << "keep me\n";
        std::ofstream(dir.file("store/Stocks.txt")) << "../victim\nGOOD\n\nGOOD\nStocks\n";
    }
    chartstore::Store store(dir.file("store"));
    EXPECT_EQ(store.Count(), 1) << "only the valid, distinct tickers";
    EXPECT_EQ(store.TickerAt(0), "GOOD");
    EXPECT_TRUE(store.RemoveAt(0));
    EXPECT_TRUE(store.Flush());
    EXPECT_EQ(ReadFile(victim), "keep me\n");
    EXPECT_EQ(store.Add("../victim"), "");
    EXPECT_EQ(store.Add(""), "");
}

TEST(ChartStoreTest, BarsInTimeOrderAreAppendedAndTheFileIsAlwaysTheWholeHistory) {
    TempDir dir;
    const std::string file = dir.file("store/X.txt");
    auto expected = [](std::initializer_list<std::pair<std::int64_t, double>> bars) {
        std::string text;
        for (const auto& [when, close] : bars)
            text += chartstore::Store::FormatBar("X", when, {close, close, close, close, 1}) + "\n";
        return text;
    };
    chartstore::Bar bar{1, 1, 1, 1, 1};
    {
        chartstore::Store store(dir.file("store"));
        ASSERT_EQ(store.Add("X"), "X");
        for (std::int64_t t : {60, 120}) {
            ASSERT_TRUE(store.Touch("X", t));
            ASSERT_TRUE(store.Set("X", t, bar));
            ASSERT_TRUE(store.Flush());
        }
        EXPECT_EQ(ReadFile(file), expected({{60, 1}, {120, 1}}));
        // A bar before the last one written (a back-fill of an earlier day) and a changed
        // bar: the file is rewritten in time order.
        ASSERT_TRUE(store.Touch("X", 30));
        ASSERT_TRUE(store.Set("X", 30, bar));
        ASSERT_TRUE(store.Set("X", 120, {2, 2, 2, 2, 1}));
        ASSERT_TRUE(store.Flush());
        EXPECT_EQ(ReadFile(file), expected({{30, 1}, {60, 1}, {120, 2}}));
    }
    // A new store reads the file back and goes on appending after it.
    chartstore::Store again(dir.file("store"));
    ASSERT_EQ(again.Count(), 1);
    ASSERT_TRUE(again.Touch("X", 180));
    ASSERT_TRUE(again.Set("X", 180, bar));
    ASSERT_TRUE(again.Flush());
    EXPECT_EQ(ReadFile(file), expected({{30, 1}, {60, 1}, {120, 2}, {180, 1}}));
}

TEST(ComponentLibraryTest, ExportOnlyTheirEntryPoints) {
    for (const char* library : {PELLAR_LIBRARY, CHARTSTORE_LIBRARY}) {
        const std::string command =
            std::string("nm -D --defined-only --format=posix ") + library + " 2>/dev/null";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
        ASSERT_TRUE(pipe);
        std::set<std::string> names;
        char line[4096];
        while (std::fgets(line, sizeof line, pipe.get()))
            names.insert(std::string(line).substr(0, std::string(line).find(' ')));
        EXPECT_EQ(names, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                                "DllRegisterServer", "DllUnregisterServer"}))
            << library;
    }
}

} // namespace
