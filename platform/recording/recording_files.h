#pragma once

#include "platform/forwarding.h"
#include "platform/recording/plan_log.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace tavrine {

// A temp clean-up deletes files by the thousand. In the plan each unbroken run of deletions is
// one summary (how many files, how many bytes, the first few paths) rather than a line each;
// any other line recorded ends the run, so the summaries stay in their place among the
// commands and registry writes.
class FileDeletionBatch {
public:
    static constexpr std::size_t kShownPaths = 10;

    void add_deletion(std::string_view path, std::uint64_t size);
    void add_read_only_cleared();
    bool empty() const { return files_ == 0 && read_only_cleared_ == 0; }
    // Appends the summary to `lines` and starts an empty batch.
    void flush_into(std::vector<std::string>& lines);

private:
    std::size_t files_ = 0;
    std::uint64_t bytes_ = 0;
    std::size_t read_only_cleared_ = 0;
    std::vector<std::string> shown_;
};

// Reads through to the real files, records every change in the plan.
class RecordingFiles final : public ForwardingFiles {
public:
    RecordingFiles(PlanLog& plan, Files& reads_from) : ForwardingFiles(reads_from), plan_(plan) {}

    std::optional<std::uint32_t> attributes(std::string_view path) override;
    bool set_attributes(std::string_view path, std::uint32_t attributes) override;
    bool delete_file(std::string_view path) override;
    std::optional<std::vector<FolderEntry>> list_folder(std::string_view folder) override;
    // Opening a folder changes nothing: the real one is pinned, as a run would; its listings
    // are noted like list_folder's.
    FolderPinPtr pin_folder(std::string_view folder) override;
    void shell_open(std::string_view path) override;
    // path_is_plain reads through; the planned writes below are refused where a run would
    // refuse them.
    std::optional<std::string> read_file(std::string_view path) override;
    std::optional<std::uint64_t> file_size(std::string_view path) override;
    // Recorded, not made; later reads in the same plan see the planned content.
    bool write_file_whole(std::string_view path, std::string_view bytes) override;
    bool append_file(std::string_view path, std::string_view bytes) override;
    // Through append_file above, never to the file beneath.
    AppendFilePtr open_append(std::string_view path) override { return Files::open_append(path); }
    bool copy_file(std::string_view from, std::string_view to, bool fail_if_exists) override;
    bool create_folders(std::string_view folder) override;
    // Recorded, not made; the plan's later checks see the folder as protected.
    bool create_admin_only_folder(std::string_view folder) override;
    bool is_admin_only_folder(std::string_view folder) override;

private:
    friend class RecordingFolderPin;
    // Notes the files of a listing (their sizes, for the plan) and hides those already deleted.
    std::vector<FolderEntry> note_listing(std::string_view folder, std::vector<FolderEntry> listing);

    PlanLog& plan_;
    // Files met in listings, by lower-cased path, with their sizes: what a deletion frees.
    std::mutex mutex_;
    std::map<std::string, std::uint64_t> listed_files_;
    // Files the plan has deleted: later reads no longer see them, so a folder reached twice
    // (%TEMP% is usually %LOCALAPPDATA%\Temp) is not counted twice.
    std::set<std::string> deleted_;
    // Files the plan has written or copied (by lower-cased path, with their planned content)
    // and folders it has created: later reads see them as a run would.
    std::map<std::string, std::string> written_;
    std::set<std::string> created_folders_;
    std::set<std::string> protected_folders_;
};

} // namespace tavrine
