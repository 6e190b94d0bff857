#include "platform/fake/fake_files.h"

#include "platform/change_text.h"
#include "platform/fake/fake_journal.h"

namespace tavrine {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// A path whose text is only "X:" is a drive root.
bool is_drive_root(std::string_view path) {
    return path.size() == 2 && path[1] == ':';
}

std::string_view parent_of(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}

} // namespace

std::string FakeFiles::normalised(std::string_view path) {
    std::string out(path);
    while (out.size() > 2 && out.back() == '\\') {
        out.pop_back();
    }
    if (out.size() == 3 && out[1] == ':' && out[2] == '\\') {
        out.pop_back();
    }
    return out;
}

std::string FakeFiles::resolve(std::string_view path, bool follow_last) const {
    std::string current = normalised(path);
    if (!has_links_) {
        return current;
    }
    // A few hops are plenty for a test tree; a cycle of links stops here instead of spinning.
    for (int hop = 0; hop < 16; ++hop) {
        bool rewritten = false;
        std::size_t end = 0;
        while (end != std::string::npos) {
            end = current.find('\\', end + 1);
            const std::string prefix = current.substr(0, end);
            const bool last = end == std::string::npos;
            if (last && !follow_last) {
                break;
            }
            auto it = entries_.find(prefix);
            if (it != entries_.end() && !it->second.link_target.empty()) {
                current = normalised(it->second.link_target) + (last ? "" : current.substr(end));
                rewritten = true;
                break;
            }
        }
        if (!rewritten) {
            return current;
        }
    }
    return current;
}

bool FakeFiles::has_link_below_profile(std::string_view path) const {
    const std::string target = normalised(path);
    if (!istarts_with(target, profile_folder_ + "\\")) {
        return false; // only the final comparison applies outside the profile
    }
    for (std::size_t end = profile_folder_.size();;) {
        end = target.find('\\', end + 1);
        auto it = entries_.find(resolve(target.substr(0, end), false));
        if (it != entries_.end() && !it->second.link_target.empty()) {
            return true;
        }
        if (end == std::string::npos) {
            return false;
        }
    }
}

std::string FakeFiles::meant(std::string_view path) const {
    const std::string target = normalised(path);
    if (!istarts_with(target, profile_folder_ + "\\")) {
        return target;
    }
    return resolve(profile_folder_, true) + target.substr(profile_folder_.size());
}

std::optional<std::string> FakeFiles::reach(std::string_view path) {
    Lock lock(journal_.lock());
    if (has_link_below_profile(path)) {
        return std::nullopt;
    }
    if (checked_hook_) {
        checked_hook_(path);
    }
    std::string arrived = resolve(path, false);
    auto it = entries_.find(arrived);
    if ((it != entries_.end() && !it->second.link_target.empty()) || !iequals(arrived, meant(path))) {
        return std::nullopt;
    }
    return arrived;
}

bool FakeFiles::path_is_plain(std::string_view path) {
    Lock lock(journal_.lock());
    if (has_link_below_profile(path)) {
        return false;
    }
    std::string nearest = normalised(path);
    while (!nearest.empty() && entries_.count(resolve(nearest, false)) == 0) {
        nearest = std::string(parent_of(nearest));
    }
    if (nearest.empty()) {
        return true; // nothing there to lead anywhere
    }
    const std::string arrived = resolve(nearest, false);
    return entries_.at(arrived).link_target.empty() && iequals(arrived, meant(nearest));
}

void FakeFiles::make_parents(const std::string& path) {
    for (std::string_view parent = parent_of(path); !parent.empty(); parent = parent_of(parent)) {
        auto [it, inserted] = entries_.try_emplace(std::string(parent));
        if (inserted) {
            it->second.attributes = kFileAttributeDirectory;
        }
    }
}

std::optional<std::uint32_t> FakeFiles::attributes(std::string_view path) {
    Lock lock(journal_.lock());
    auto it = entries_.find(resolve(path, false));
    return it != entries_.end() ? std::optional<std::uint32_t>(it->second.attributes) : std::nullopt;
}

