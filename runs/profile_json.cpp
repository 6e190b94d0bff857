// The profile file: JSON through nlohmann's library, read strictly. Every refusal names the line
// and column of what it refuses, so the parse keeps where each key and value began.
#include "runs/profile.h"

#include "engine/path_table.h"
#include "games/title_catalogue.h"
#include "platform/ascii.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <set>

namespace tavrine {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxNameBytes = 100;

// Each overlay's named fields, walked alike by the reader and the writer.
constexpr auto kCrosshairFields = [](auto& s, auto&& field) {
    for_each_crosshair_field(s, field);
};
constexpr auto kHudFields = [](auto& s, auto&& field) {
    for_each_hud_field(s, field);
};

// [SECTION] where things are

// Walks the text for the parser and remembers the furthest byte it has read: when the parser
// reports a key or a string, that is the byte after its closing quote.
class TrackedIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackedIterator() = default;
    TrackedIterator(const char* at, const char** furthest) : at_(at), furthest_(furthest) {}
    reference operator*() const { return *at_; }
    TrackedIterator& operator++() {
        ++at_;
        if (furthest_ != nullptr && at_ > *furthest_) {
            *furthest_ = at_;
        }
        return *this;
    }
    TrackedIterator operator++(int) {
        TrackedIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackedIterator& other) const { return at_ == other.at_; }

private:
    const char* at_ = nullptr;
    const char** furthest_ = nullptr;
};

// Where each key and each plain value began, by JSON pointer ("/paths/latency/armed/2").
class Positions {
public:
    Positions(std::string_view text, const char** furthest) : text_(text), furthest_(furthest) {}

    bool on_event(nlohmann::json::parse_event_t event, const Json& parsed) {
        using Event = nlohmann::json::parse_event_t;
        switch (event) {
        case Event::key:
            pending_key_ = parsed.get<std::string>();
            if (!keys_.emplace(child(pending_key_), string_start()).second && !duplicate_) {
                duplicate_ = child(pending_key_);
                duplicate_at_ = string_start();
            }
            break;
        case Event::object_start:
        case Event::array_start:
            frames_.push_back({frames_.empty() ? "" : next_child(), event == Event::array_start});
            break;
        case Event::object_end:
        case Event::array_end:
            frames_.pop_back();
            break;
        case Event::value:
            values_.emplace(next_child(), parsed.is_string() ? string_start() : literal_start());
            break;
        }
        return true;
    }

    // "line L, column C" of the value at `pointer`, else of its key.
    std::string where(const std::string& pointer) const {
        auto found = values_.find(pointer);
        if (found == values_.end()) {
            found = keys_.find(pointer);
        }
        return line_and_column(found == keys_.end() ? 0 : found->second);
    }
    std::string where_duplicate() const { return line_and_column(duplicate_at_); }
    std::string where_key(const std::string& pointer) const {
        const auto found = keys_.find(pointer);
        return line_and_column(found == keys_.end() ? 0 : found->second);
    }
    const std::optional<std::string>& duplicate() const { return duplicate_; }

    std::string line_and_column(std::size_t offset) const {
        const std::string_view before = text_.substr(0, std::min(offset, text_.size()));
        const std::size_t line = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n')) + 1;
        const std::size_t line_start = before.rfind('\n');
        const std::size_t column = offset - (line_start == std::string_view::npos ? 0 : line_start + 1) + 1;
        return "line " + std::to_string(line) + ", column " + std::to_string(column);
    }

private:
    struct Frame {
        std::string pointer;
        bool array;
        std::size_t next_index = 0;
    };

    std::size_t offset() const { return static_cast<std::size_t>(*furthest_ - text_.data()); }
    // The opening quote of the string whose closing quote is the last byte read.
    std::size_t string_start() const {
        for (std::size_t at = offset() - 1; at-- > 0;) {
            if (text_[at] != '"') {
                continue;
            }
            std::size_t backslashes = 0;
            while (at > backslashes && text_[at - 1 - backslashes] == '\\') {
                ++backslashes;
            }
            if (backslashes % 2 == 0) {
                return at;
            }
        }
        return 0;
    }
    // The first byte of the number or literal read last. A number ends where the parser read one
    // byte past it, a literal at its own last byte; either way the token's bytes are these.
    std::size_t literal_start() const {
        const auto in_token = [&](std::size_t at) {
            const char c = text_[at];
            return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '+' || c == '-';
        };
        std::size_t at = offset() - 1;
        while (at > 0 && !in_token(at)) {
            --at;
        }
        while (at > 0 && in_token(at - 1)) {
            --at;
        }
        return at;
    }
    std::string child(const std::string& name) const {
        return (frames_.empty() ? "" : frames_.back().pointer) + "/" + name;
    }
    std::string next_child() {
        if (frames_.empty()) {
            return "";
        }
        Frame& parent = frames_.back();
        return parent.array ? parent.pointer + "/" + std::to_string(parent.next_index++)
                            : parent.pointer + "/" + pending_key_;
    }

