#pragma once

#include <memory>
#include <string>

#include "support/fake_bar.h"
#include "support/test_market.h"

using testsupport::StartMarketAt;