bool FakeFiles::set_attributes(std::string_view path, std::uint32_t attributes) {
    Lock lock(journal_.lock());
    auto it = entries_.find(resolve(path, false));
    if (it == entries_.end()) {
        return false;
    }
    // The kind of entry is not an attribute a caller can change.
    constexpr std::uint32_t kKind = kFileAttributeDirectory | kFileAttributeReparsePoint;
    const std::uint32_t settable = attributes == kFileAttributeNormal ? 0 : attributes & ~kKind;
    it->second.attributes = (it->second.attributes & kKind) | settable;
    journal_.add(describe_set_attributes(path, attributes));
    return true;
}

bool FakeFiles::delete_file(std::string_view path) {
    Lock lock(journal_.lock());
    auto it = entries_.find(resolve(path, false));
    if (it == entries_.end()) {
        return false;
    }
    const FakeFile& file = it->second;
    if ((file.attributes & kFileAttributeDirectory) != 0 || (file.attributes & kFileAttributeReadOnly) != 0 ||
        file.in_use) {
        return false;
    }
    const std::uint64_t size = file.size;
    entries_.erase(it);
    ++erasures_;
    journal_.add(describe_delete_file(path, size));
    return true;
}

class FakeFolderPin final : public FolderPin {
public:
    FakeFolderPin(FakeFiles& files, std::string path, std::string listed_as)
        : files_(files), path_(std::move(path)), listed_as_(std::move(listed_as)) {}
    ~FakeFolderPin() override {
        Lock lock(files_.journal_.lock());
        files_.pinned_.erase(files_.pinned_.find(path_));
    }
    FakeFolderPin(const FakeFolderPin&) = delete;
    FakeFolderPin& operator=(const FakeFolderPin&) = delete;

    std::optional<std::vector<FolderEntry>> list() override { return files_.list_folder(listed_as_); }

private:
    FakeFiles& files_;
    std::string path_;      // what is pinned
    std::string listed_as_; // the path the pin was asked for, as the listing hook sees it
};

FolderPinPtr FakeFiles::pin_folder(std::string_view folder) {
    Lock lock(journal_.lock());
    // The whole path, as the real backend checks it: a link above the folder leads the pin
    // elsewhere as surely as one at the folder itself.
    if (has_link_below_profile(folder)) {
        return nullptr;
    }
    std::string resolved = resolve(folder, false);
    if (!iequals(resolved, meant(folder))) {
        return nullptr;
    }
    auto it = entries_.find(resolved);
    if (it == entries_.end() || (it->second.attributes & kFileAttributeDirectory) == 0 ||
        (it->second.attributes & kFileAttributeReparsePoint) != 0) {
        return nullptr;
    }
    pinned_.insert(resolved);
    return std::make_unique<FakeFolderPin>(*this, std::move(resolved), std::string(folder));
}

std::size_t FakeFiles::pinned_count() const {
    Lock lock(journal_.lock());
    return pinned_.size();
}

std::optional<std::vector<FolderEntry>> FakeFiles::list_folder(std::string_view folder) {
    std::optional<std::vector<FolderEntry>> listing = list_locked(folder);
    if (listed_hook_) {
        listed_hook_(folder); // unlocked: the hook may change the tree
    }
    return listing;
}

std::optional<std::vector<FolderEntry>> FakeFiles::list_locked(std::string_view folder) {
    Lock lock(journal_.lock());
    const std::string resolved = resolve(folder, true);
    auto it = entries_.find(resolved);
    if (it == entries_.end() || (it->second.attributes & kFileAttributeDirectory) == 0 ||
        it->second.unlistable) {
        return std::nullopt;
    }
    std::vector<FolderEntry> listing;
    if (!is_drive_root(resolved)) {
        listing.push_back({".", kFileAttributeDirectory, 0});
        listing.push_back({"..", kFileAttributeDirectory, 0});
    }
    // Every path below the folder sorts into one run right after "folder\".
    const std::string prefix = resolved + "\\";
    for (auto child = entries_.lower_bound(prefix); child != entries_.end(); ++child) {
        const std::string& path = child->first;
        if (!istarts_with(path, prefix)) {
            break;
        }
        const std::string_view name = std::string_view(path).substr(prefix.size());
        if (name.find('\\') == std::string_view::npos) {
            listing.push_back({std::string(name), child->second.attributes, child->second.size});
        }
    }
    return listing;
}