    std::string_view text_;
    const char** furthest_;
    std::vector<Frame> frames_;
    std::string pending_key_;
    std::map<std::string, std::size_t> keys_;
    std::map<std::string, std::size_t> values_;
    std::optional<std::string> duplicate_;
    std::size_t duplicate_at_ = 0;
};

// [SECTION] reading

class Reader {
public:
    explicit Reader(const Positions& positions) : positions_(positions) {}

    std::optional<Profile> read(const Json& document) {
        if (!document.is_object()) {
            return fail("", "a profile is a JSON object");
        }
        if (!only_fields(document, "",
                         {"version", "name", "paths", "target", "title", "gpu_vendor", "crosshair", "hud"})) {
            return std::nullopt;
        }
        const auto version = document.find("version");
        if (version == document.end()) {
            return fail("", "the profile has no \"version\"");
        }
        if (!version->is_number_integer() || version->get<std::int64_t>() != kProfileFormatVersion) {
            return fail("/version", "unknown profile version " + version->dump() +
                                        "; this program reads version " +
                                        std::to_string(kProfileFormatVersion));
        }
        Profile profile;
        if (const auto name = document.find("name"); name != document.end()) {
            if (!name->is_string() || name->get<std::string>().size() > kMaxNameBytes) {
                return fail("/name", "\"name\" is a text of at most 100 bytes");
            }
            profile.name = name->get<std::string>();
        }
        if (const auto paths = document.find("paths");
            paths != document.end() && !read_paths(*paths, profile)) {
            return std::nullopt;
        }
        if (const auto target = document.find("target"); target != document.end()) {
            if (!target->is_string() || !is_bare_executable_name(target->get<std::string>())) {
                return fail("/target",
                            "\"target\" is an executable file name such as cs2.exe, with no folder");
            }
            profile.target = target->get<std::string>();
        }
        if (const auto title = document.find("title"); title != document.end()) {
            const std::optional<std::int32_t> index = title->is_string() ? title_named(*title) : std::nullopt;
            if (!index) {
                return fail("/title",
                            "unknown title " + title->dump() + "; the titles are: " + title_names());
            }
            profile.title = *index;
        }
        if (const auto vendor = document.find("gpu_vendor"); vendor != document.end()) {
            const auto choice =
                vendor->is_string() ? vendor_from_choice_name(vendor->get<std::string>()) : std::nullopt;
            if (!choice) {
                return fail("/gpu_vendor",
                            "unknown GPU vendor " + vendor->dump() + "; known: auto, nvidia, amd, intel");
            }
            profile.vendor = *choice;
        }
        if (const auto crosshair = document.find("crosshair"); crosshair != document.end()) {
            profile.crosshair = read_overlay<CrosshairSettings>(*crosshair, "/crosshair", kCrosshairFields);
            if (!profile.crosshair) {
                return std::nullopt;
            }
            clamp_crosshair_settings(*profile.crosshair);
        }
        if (const auto hud = document.find("hud"); hud != document.end()) {
            profile.hud = read_overlay<HudSettings>(*hud, "/hud", kHudFields);
            if (!profile.hud) {
                return std::nullopt;
            }
            clamp_hud_settings(*profile.hud);
        }
        return profile;
    }

    std::string error;

private:
    std::nullopt_t fail(const std::string& pointer, const std::string& message) {
        error = positions_.where(pointer) + ": " + message;
        return std::nullopt;
    }

    bool only_fields(const Json& object, const std::string& pointer,
                     std::initializer_list<std::string_view> known) {
        return only_fields(object, pointer, std::vector<std::string_view>(known));
    }
    bool only_fields(const Json& object, const std::string& pointer,
                     const std::vector<std::string_view>& known) {
        for (const auto& [key, value] : object.items()) {
            if (std::ranges::find(known, key) == known.end()) {
                std::string list;
                for (const std::string_view name : known) {
                    list += (list.empty() ? "" : ", ") + std::string(name);
                }
                error = positions_.where_key(pointer + "/" + key) + ": unknown field \"" + key +
                        "\"; the fields here are: " + list;
                return false;
            }
        }
        return true;
    }

