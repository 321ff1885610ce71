#include "marketserver/upstream/zip_archive.h"

#include <memory>
#include <zip.h>

#include "platform/base/text.h"

namespace upstream {

namespace {

struct ArchiveCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
struct SourceFreer {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};

std::string ErrorText(zip_error_t* error) {
    const std::string t = zip_error_strerror(error);
    zip_error_fini(error);
    return t;
}

} // namespace

bool LooksLikeZip(const std::string& bytes) {
    return bytes.size() >= 4 && bytes.compare(0, 4, "PK\x03\x04") == 0;
}

bool UnzipSingleFile(const std::string& archive, std::string& content, std::string& why,
                     std::size_t maxBytes) {
    if (archive.empty()) {
        why = "empty archive";
        return false;
    }
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFreer> source(
        zip_source_buffer_create(archive.data(), archive.size(), 0, &error));
    if (!source) {
        why = ErrorText(&error);
        return false;
    }
    std::unique_ptr<zip_t, ArchiveCloser> zip(
        zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip) {
        why = "not a readable zip archive: " + ErrorText(&error);
        return false;
    }
    source.release(); // the archive owns its source now
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    zip_int64_t pick = -1;
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(zip.get(), static_cast<zip_uint64_t>(i), 0);
        if (!name || text::EndsWith(name, "/"))
            continue;
        if (pick < 0 || text::EndsWith(text::ToLowerAscii(name), ".csv"))
            pick = i;
        if (text::EndsWith(text::ToLowerAscii(name), ".csv"))
            break;
    }
    if (pick < 0) {
        why = "the archive holds no file";
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip.get(), static_cast<zip_uint64_t>(pick), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE)) {
        why = "the archive's directory is unreadable";
        return false;
    }
    if (st.size > maxBytes) {
        why = "the file in the archive is too large";
        return false;
    }
    std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index(zip.get(), static_cast<zip_uint64_t>(pick), 0));
    if (!file) {
        why = std::string("cannot open the file in the archive: ") + zip_strerror(zip.get());
        return false;
    }
    std::string out(static_cast<std::size_t>(st.size), '\0');
    std::size_t got = 0;
    while (got < out.size()) {
        const zip_int64_t n = zip_fread(file.get(), out.data() + got, out.size() - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    // One byte more would mean the directory lied about the size.
    char extra = 0;
    if (got != out.size() || zip_fread(file.get(), &extra, 1) != 0) {
        why = "the file in the archive is damaged";
        return false;
    }
    content = std::move(out);
    return true;
}

} // namespace upstream
