#include "platform/recording/recording_files.h"

#include "platform/ascii.h"
#include "platform/change_text.h"

#include <cstdio>

namespace tavrine {

namespace {

std::string readable_size(std::uint64_t bytes) {
    const char* const units[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(units)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
    return text;
}

} // namespace

// [SECTION] Deletion batch ----------------------------------------------------------------

void FileDeletionBatch::add_deletion(std::string_view path, std::uint64_t size) {
    ++files_;
    bytes_ += size;
    if (shown_.size() < kShownPaths) {
        shown_.push_back(describe_delete_file(path, size));
    }
}

void FileDeletionBatch::add_read_only_cleared() {
    ++read_only_cleared_;
}

void FileDeletionBatch::flush_into(std::vector<std::string>& lines) {
    if (empty()) {
        return;
    }
    std::string header = "DELETE FILES " + std::to_string(files_) + (files_ == 1 ? " file, " : " files, ") +
                         std::to_string(bytes_) + (bytes_ == 1 ? " byte" : " bytes");
    // The readable size only when it says something the byte count does not.
    if (bytes_ >= 1024) {
        header += " (" + readable_size(bytes_) + ")";
    }
    header += " in all";
    if (read_only_cleared_ != 0) {
        header += "; read-only cleared first on " + std::to_string(read_only_cleared_);
    }
    header += files_ > shown_.size() ? "; the first " + std::to_string(shown_.size()) + ":" : ":";
    lines.push_back(std::move(header));
    for (std::string& line : shown_) {
        lines.push_back("  " + std::move(line));
    }
    if (files_ > shown_.size()) {
        lines.push_back("  ... and " + std::to_string(files_ - shown_.size()) + " more");
    }
    *this = FileDeletionBatch{};
}

// [SECTION] Recording files ---------------------------------------------------------------

std::optional<std::uint32_t> RecordingFiles::attributes(std::string_view path) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string id = ascii_lowered(path);
        if (deleted_.count(id) != 0) {
            return std::nullopt;
        }
        if (created_folders_.count(id) != 0) {
            return kFileAttributeDirectory;
        }
        if (written_.count(id) != 0) {
            const std::optional<std::uint32_t> real = inner_.attributes(path);
            return real ? *real : kFileAttributeArchive;
        }
    }
    return inner_.attributes(path);
}

bool RecordingFiles::set_attributes(std::string_view path, std::uint32_t attributes) {
    bool listed = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        listed = listed_files_.count(ascii_lowered(path)) != 0;
    }
    // Clearing read-only is the first half of deleting a listed file: it belongs to the batch.
    if (listed && attributes == kFileAttributeNormal) {
        plan_.record_read_only_cleared();
    } else {
        const bool holds = inner_.attributes(path) == attributes;
        plan_.record(describe_set_attributes(path, attributes),
                     holds ? PlanMark::Already : PlanMark::Changes);
    }
    return true;
}

bool RecordingFiles::delete_file(std::string_view path) {
    const std::string id = ascii_lowered(path);
    std::uint64_t size = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (deleted_.count(id) != 0) {
            return false;
        }
        auto it = listed_files_.find(id);
        if (it != listed_files_.end()) {
            size = it->second;
            listed_files_.erase(it);
        } else if (!inner_.attributes(path)) {
            return false; // nothing there: a real run would change nothing either
        }
        deleted_.insert(id);
    }
    plan_.record_file_deletion(path, size);
    return true;
}

std::optional<std::vector<FolderEntry>> RecordingFiles::list_folder(std::string_view folder) {
    std::optional<std::vector<FolderEntry>> listing = inner_.list_folder(folder);
    if (!listing) {
        return listing;
    }
    return note_listing(folder, std::move(*listing));
}

std::vector<FolderEntry> RecordingFiles::note_listing(std::string_view folder,
                                                      std::vector<FolderEntry> listing) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<FolderEntry> seen;
    seen.reserve(listing.size());
    for (FolderEntry& entry : listing) {
        if ((entry.attributes & kFileAttributeDirectory) == 0) {
            const std::string id = ascii_lowered(std::string(folder) + "\\" + entry.name);
            if (deleted_.count(id) != 0) {
                continue;
            }
            listed_files_[id] = entry.size;
        }
        seen.push_back(std::move(entry));
    }
    return seen;
}