    bool read_paths(const Json& paths, Profile& profile) {
        if (!paths.is_object()) {
            fail("/paths", "\"paths\" is an object with one entry per path");
            return false;
        }
        for (const PathKind path : profile_paths()) {
            const auto part = paths.find(path_name(path));
            if (part != paths.end() && !read_path(path, *part, profile)) {
                return false;
            }
        }
        for (const auto& item : paths.items()) {
            const std::string& key = item.key(); // named, not bound: lambdas capture it
            if (std::ranges::none_of(profile_paths(),
                                     [&](PathKind path) { return key == path_name(path); })) {
                std::string list;
                for (const PathKind path : profile_paths()) {
                    list += (list.empty() ? "" : ", ") + std::string(path_name(path));
                }
                error = positions_.where_key("/paths/" + key) + ": unknown path \"" + key +
                        "\"; the paths are: " + list;
                return false;
            }
        }
        return true;
    }

    bool read_path(PathKind path, const Json& part, Profile& profile) {
        const std::string pointer = std::string("/paths/") + path_name(path);
        if (!part.is_object()) {
            fail(pointer, "a path's entry is an object with \"preset\" and \"armed\"");
            return false;
        }
        if (!only_fields(part, pointer, {"preset", "armed"})) {
            return false;
        }
        ProfilePath read{path, preset_number(ProfilePresetIndex::Competitive), {}};
        if (const auto preset = part.find("preset"); preset != part.end()) {
            const auto index = preset->is_string() ? preset_named(preset->get<std::string>()) : std::nullopt;
            if (!index) {
                fail(pointer + "/preset",
                     "unknown preset " + preset->dump() + "; the presets are: Casual, Competitive, Streamer");
                return false;
            }
            read.preset = *index;
        }
        const auto armed = part.find("armed");
        if (armed == part.end() || !armed->is_array()) {
            fail(pointer, "a path's entry lists its armed modules in \"armed\" (an array of labels)");
            return false;
        }
        std::set<Module> seen;
        for (std::size_t i = 0; i < armed->size(); ++i) {
            const Json& label = (*armed)[i];
            const std::string at = pointer + "/armed/" + std::to_string(i);
            const auto module = label.is_string() ? find_module(label.get<std::string>()) : std::nullopt;
            if (!module || module_info(*module).block != path) {
                fail(at, "unknown module " + label.dump() + " on the " + path_name(path) +
                             " path; its modules are: " + labels_of(path));
                return false;
            }
            if (!seen.insert(*module).second) {
                fail(at, "module " + label.dump() + " is listed twice");
                return false;
            }
        }
        for (const ModuleInfo& info : module_table()) {
            if (seen.contains(info.module)) {
                read.armed.push_back(info.module);
            }
        }
        profile.paths.push_back(std::move(read));
        return true;
    }

    // An overlay's record: its fields by name, each of its own type; a field left out keeps its
    // default. Ranges are the overlay's own load clamps, applied after.
    template <typename Settings, typename Walk>
    std::optional<Settings> read_overlay(const Json& object, const std::string& pointer, Walk walk) {
        if (!object.is_object()) {
            return fail(pointer, "\"" + pointer.substr(1) + "\" is an object of named settings");
        }
        Settings settings;
        std::vector<std::string_view> names;
        walk(settings, [&names](const char* name, auto&, const auto&...) { names.push_back(name); });
        if (!only_fields(object, pointer, names)) {
            return std::nullopt;
        }
        bool read_all = true;
        walk(settings, [&](const char* name, auto& field, const auto&...) {
            const auto value = object.find(name);
            if (read_all && value != object.end() && !read_value(*value, field)) {
                fail(pointer + "/" + name, "\"" + std::string(name) + "\" must be " + kind_of(field));
                read_all = false;
            }
        });
        return read_all ? std::optional<Settings>(settings) : std::nullopt;
    }
    static bool read_value(const Json& value, bool& field) {
        if (!value.is_boolean()) {
            return false;
        }
        field = value.get<bool>();
        return true;
    }
    static bool read_value(const Json& value, int& field) {
        if (!value.is_number_integer() || value.get<std::int64_t>() < std::numeric_limits<int>::min() ||
            value.get<std::int64_t>() > std::numeric_limits<int>::max()) {
            return false;
        }
        field = static_cast<int>(value.get<std::int64_t>());
        return true;
    }
    static bool read_value(const Json& value, float& field) {
        const double number = value.is_number() ? value.get<double>() : NAN;
        if (!std::isfinite(number) || std::abs(number) > 1e6) {
            return false;
        }
        field = static_cast<float>(number);
        return true;
    }
    static bool read_value(const Json& value, CrosshairColour& field) {
        if (!value.is_array() || value.size() != field.size()) {
            return false;
        }
        CrosshairColour read{};
        for (std::size_t i = 0; i < read.size(); ++i) {
            if (!read_value(value[i], read[i]) || read[i] < 0.0f || read[i] > 1.0f) {
                return false;
            }
        }
        field = read;
        return true;
    }
    static const char* kind_of(bool) { return "true or false"; }
    static const char* kind_of(int) { return "a whole number"; }
    static const char* kind_of(float) { return "a number"; }
    static const char* kind_of(const CrosshairColour&) {
        return "four numbers from 0 to 1 (red, green, blue, alpha)";
    }

