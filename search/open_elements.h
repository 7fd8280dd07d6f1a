// The tag names and open elements of a raw page as the nesting count of
// nesting_depth.h sees them. Every answer takes constant time, and every
// element is pushed and popped at most once, so the count stays linear in
// the size of the page.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sorvik {
namespace nesting {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
constexpr std::uint32_t kUnknownName = std::numeric_limits<std::uint32_t>::max();

inline char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Tag names are ASCII letters, digits, '-', ':' and '_', compared without
// case.
inline bool IsNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == ':' || c == '_';
}

// Open elements out of which Tidy may ignore the end tag of an element
// further out: end tags of other elements do not reach out of tables,
// selects, headings, definition lists, text areas and noframes.
enum Barrier : int {
    kNoBarrier = -1,
    kTable,
    kSelect,
    kHeading,
    kDefinitionList,
    kTextArea,  // text areas and noframes: no end tag of another element reaches out
    kBarrierKinds
};

// What the scan knows about one tag name, and where its open elements are.
struct NameInfo {
    explicit NameInfo(const std::string& name);

    bool isVoid;
    bool isScript;  // script or style: the content is not markup
    int barrier = kNoBarrier;
    bool passes[kBarrierKinds] = {};  // this end tag reaches out of that barrier
    std::size_t nearest = kNone;      // stack position of the nearest open one
    std::size_t open = 0;
};

// Tag names as small numbers, each with its NameInfo.
class TagNames {
  public:
    // Reads the tag name that starts at `i` into the current name, in lower
    // case; `i` ends after it. False when no name starts there.
    bool Read(std::string_view html, std::size_t& i) {
        m_current.clear();
        while (i < html.size() && IsNameByte(html[i])) m_current += AsciiLower(html[i++]);
        return !m_current.empty();
    }

    // The number of the current name, new names numbered as they come.
    std::uint32_t Intern() {
        auto found = m_ids.find(m_current);
        if (found != m_ids.end()) return found->second;
        const auto id = static_cast<std::uint32_t>(m_info.size());
        m_info.emplace_back(m_current);
        m_ids.emplace(m_current, id);
        return id;
    }

    std::uint32_t Intern(const char* name) {
        m_current = name;
        return Intern();
    }

    // The number of the current name, or kUnknownName when it has none yet.
    std::uint32_t Find() const {
        auto found = m_ids.find(m_current);
        return found == m_ids.end() ? kUnknownName : found->second;
    }

    NameInfo& operator[](std::uint32_t id) { return m_info[id]; }

  private:
    std::string m_current;
    std::unordered_map<std::string, std::uint32_t> m_ids;
    std::vector<NameInfo> m_info;
};

// The open elements as the generous count sees them: an end tag closes the
// nearest open element of its name and all inside it, unless a barrier
// stands in between (see Barrier); nothing else closes.
class OpenElements {
  public:
    explicit OpenElements(TagNames& names) : m_names(names) {
        std::fill(std::begin(m_barrierTop), std::end(m_barrierTop), kNone);
    }

    // Opens the element of a start tag that is not self-closed; void
    // elements open nothing. True when it opened.
    bool Start(std::uint32_t id) {
        NameInfo& info = m_names[id];
        if (info.isVoid) return false;
        const std::size_t position = m_stack.size();
        Entry entry{id, info.nearest, kNone};
        if (info.barrier != kNoBarrier) {
            entry.previousBarrier = m_barrierTop[info.barrier];
            m_barrierTop[info.barrier] = position;
        }
        m_stack.push_back(entry);
        info.nearest = position;
        ++info.open;
        return true;
    }

    void End(std::uint32_t id) {
        const NameInfo& info = m_names[id];
        if (info.open == 0) return;
        const std::size_t target = info.nearest;
        for (int kind = 0; kind < kBarrierKinds; ++kind) {
            const std::size_t barrier = m_barrierTop[kind];
            if (!info.passes[kind] && barrier != kNone && barrier > target) return;
        }
        while (m_stack.size() > target) Pop();
    }

    std::size_t Depth() const { return m_stack.size(); }

  private:
    struct Entry {
        std::uint32_t id;
        std::size_t previousSameName;
        std::size_t previousBarrier;
    };

    void Pop() {
        const Entry entry = m_stack.back();
        m_stack.pop_back();
        NameInfo& info = m_names[entry.id];
        info.nearest = entry.previousSameName;
        --info.open;
        if (info.barrier != kNoBarrier) m_barrierTop[info.barrier] = entry.previousBarrier;
    }

    TagNames& m_names;
    std::vector<Entry> m_stack;
    std::size_t m_barrierTop[kBarrierKinds];
};

}  // namespace nesting
}  // namespace sorvik