class RecordingFolderPin final : public FolderPin {
public:
    RecordingFolderPin(RecordingFiles& files, FolderPinPtr inner, std::string folder)
        : files_(files), inner_(std::move(inner)), folder_(std::move(folder)) {}

    std::optional<std::vector<FolderEntry>> list() override {
        std::optional<std::vector<FolderEntry>> listing = inner_->list();
        if (!listing) {
            return listing;
        }
        return files_.note_listing(folder_, std::move(*listing));
    }

private:
    RecordingFiles& files_;
    FolderPinPtr inner_;
    std::string folder_;
};

FolderPinPtr RecordingFiles::pin_folder(std::string_view folder) {
    FolderPinPtr inner = inner_.pin_folder(folder);
    if (!inner) {
        return nullptr;
    }
    return std::make_unique<RecordingFolderPin>(*this, std::move(inner), std::string(folder));
}

void RecordingFiles::shell_open(std::string_view path) {
    plan_.record(describe_shell_open(path));
}

std::optional<std::string> RecordingFiles::read_file(std::string_view path) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string id = ascii_lowered(path);
        if (deleted_.count(id) != 0) {
            return std::nullopt;
        }
        auto it = written_.find(id);
        if (it != written_.end()) {
            return it->second;
        }
    }
    return inner_.read_file(path);
}

std::optional<std::uint64_t> RecordingFiles::file_size(std::string_view path) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string id = ascii_lowered(path);
        if (deleted_.count(id) != 0) {
            return std::nullopt;
        }
        auto it = written_.find(id);
        if (it != written_.end()) {
            return it->second.size();
        }
    }
    return inner_.file_size(path);
}

bool RecordingFiles::write_file_whole(std::string_view path, std::string_view bytes) {
    if (!inner_.path_is_plain(path)) {
        return false; // a run would refuse it: a link leads it elsewhere
    }
    // Read before the write is noted: a file that already holds these bytes is not changed.
    const bool holds = read_file(path) == bytes;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string id = ascii_lowered(path);
        deleted_.erase(id);
        written_[id] = std::string(bytes);
    }
    plan_.record(describe_write_file(path, bytes.size()), holds ? PlanMark::Already : PlanMark::Changes);
    return true;
}

bool RecordingFiles::append_file(std::string_view /*path*/, std::string_view /*bytes*/) {
    // Only the run history appends, and a preview keeps no history: nothing to write down.
    return false;
}

bool RecordingFiles::copy_file(std::string_view from, std::string_view to, bool fail_if_exists) {
    if ((fail_if_exists && attributes(to)) || !inner_.path_is_plain(to)) {
        return false;
    }
    std::optional<std::string> content = read_file(from);
    if (!content) {
        return false; // a run could not copy it either
    }
    const bool holds = read_file(to) == content;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::string id = ascii_lowered(to);
        deleted_.erase(id);
        written_[id] = std::move(*content);
    }
    plan_.record(describe_copy_file(from, to), holds ? PlanMark::Already : PlanMark::Changes);
    return true;
}

bool RecordingFiles::create_folders(std::string_view folder) {
    if (!inner_.path_is_plain(folder)) {
        return false;
    }
    if (const std::optional<std::uint32_t> existing = attributes(folder)) {
        return (*existing & kFileAttributeDirectory) != 0;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        created_folders_.insert(ascii_lowered(folder));
    }
    plan_.record(describe_create_folders(folder), PlanMark::Changes);
    return true;
}

bool RecordingFiles::create_admin_only_folder(std::string_view folder) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        created_folders_.insert(ascii_lowered(folder));
        protected_folders_.insert(ascii_lowered(folder));
    }
    plan_.record(describe_create_admin_only_folder(folder), PlanMark::Changes);
    return true;
}

bool RecordingFiles::is_admin_only_folder(std::string_view folder) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (protected_folders_.count(ascii_lowered(folder)) != 0) {
            return true;
        }
    }
    return inner_.is_admin_only_folder(folder);
}

} // namespace tavrine
