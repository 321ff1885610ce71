#include <cstdlib>
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "bridge/pellar.h"
#include "platform/com/dispatch.h"
#include "support/temp_dir.h"

namespace {

using com::ComPtr;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;

TEST(ComTest, GuidsStringsAndVariants) {
    GUID g;
    ASSERT_TRUE(GuidFromString("{9DEFFD01-6C65-499E-BBCF-24D1B210348A}", g));
    EXPECT_EQ(g, CLSID_clsdll);
    EXPECT_EQ(GuidToString(IID__clsdll), "{130D4ED6-3A03-4746-A2D3-837578F8A1B9}");
    for (const char* bad :
         {"", "9DEFFD01-6C65-499E-BBCF-24D1B210348A", "{9DEFFD01-6C65-499E-BBCF-24D1B210348}",
          "{XDEFFD01-6C65-499E-BBCF-24D1B210348A}"})
        EXPECT_FALSE(GuidFromString(bad, g)) << bad;

    BSTR s = SysAllocStringLen("a\0b", 3);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(BstrToString(s), std::string("a\0b", 3));
    SysFreeString(s);

    com::Variant text(std::string("1234.5")), word(std::string("abc")),
        big(std::string("3000000000"));
    double d = 0;
    std::int32_t l = 0;
    EXPECT_EQ(com::ToDouble(text, d), S_OK);
    EXPECT_EQ(d, 1234.5);
    EXPECT_EQ(com::ToInt32(com::Variant(std::string("2.5")), l), S_OK);
    EXPECT_EQ(l, 2) << "halves round to even";
    EXPECT_EQ(com::ToInt32(word, l), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(com::ToInt32(big, l), DISP_E_OVERFLOW);
    EXPECT_EQ(com::UnixSecondsFromDate(com::DateFromUnixSeconds(1796641200)), 1796641200);
}

TEST(ComTest, RegistrationRoundTripAndCreationByProgId) {
    TempDir dir;
    ScopedEnv registry("KORAVEL_COM_REGISTRY", dir.file("registry.ini"));
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(kPellarProgId, &clsid), CO_E_CLASSSTRING) << "nothing registered";
    _clsdll* bridge = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_clsdll, nullptr, CLSCTX_INPROC_SERVER, IID__clsdll,
                               reinterpret_cast<void**>(&bridge)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(bridge, nullptr);

    // The tool calls the library's own registration.
    ASSERT_EQ(
        std::system((std::string(REGSVR_BIN) + " " + PELLAR_LIBRARY + " > /dev/null").c_str()), 0);
    const std::string ini = ReadFile(dir.file("registry.ini"));
    EXPECT_NE(ini.find("Pellar.clsdll={9DEFFD01-6C65-499E-BBCF-24D1B210348A}"), std::string::npos)
        << ini;
    EXPECT_NE(ini.find("Pellar="), std::string::npos) << "the type library too";
    ASSERT_EQ(CLSIDFromProgID(kPellarProgId, &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_clsdll);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__clsdll,
                               reinterpret_cast<void**>(&bridge)),
              S_OK);
    ComPtr<_clsdll> held(bridge);
    IDispatch* asDispatch = nullptr;
    EXPECT_EQ(bridge->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&asDispatch)), S_OK);
    asDispatch->Release();
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, 0x4 /* out of process */, IID__clsdll,
                               reinterpret_cast<void**>(&bridge)),
              REGDB_E_CLASSNOTREG);

    ASSERT_EQ(
        std::system((std::string(REGSVR_BIN) + " -u " + PELLAR_LIBRARY + " > /dev/null").c_str()),
        0);
    EXPECT_EQ(CLSIDFromProgID(kPellarProgId, &clsid), CO_E_CLASSSTRING);
    EXPECT_NE(std::system((std::string(REGSVR_BIN) + " /no/such/lib.so 2> /dev/null").c_str()), 0);
}

} // namespace