    static std::optional<std::int32_t> preset_named(const std::string& name) {
        for (const ProfilePresetIndex preset : kProfilePresets) {
            if (iequals(name, profile_preset_name(preset_number(preset)))) {
                return preset_number(preset);
            }
        }
        return std::nullopt;
    }
    static std::optional<std::int32_t> title_named(const Json& name) {
        for (const GameTitle& title : title_catalogue()) {
            if (iequals(name.get<std::string>(), title.name)) {
                return title.index;
            }
        }
        return std::nullopt;
    }
    static std::string title_names() {
        std::string list;
        for (const GameTitle& title : title_catalogue()) {
            list += (list.empty() ? "" : ", ") + std::string(title.name);
        }
        return list;
    }
    static std::string labels_of(PathKind path) {
        std::string list;
        for (const ModuleInfo& info : module_table()) {
            if (info.block == path) {
                list += (list.empty() ? "\"" : ", \"") +
                        std::string(is_cull_option(info.module) ? info.page_row : info.step_label) + "\"";
            }
        }
        return list;
    }

    const Positions& positions_;
};

// nlohmann says "[json.exception.parse_error.101] parse error at line 1, column 5: syntax error
// ..."; the reader is told "line 1, column 5: not JSON: syntax error ...".
std::string not_json_message(const std::string& what) {
    const std::size_t at = what.find("line ");
    const std::size_t colon = what.find(": ", at == std::string::npos ? 0 : at);
    if (at == std::string::npos || colon == std::string::npos) {
        return "not JSON: " + what;
    }
    return what.substr(at, colon - at) + ": not JSON: " + what.substr(colon + 2);
}

// A float as the shortest decimal that reads back as the same float: "0.35", not the double
// 0.3499999940395355 its widening gives.
double shortest_decimal(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double decimal = value;
    std::from_chars(text, written.ptr, decimal);
    return decimal;
}

template <typename Settings, typename Walk> Json overlay_json(const Settings& settings, Walk walk) {
    Json object = Json::object();
    walk(settings, [&object](const char* name, const auto& field, const auto&...) {
        using Field = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<Field, float>) {
            object[name] = shortest_decimal(field);
        } else if constexpr (std::is_same_v<Field, CrosshairColour>) {
            object[name] = Json::array();
            for (const float channel : field) {
                object[name].push_back(shortest_decimal(channel));
            }
        } else {
            object[name] = field;
        }
    });
    return object;
}

} // namespace

std::string profile_text(const Profile& profile) {
    Json paths = Json::object();
    for (const ProfilePath& part : profile.paths) {
        Json armed = Json::array();
        for (const Module module : part.armed) {
            armed.push_back(is_cull_option(module) ? module_info(module).page_row
                                                   : module_info(module).step_label);
        }
        paths[path_name(part.path)] = {{"preset", profile_preset_name(part.preset)}, {"armed", armed}};
    }
    Json document = {{"version", kProfileFormatVersion}};
    if (!profile.name.empty()) {
        document["name"] = profile.name;
    }
    document["paths"] = paths;
    if (!profile.target.empty()) {
        document["target"] = profile.target;
    }
    if (const GameTitle* title = title_at(profile.title)) {
        document["title"] = title->name;
    }
    document["gpu_vendor"] = vendor_choice_name(profile.vendor);
    if (profile.crosshair) {
        document["crosshair"] = overlay_json(*profile.crosshair, kCrosshairFields);
    }
    if (profile.hud) {
        document["hud"] = overlay_json(*profile.hud, kHudFields);
    }
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

ProfileParse parse_profile(std::string_view text) {
    ProfileParse result;
    if (text.size() > kProfileMaxBytes) {
        result.error = "the file is over 1 MiB; a profile is far smaller";
        return result;
    }
    const char* furthest = text.data();
    Positions positions(text, &furthest);
    Json document;
    try {
        document = Json::parse(TrackedIterator(text.data(), &furthest),
                               TrackedIterator(text.data() + text.size(), nullptr),
                               [&](int, nlohmann::json::parse_event_t event, Json& parsed) {
                                   return positions.on_event(event, parsed);
                               });
    } catch (const Json::parse_error& error) {
        result.error = not_json_message(error.what());
        return result;
    }
    if (positions.duplicate()) {
        result.error = positions.where_duplicate() + ": \"" +
                       positions.duplicate()->substr(positions.duplicate()->rfind('/') + 1) +
                       "\" is given twice";
        return result;
    }
    Reader reader(positions);
    result.profile = reader.read(document);
    result.error = reader.error;
    return result;
}

} // namespace tavrine
