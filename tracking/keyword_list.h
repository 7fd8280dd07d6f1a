// The tracker's keyword list: its lines and the list file that holds them.
// Every change is saved at once and put back when saving fails, and the file
// is read again first when something else (another program, an editor)
// changed it since it was last read or written, so no line written there is
// lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "batch_file.h"

namespace sorvik {

// How a change of the list ended.
enum class ListChange {
    Saved,     // changed and saved
    NotSaved,  // `error` says why; the list is as it was
    // The file had changed on disk: the list was read again from it and the
    // change not made, since the lines it named may have moved. The caller
    // shows the list anew and lets the user choose again.
    ReadAgain,
};

// What Import took and what it left out.
struct ImportReport {
    ListChange change = ListChange::Saved;
    int added = 0;
    // The lines left out: their number in the imported file and why.
    std::vector<std::pair<int, std::string>> skipped;
};

class KeywordList {
  public:
    // The list of the file at `path` (UTF-8); empty until Load.
    explicit KeywordList(std::string path) : m_path(std::move(path)) {}

    const std::string& Path() const { return m_path; }
    const std::vector<BatchLine>& Lines() const { return m_lines; }

    // Reads the file; a missing file is an empty list. False, with `error`
    // set and the list empty, when it can't be read or is not UTF-8.
    bool Load(std::string& error);
    // Reads the file again when it changed on disk since it was last read or
    // written. False, with `error` set and the list kept, when it changed
    // but can't be read.
    enum class Reread { Unchanged, ReadAgain, Failed };
    Reread ReloadIfChanged(std::string& error);
    // Why a change of lines chosen by their places can't be made: the file
    // changed on disk (the places may name other lines now), or it can't be
    // read. No value when the list is as it was.
    std::optional<ListChange> StaleOrUnreadable(std::string& error);

    // Appends `line` (its number cleared).
    ListChange Add(BatchLine line, std::string& error);
    // Puts `line` in place of line `index` (keeping its number).
    ListChange Replace(std::size_t index, BatchLine line, std::string& error);
    // Removes the lines at `indices` (in any order, each once).
    ListChange Remove(std::vector<std::size_t> indices, std::string& error);
    // Appends the lines of an imported file that can be used and are not in
    // the list already; the others are reported as skipped.
    ImportReport Import(const std::vector<BatchLine>& read, std::string& error);

  private:
    // What the file was like when last read or written.
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type written{};
        bool operator==(const Stamp& other) const {
            return exists == other.exists && size == other.size && written == other.written;
        }
    };
    Stamp FileStamp() const;
    // Saves `lines` as the list; on success they become the list.
    ListChange Save(std::vector<BatchLine> lines, std::string& error);

    std::string m_path;
    std::vector<BatchLine> m_lines;
    std::optional<Stamp> m_stamp;  // none: the file was never read whole
};

}  // namespace sorvik
