#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/base/arith.h"

namespace upstream {

// One upstream answer as it was received.
struct CacheEntry {
    std::string body;           // the answer's text (JSON, CSV)
    std::int64_t fetchedMs = 0; // when it arrived (wall clock)
    std::int64_t expiresMs = 0; // fresh until then
    bool notFound = false;      // the upstream said it does not exist
};

// Upstream answers by key, in memory and in a folder on disk, so a restart is not a cold
// start. A file's name is a hash of its key: nothing that arrives from outside ever
// becomes part of a path. A file that does not read back whole and unchanged (a crash
// during a write, a disk fault, someone's editor) is deleted, not trusted.
class CacheStore final {
public:
    // An empty folder keeps the answers in memory only. Files not written for two weeks
    // (nothing reads answers that old: the exchanges' files are looked for a week back)
    // and leftovers of interrupted writes are deleted.
    explicit CacheStore(std::string dir, std::size_t memoryBytes = 64u << 20);

    std::optional<CacheEntry> Get(const std::string& key);
    void Put(const std::string& key, const CacheEntry& entry);
    // Forgets an entry whose body turned out unreadable, on disk too.
    void Discard(const std::string& key);

    // The file that holds a key (empty without a folder).
    std::string FileOf(const std::string& key) const;
    const std::string& Dir() const { return m_dir; }
    // Files whose checks failed and were deleted since the start.
    int DiscardedFiles() const;

    // The file's text for an entry, and the entry back from such a text (false when the
    // text is not whole or not for this key).
    static std::string Serialize(const std::string& key, const CacheEntry& entry);
    static bool Deserialize(const std::string& fileText, const std::string& key, CacheEntry& out);

private:
    struct Held {
        CacheEntry entry;
        std::uint64_t lastUse = 0;
    };
    void Trim();

    std::string m_dir;
    std::size_t m_memoryBytes;
    mutable std::mutex m_mutex;
    std::map<std::string, Held> m_entries;
    std::size_t m_heldBytes = 0;
    std::uint64_t m_uses = 0;
    int m_discarded = 0;
};

using arith::Fnv1a;

} // namespace upstream
