#include "marketserver/upstream/cache_store.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "platform/base/paths.h"

namespace upstream {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMagic = "koravel-upstream-cache 1";

std::string Hex(std::uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

bool ReadWhole(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

} // namespace

CacheStore::CacheStore(std::string dir, std::size_t memoryBytes)
    : m_dir(std::move(dir)), m_memoryBytes(memoryBytes) {
    if (m_dir.empty())
        return;
    paths::MakeDirs(m_dir);
    std::error_code ec;
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 14);
    for (fs::directory_iterator it(m_dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool ours = name.size() > 6 && (name.find(".cache.tmp") != std::string::npos ||
                                              name.substr(name.size() - 6) == ".cache");
        std::error_code e2;
        if (ours && it->is_regular_file(e2) &&
            (name.find(".tmp") != std::string::npos || it->last_write_time(e2) < old))
            fs::remove(it->path(), e2);
    }
}

std::string CacheStore::FileOf(const std::string& key) const {
    return m_dir.empty() ? std::string() : paths::Join(m_dir, Hex(Fnv1a(key)) + ".cache");
}

std::string CacheStore::Serialize(const std::string& key, const CacheEntry& e) {
    std::string out = kMagic;
    out += "\nkey " + key;
    out += "\nfetched " + std::to_string(e.fetchedMs);
    out += "\nexpires " + std::to_string(e.expiresMs);
    out += "\nnotfound " + std::string(e.notFound ? "1" : "0");
    out += "\nlength " + std::to_string(e.body.size());
    out += "\nsum " + Hex(Fnv1a(e.body));
    out += "\n\n";
    out += e.body;
    return out;
}

bool CacheStore::Deserialize(const std::string& t, const std::string& key, CacheEntry& out) {
    const std::size_t headEnd = t.find("\n\n");
    if (headEnd == std::string::npos)
        return false;
    std::istringstream head(t.substr(0, headEnd));
    std::string line;
    if (!std::getline(head, line) || line != kMagic)
        return false;
    std::string gotKey, sum;
    long long fetched = -1, expires = -1, length = -1;
    int notFound = -1;
    while (std::getline(head, line)) {
        const std::size_t sp = line.find(' ');
        if (sp == std::string::npos)
            return false;
        const std::string name = line.substr(0, sp), value = line.substr(sp + 1);
        try {
            if (name == "key")
                gotKey = value;
            else if (name == "fetched")
                fetched = std::stoll(value);
            else if (name == "expires")
                expires = std::stoll(value);
            else if (name == "notfound")
                notFound = std::stoi(value);
            else if (name == "length")
                length = std::stoll(value);
            else if (name == "sum")
                sum = value;
        } catch (const std::exception&) {
            return false;
        }
    }
    const std::size_t bodyAt = headEnd + 2;
    if (gotKey != key || fetched < 0 || expires < 0 || (notFound != 0 && notFound != 1) ||
        length < 0 || static_cast<std::size_t>(length) != t.size() - bodyAt)
        return false;
    std::string body = t.substr(bodyAt);
    if (Hex(Fnv1a(body)) != sum)
        return false;
    out.body = std::move(body);
    out.fetchedMs = fetched;
    out.expiresMs = expires;
    out.notFound = notFound == 1;
    return true;
}

std::optional<CacheEntry> CacheStore::Get(const std::string& key) {
    std::lock_guard lock(m_mutex);
    if (auto it = m_entries.find(key); it != m_entries.end()) {
        it->second.lastUse = ++m_uses;
        return it->second.entry;
    }
    const std::string path = FileOf(key);
    std::string text;
    if (path.empty() || !ReadWhole(path, text))
        return std::nullopt;
    CacheEntry e;
    if (!Deserialize(text, key, e)) {
        std::error_code ec;
        fs::remove(path, ec);
        ++m_discarded;
        return std::nullopt;
    }
    m_heldBytes += e.body.size();
    m_entries[key] = Held{e, ++m_uses};
    Trim();
    return e;
}

void CacheStore::Put(const std::string& key, const CacheEntry& entry) {
    {
        std::lock_guard lock(m_mutex);
        auto& held = m_entries[key];
        m_heldBytes -= held.entry.body.size();
        held = Held{entry, ++m_uses};
        m_heldBytes += entry.body.size();
        Trim();
    }
    const std::string path = FileOf(key);
    if (path.empty())
        return;
    // Written beside and renamed over, so a reader never meets half a file.
    const std::string temp = path + ".tmp" + std::to_string(getpid()) + "-" +
                             Hex(Fnv1a(key + std::to_string(entry.fetchedMs)));
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << Serialize(key, entry);
        if (!out.flush()) {
            out.close();
            std::error_code ec;
            fs::remove(temp, ec);
            return;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec)
        fs::remove(temp, ec);
}

void CacheStore::Discard(const std::string& key) {
    std::lock_guard lock(m_mutex);
    if (auto it = m_entries.find(key); it != m_entries.end()) {
        m_heldBytes -= it->second.entry.body.size();
        m_entries.erase(it);
    }
    const std::string path = FileOf(key);
    std::error_code ec;
    if (!path.empty() && fs::remove(path, ec))
        ++m_discarded;
}

int CacheStore::DiscardedFiles() const {
    std::lock_guard lock(m_mutex);
    return m_discarded;
}

void CacheStore::Trim() {
    // Least recently used first out of memory; the files stay.
    while (m_heldBytes > m_memoryBytes && m_entries.size() > 1) {
        auto oldest = m_entries.begin();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            if (it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        m_heldBytes -= oldest->second.entry.body.size();
        m_entries.erase(oldest);
    }
}

} // namespace upstream
