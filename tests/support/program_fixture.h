#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "app/bar_page.h"
#include "marketserver/market_server.h"
#include "platform/base/clock.h"
#include "platform/inet/service_url.h"
#include "support/data_source_fixture.h"
#include "support/temp_dir.h"
#include "support/test_market.h"

namespace testsupport {

// Where tests of the whole bar start: the program's folder and COM registry in a directory of
// the test's own, the simulated market on loopback, the clock standing on a Monday with the
// market open, and no bar pages registered yet.
class ProgramTest : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        m_env.push_back(std::make_unique<ScopedEnv>("KORAVEL_ROOT", m_dir.path()));
        m_env.push_back(
            std::make_unique<ScopedEnv>("KORAVEL_COM_REGISTRY", m_dir.file("registry.ini")));
        m_market = StartMarketAt();
        ASSERT_NE(m_market, nullptr);
        Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
        ClearBarPages();
    }
    void TearDown() override {
        ClearBarPages();
        Clock::Reset();
        inet::ResetMarketConfig();
    }

    TempDir m_dir;
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
    std::unique_ptr<marketserver::MarketServer> m_market;
};

} // namespace testsupport
