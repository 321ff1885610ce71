#include "market/market_pages.h"