std::uint32_t FakeFiles::logical_drives() {
    Lock lock(journal_.lock());
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < drives_.size(); ++i) {
        if (drives_[i]) {
            mask |= 1u << i;
        }
    }
    return mask;
}

DriveType FakeFiles::drive_type(std::string_view root) {
    Lock lock(journal_.lock());
    if (root.empty()) {
        return DriveType::NoRootDirectory;
    }
    const char letter = static_cast<char>(ascii_lower(root[0]));
    if (letter < 'a' || letter > 'z' || !drives_[static_cast<std::size_t>(letter - 'a')]) {
        return DriveType::NoRootDirectory;
    }
    return drives_[static_cast<std::size_t>(letter - 'a')]->type;
}

SeekPenalty FakeFiles::seek_penalty(char drive_letter) {
    Lock lock(journal_.lock());
    const char letter = ascii_lower(drive_letter);
    if (letter < 'a' || letter > 'z' || !drives_[static_cast<std::size_t>(letter - 'a')]) {
        return SeekPenalty::Unknown;
    }
    return drives_[static_cast<std::size_t>(letter - 'a')]->seek_penalty;
}

void FakeFiles::add(std::string_view path, std::uint32_t attributes) {
    Lock lock(journal_.lock());
    const std::string key = normalised(path);
    make_parents(key);
    entries_[key].attributes = attributes;
}

void FakeFiles::add_folder(std::string_view path, std::uint32_t attributes) {
    add(path, attributes | kFileAttributeDirectory);
}

void FakeFiles::add_file(std::string_view path, std::uint64_t size, std::uint32_t attributes) {
    Lock lock(journal_.lock());
    const std::string key = normalised(path);
    make_parents(key);
    FakeFile& file = entries_[key];
    file.attributes = attributes == 0 ? kFileAttributeArchive : attributes;
    file.size = size;
}

void FakeFiles::add_link(std::string_view path, std::string_view target) {
    Lock lock(journal_.lock());
    const std::string key = normalised(path);
    make_parents(key);
    FakeFile& link = entries_[key];
    link.attributes = kFileAttributeDirectory | kFileAttributeReparsePoint;
    link.link_target = normalised(target);
    has_links_ = true;
}

void FakeFiles::add_symbolic_link(std::string_view path, std::string_view target) {
    Lock lock(journal_.lock());
    const std::string key = normalised(path);
    make_parents(key);
    auto leads_to = entries_.find(resolve(target, true));
    const bool folder =
        leads_to != entries_.end() && (leads_to->second.attributes & kFileAttributeDirectory) != 0;
    FakeFile& link = entries_[key];
    link = FakeFile{};
    link.attributes = kFileAttributeReparsePoint | (folder ? kFileAttributeDirectory : 0);
    link.link_target = normalised(target);
    has_links_ = true;
}

void FakeFiles::on_checked(std::function<void(std::string_view path)> hook) {
    Lock lock(journal_.lock());
    checked_hook_ = std::move(hook);
}

void FakeFiles::on_listed(std::function<void(std::string_view folder)> hook) {
    listed_hook_ = std::move(hook);
}

