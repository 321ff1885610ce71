// The comma lists: the program's own CSV records, the bridge's list rule, and the plain
// splits both lean on.
#include <cstdint>
#include <string>
#include <vector>

#include "bridge/pellar_rules.h"
#include "fuzz_check.h"
#include "platform/base/text.h"

namespace {

std::string QuotedRecord(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        out += '"' + text::ReplaceAll(fields[i], "\"", "\"\"") + '"';
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string input(fuzz::AsText(data, size));
    for (const std::string& line : text::SplitLines(input)) {
        // Whatever a record holds, written back with every field quoted it reads the same.
        const std::vector<std::string> fields = text::ParseCsvRecord(line);
        FUZZ_CHECK(!fields.empty());
        FUZZ_CHECK(text::ParseCsvRecord(QuotedRecord(fields)) == fields);

        // The bridge's lists: a failure is an answer, never a crash.
        std::vector<std::string> list;
        const HRESULT hr = pellar::ParseCsv(line, list);
        FUZZ_CHECK(hr == S_OK || hr == DISP_E_OVERFLOW || hr == CTL_E_ILLEGALFUNCTIONCALL);
        if (hr == S_OK)
            FUZZ_CHECK(list.size() <= 32767);
        for (const std::string& field : list) {
            pellar::Val(field);
            std::int32_t n = 0;
            pellar::CLng(field, n);
            DATE when = 0;
            pellar::BackfillDate(field, when);
        }
    }
    // Split and Join are each other's inverse.
    for (char separator : {',', '*'})
        FUZZ_CHECK(text::Join(text::Split(input, separator), std::string(1, separator)) == input);
    return 0;
}
