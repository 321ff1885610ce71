#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where each outside service lives, and the one way every service URL is built.
//
// Bases come from, in order: the service's own variable (KORAVEL_QUOTE_URL,
// KORAVEL_CHART_URL, KORAVEL_CHARTDATA_URL, KORAVEL_LOOKUP_URL, KORAVEL_NSE_URL), the
// --market option, KORAVEL_MARKET_URL, and last the simulated market the program
// starts in-process when none of these is set.
namespace inet {

enum class Service { Quote, Chart, ChartData, Lookup, Nse };

const char* ServiceEnvVar(Service s);

void SetCommandLineMarket(std::string baseUrl);
void SetEmbeddedMarket(std::string baseUrl);
// Clears both (tests).
void ResetMarketConfig();

// The base URL for a service ("http://host:port[/prefix]", no trailing slash), or empty
// when nothing configures it and no embedded market runs.
std::string ServiceBase(Service s);
// True when some service has no configured base, so the embedded market is needed.
bool NeedsEmbeddedMarket();

// Percent-encodes what a request line cannot carry or what would change a query's
// meaning: blank, '&', '#', '%', '+', control characters and every non-ASCII byte. All
// else goes out as written, so "^NSEI,USDINR=X" travels unchanged and "M&M" as "M%26M".
std::string EncodeUrlText(std::string_view text);

using QueryParam = std::pair<std::string_view, std::string_view>;

// base + encoded path + "?" + key=value pairs joined by '&' (values encoded).
std::string BuildServiceUrl(Service service, std::string_view path,
                            const std::vector<QueryParam>& query = {});
// The same on an explicit base, for callers that already resolved it.
std::string BuildUrl(std::string_view base, std::string_view path,
                     const std::vector<QueryParam>& query = {});

} // namespace inet