bool FakeFiles::replace_with_link(std::string_view path, std::string_view target) {
    Lock lock(journal_.lock());
    const std::string key = resolve(path, false);
    for (const std::string& pinned : pinned_) {
        if (iequals(pinned, key) || istarts_with(pinned, key + "\\")) {
            return false;
        }
    }
    // The folder moves away with everything below it.
    for (auto it = entries_.lower_bound(key + "\\");
         it != entries_.end() && istarts_with(it->first, key + "\\");) {
        it = entries_.erase(it);
        ++erasures_;
    }
    FakeFile& link = entries_[key];
    link = FakeFile{};
    link.attributes = kFileAttributeDirectory | kFileAttributeReparsePoint;
    link.link_target = normalised(target);
    has_links_ = true;
    return true;
}

void FakeFiles::hold_open(std::string_view path) {
    Lock lock(journal_.lock());
    entries_[normalised(path)].in_use = true;
}

void FakeFiles::deny_listing(std::string_view path) {
    Lock lock(journal_.lock());
    entries_[normalised(path)].unlistable = true;
}

void FakeFiles::add_drive(char letter, FakeDrive drive) {
    Lock lock(journal_.lock());
    const char lower = ascii_lower(letter);
    if (lower >= 'a' && lower <= 'z') {
        drives_[static_cast<std::size_t>(lower - 'a')] = drive;
    }
}

bool FakeFiles::exists(std::string_view path) const {
    Lock lock(journal_.lock());
    return entries_.count(normalised(path)) != 0;
}

std::optional<FakeFile> FakeFiles::entry(std::string_view path) const {
    Lock lock(journal_.lock());
    auto it = entries_.find(normalised(path));
    return it != entries_.end() ? std::optional<FakeFile>(it->second) : std::nullopt;
}

std::vector<std::string> FakeFiles::files_below(std::string_view folder) const {
    Lock lock(journal_.lock());
    const std::string root = normalised(folder);
    const std::string prefix = root + "\\";
    std::vector<std::string> out;
    for (const auto& [path, file] : entries_) {
        if ((file.attributes & kFileAttributeDirectory) == 0 &&
            (iequals(path, root) || istarts_with(path, prefix))) {
            out.push_back(path);
        }
    }
    return out;
}

void FakeFiles::shell_open(std::string_view path) {
    journal_.add(describe_shell_open(path));
}

// [SECTION] Whole files and per-user folders ----------------------------------------------

std::optional<std::string> FakeFiles::read_file(std::string_view path) {
    Lock lock(journal_.lock());
    const std::optional<std::string> key = reach(path);
    auto it = key ? entries_.find(*key) : entries_.end();
    if (it == entries_.end() || (it->second.attributes & kFileAttributeDirectory) != 0 ||
        it->second.unreadable) {
        return std::nullopt;
    }
    return it->second.content;
}

std::optional<std::uint64_t> FakeFiles::file_size(std::string_view path) {
    Lock lock(journal_.lock());
    auto it = entries_.find(resolve(path, true));
    if (it == entries_.end() || (it->second.attributes & kFileAttributeDirectory) != 0) {
        return std::nullopt;
    }
    return it->second.size;
}

bool FakeFiles::write_file_whole(std::string_view path, std::string_view bytes) {
    Lock lock(journal_.lock());
    const std::optional<std::string> reached = reach(path);
    if (!reached) {
        return false;
    }
    const std::string& key = *reached;
    const std::string_view parent = parent_of(key);
    auto folder = entries_.find(std::string(parent));
    if (writes_fail_ || parent.empty() || folder == entries_.end() ||
        (folder->second.attributes & kFileAttributeDirectory) == 0) {
        return false;
    }
    auto it = entries_.find(key);
    if (it != entries_.end() &&
        ((it->second.attributes & (kFileAttributeDirectory | kFileAttributeReadOnly)) != 0 ||
         it->second.in_use)) {
        return false;
    }
    FakeFile& file = entries_[key];
    file.attributes = file.attributes == 0 ? kFileAttributeArchive : file.attributes;
    file.content = std::string(bytes);
    file.size = bytes.size();
    journal_.add(describe_write_file(path, bytes.size()));
    return true;
}

