#include "portfolio/portfolio_pages.h"
