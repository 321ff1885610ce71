#pragma once

#include <gtest/gtest.h>

#include "marketserver/market_server.h"
#include "platform/inet/service_url.h"
#include "support/test_market.h"

namespace testsupport {

// A fixture whose suite shares one simulated market on loopback: each test finds the program's
// services pointed at it, with no faults set and an empty request log.
template <class Base = ::testing::Test> class SuiteMarketTest : public Base {
protected:
    static void SetUpTestSuite() {
        s_market = StartMarketAt().release();
        ASSERT_NE(s_market, nullptr);
    }
    static void TearDownTestSuite() {
        delete s_market;
        s_market = nullptr;
    }
    void SetUp() override {
        Base::SetUp();
        inet::ResetMarketConfig();
        inet::SetCommandLineMarket(s_market->BaseUrl());
        s_market->ClearFaults();
        s_market->ClearLog();
    }
    void TearDown() override {
        inet::ResetMarketConfig();
        Base::TearDown();
    }

    static inline marketserver::MarketServer* s_market = nullptr;
};

} // namespace testsupport