bool FakeFiles::append_file(std::string_view path, std::string_view bytes) {
    Lock lock(journal_.lock());
    const std::optional<std::string> reached = reach(path);
    if (!reached) {
        return false;
    }
    const std::string& key = *reached;
    auto folder = entries_.find(std::string(parent_of(key)));
    if (writes_fail_ || folder == entries_.end() ||
        (folder->second.attributes & kFileAttributeDirectory) == 0) {
        return false;
    }
    auto it = entries_.find(key);
    if (it != entries_.end() &&
        ((it->second.attributes & (kFileAttributeDirectory | kFileAttributeReadOnly)) != 0 ||
         it->second.unreadable)) {
        return false;
    }
    FakeFile& file = entries_[key];
    file.attributes = file.attributes == 0 ? kFileAttributeArchive : file.attributes;
    file.content.append(bytes);
    file.size = file.content.size();
    journal_.add(describe_append_file(path, bytes.size()));
    return true;
}

class FakeAppendFile final : public AppendFile {
public:
    FakeAppendFile(FakeFiles& files, std::string_view path) : files_(files), path_(path) {}

    bool append(std::string_view bytes) override {
        Lock lock(files_.journal_.lock());
        if (file_ == nullptr || erasures_ != files_.erasures_) {
            // The first write, or one after an erase: the whole path's rules, then its place.
            if (!files_.append_file(path_, bytes)) {
                return false;
            }
            file_ = &files_.entries_.find(files_.resolve(path_, false))->second;
            erasures_ = files_.erasures_;
            return true;
        }
        if (files_.writes_fail_ ||
            (file_->attributes & (kFileAttributeDirectory | kFileAttributeReadOnly)) != 0 ||
            file_->unreadable) {
            return false;
        }
        file_->content.append(bytes);
        file_->size = file_->content.size();
        files_.journal_.add(describe_append_file(path_, bytes.size()));
        return true;
    }

private:
    FakeFiles& files_;
    std::string path_;
    FakeFile* file_ = nullptr;
    std::uint64_t erasures_ = 0;
};

AppendFilePtr FakeFiles::open_append(std::string_view path) {
    return std::make_unique<FakeAppendFile>(*this, path);
}

bool FakeFiles::copy_file(std::string_view from, std::string_view to, bool fail_if_exists) {
    Lock lock(journal_.lock());
    const std::optional<std::string> to_key = reach(to);
    const std::optional<std::string> from_key = to_key ? reach(from) : std::nullopt;
    if (!from_key) {
        return false;
    }
    auto source = entries_.find(*from_key);
    const std::string& key = *to_key;
    auto folder = entries_.find(std::string(parent_of(key)));
    if (writes_fail_ || source == entries_.end() ||
        (source->second.attributes & kFileAttributeDirectory) != 0 || source->second.unreadable ||
        folder == entries_.end() || (folder->second.attributes & kFileAttributeDirectory) == 0) {
        return false;
    }
    auto target = entries_.find(key);
    if (target != entries_.end() &&
        (fail_if_exists ||
         (target->second.attributes & (kFileAttributeDirectory | kFileAttributeReadOnly)) != 0)) {
        return false;
    }
    FakeFile copy = source->second;
    copy.in_use = false;
    entries_[key] = std::move(copy); // CopyFileA carries the attributes over, read-only included
    journal_.add(describe_copy_file(from, to));
    return true;
}

bool FakeFiles::create_folders(std::string_view folder) {
    Lock lock(journal_.lock());
    const std::optional<std::string> reached = reach(folder);
    if (!reached || reached->empty()) {
        return false;
    }
    const std::string& key = *reached;
    // Every level must be a folder or missing; a file in the way stops it, as on Windows.
    for (std::string_view level = key; !level.empty(); level = parent_of(level)) {
        auto it = entries_.find(std::string(level));
        if (it != entries_.end() && (it->second.attributes & kFileAttributeDirectory) == 0) {
            return false;
        }
    }
    if (entries_.count(key) != 0) {
        return true;
    }
    make_parents(key);
    entries_[key].attributes = kFileAttributeDirectory;
    journal_.add(describe_create_folders(folder));
    return true;
}

