#pragma once

#include <ostream>

#include "marketserver/upstream/upstream_options.h"

namespace upstream {

// Asks each upstream adapter once (the chart service for an index and a share, the search
// service, the three exchange files of the last days) and reports, per adapter, the
// fields this program reads that the answer lacks. Returns 0 when every adapter answered
// with every field it needs, 1 otherwise. Meant to be run by hand, on a machine that can
// reach the services, to see whether they changed.
int RunUpstreamCheck(const UpstreamOptions& options, std::ostream& out);

} // namespace upstream