bool FakeFiles::create_admin_only_folder(std::string_view folder) {
    Lock lock(journal_.lock());
    if (!create_folders(folder)) {
        return false;
    }
    // The last level is opened without following it, as the real backend opens its handle.
    auto it = entries_.find(resolve(folder, false));
    if (it == entries_.end() || !it->second.link_target.empty() ||
        (it->second.attributes & kFileAttributeReparsePoint) != 0 ||
        (it->second.owner != FakeOwner::System && it->second.owner != FakeOwner::Administrators)) {
        return false;
    }
    it->second.others_may_write = false;
    journal_.add(describe_create_admin_only_folder(folder));
    return true;
}

bool FakeFiles::is_admin_only_folder(std::string_view folder) {
    Lock lock(journal_.lock());
    auto it = entries_.find(resolve(folder, false));
    return it != entries_.end() && (it->second.attributes & kFileAttributeDirectory) != 0 &&
           it->second.link_target.empty() && (it->second.attributes & kFileAttributeReparsePoint) == 0 &&
           it->second.owner != FakeOwner::User && !it->second.others_may_write;
}

bool FakeFiles::set_security(std::string_view path, FakeOwner owner, bool others_may_write) {
    Lock lock(journal_.lock());
    auto it = entries_.find(normalised(path));
    if (it == entries_.end()) {
        return false;
    }
    it->second.owner = owner;
    it->second.others_may_write = others_may_write;
    return true;
}

std::optional<std::string> FakeFiles::roaming_folder() {
    return known_folder(KnownFolder::RoamingAppData);
}

std::optional<std::string> FakeFiles::temp_folder() {
    Lock lock(journal_.lock());
    return temp_folder_.empty() ? std::nullopt : std::optional<std::string>(temp_folder_);
}

std::optional<std::string> FakeFiles::full_path(std::string_view path) {
    Lock lock(journal_.lock());
    const bool absolute = (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
                          path.starts_with("\\\\");
    if (path.empty()) {
        return std::nullopt;
    }
    return normalised(absolute ? std::string(path) : current_folder_ + "\\" + std::string(path));
}

void FakeFiles::set_current_folder(std::string_view folder) {
    Lock lock(journal_.lock());
    current_folder_ = normalised(folder);
}

void FakeFiles::add_text_file(std::string_view path, std::string_view content, std::uint32_t attributes) {
    Lock lock(journal_.lock());
    const std::string key = normalised(path);
    make_parents(key);
    FakeFile& file = entries_[key];
    file.attributes = attributes == 0 ? kFileAttributeArchive : attributes;
    file.content = std::string(content);
    file.size = content.size();
}

void FakeFiles::deny_reading(std::string_view path) {
    Lock lock(journal_.lock());
    entries_[normalised(path)].unreadable = true;
}

void FakeFiles::fail_writes(bool fail) {
    Lock lock(journal_.lock());
    writes_fail_ = fail;
}

void FakeFiles::set_roaming_folder(std::string_view folder) {
    set_known_folder(KnownFolder::RoamingAppData, folder);
}

void FakeFiles::set_temp_folder(std::string_view folder) {
    Lock lock(journal_.lock());
    temp_folder_ = normalised(folder);
}

std::optional<std::string> FakeFiles::known_folder(KnownFolder folder) {
    Lock lock(journal_.lock());
    const std::string& path = known_folders_.at(static_cast<std::size_t>(folder));
    return path.empty() ? std::nullopt : std::optional<std::string>(path);
}

void FakeFiles::set_known_folder(KnownFolder folder, std::string_view path) {
    Lock lock(journal_.lock());
    known_folders_.at(static_cast<std::size_t>(folder)) = normalised(path);
}

} // namespace tavrine
