// Writes and reads the lines of a run's history (their shapes: platform/journal/journal_record.h).
//
// Index:
//   [SECTION] Field readers: tabs, numbers, hex
//   [SECTION] Registry values
//   [SECTION] Services, SPI words and arguments
//   [SECTION] One parser per kind of line
//   [SECTION] File hashes and the copies folder
//   [SECTION] Escaping
//   [SECTION] Records
//   [SECTION] Header
//   [SECTION] Undo outcomes and the stopped end

#include "platform/journal/journal_record.h"

#include "platform/ascii.h"
#include "platform/change_text.h"
#include "platform/read_back.h"
#include "platform/registry_path.h"

#include <charconv>
#include <cstdio>
#include <cstring>

namespace tavrine {

// [SECTION] Field readers: tabs, numbers, hex ---------------------------------------------

namespace {

constexpr std::string_view kHeaderMagic = "TAVRINE HISTORY 1";
constexpr const char* kStartTypeNames[] = {"boot", "system", "automatic", "manual", "disabled"};

std::vector<std::string_view> split_tabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(tab + 1);
    }
}

bool consume(std::string_view& text, std::string_view prefix) {
    if (text.substr(0, prefix.size()) != prefix) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

// Plain decimal digits only, no sign or spaces, within 32 bits.
std::optional<std::uint32_t> parse_u32(std::string_view text) {
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint32_t> parse_hex_u32(std::string_view text) {
    if (!consume(text, "0x") || text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::string hex_u32(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%X", value);
    return buffer;
}

std::optional<std::vector<std::uint8_t>> parse_hex_bytes(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    const auto digit = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]);
        const int low = digit(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::vector<std::uint8_t> dword_bytes(std::uint32_t value) {
    std::vector<std::uint8_t> data(4);
    std::memcpy(data.data(), &value, 4);
    return data;
}

// [SECTION] Registry values ---------------------------------------------------------------

ValueView view_of(const ValueState& value) {
    return {value.present, value.type, value.data};
}

// A REG_SZ whose bytes are exactly a text and one terminator reads as that text; anything
// else (no terminator, inner zeros) is kept byte for byte.
std::optional<std::string_view> plain_text(ValueView value) {
    if (value.type != kRegSz || value.data.empty() || value.data.back() != 0) {
        return std::nullopt;
    }
    const std::string_view text(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1);
    if (text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return text;
}

bool is_dword(ValueView value) {
    return value.type == kRegDword && value.data.size() == 4;
}

std::uint32_t dword_of(ValueView value) {
    std::uint32_t result = 0;
    std::memcpy(&result, value.data.data(), 4);
    return result;
}

void append_number(std::string& out, std::uint64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void append_hex_bytes(std::string& out, std::span<const std::uint8_t> data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (const std::uint8_t byte : data) {
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
    }
}

// "type:hex", the data of a value that is neither a DWORD nor a plain text.
void append_typed_data(std::string& out, ValueView value) {
    append_number(out, value.type);
    out += ':';
    append_hex_bytes(out, value.data);
}

void append_escaped(std::string& out, std::string_view text);

// "DWORD 2", "SZ text", "TYPE 3:0a0b" or "ABSENT".
void append_value(std::string& out, ValueView value) {
    if (!value.present) {
        out += "ABSENT";
    } else if (is_dword(value)) {
        out += "DWORD ";
        append_number(out, dword_of(value));
    } else if (const auto text = plain_text(value)) {
        out += "SZ ";
        append_escaped(out, *text);
    } else {
        out += "TYPE ";
        append_typed_data(out, value);
    }
}

std::optional<ValueState> parse_typed_data(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto type = parse_u32(text.substr(0, colon));
    const auto data = parse_hex_bytes(text.substr(colon + 1));
    if (!type || !data) {
        return std::nullopt;
    }
    return ValueState{true, *type, *data};
}

std::optional<ValueState> parse_value(std::string_view text) {
    if (text == "ABSENT") {
        return ValueState{};
    }
    if (consume(text, "DWORD ")) {
        const auto value = parse_u32(text);
        return value ? std::optional<ValueState>(ValueState{true, kRegDword, dword_bytes(*value)})
                     : std::nullopt;
    }
    if (consume(text, "SZ ")) {
        auto unescaped = unescape_field(text);
        if (!unescaped || unescaped->find('\0') != std::string::npos) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> data(unescaped->begin(), unescaped->end());
        data.push_back(0);
        return ValueState{true, kRegSz, std::move(data)};
    }
    if (consume(text, "TYPE ")) {
        return parse_typed_data(text);
    }
    return std::nullopt;
}

// [SECTION] Services, SPI words and arguments ---------------------------------------------

std::string format_service(const ServiceSnapshot& state) {
    const char* start = state.start_type < 5 ? kStartTypeNames[state.start_type] : "?";
    return std::string(start) + (state.running ? "+running" : "+stopped");
}

std::optional<ServiceSnapshot> parse_service(std::string_view text) {
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view start = text.substr(0, plus);
    const std::string_view state = text.substr(plus + 1);
    for (std::uint32_t type = 0; type < 5; ++type) {
        if (start == kStartTypeNames[type] && (state == "running" || state == "stopped")) {
            return ServiceSnapshot{type, state == "running"};
        }
    }
    return std::nullopt;
}

std::string format_words(const std::vector<std::uint32_t>& words) {
    std::string text = "{";
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i != 0) {
            text += ',';
        }
        text += std::to_string(words[i]);
    }
    return text + "}";
}

// "{1,2,3}": at least one word, at most the largest record the program passes.
std::optional<std::vector<std::uint32_t>> parse_words(std::string_view text) {
    if (!consume(text, "{") || text.empty() || text.back() != '}') {
        return std::nullopt;
    }
    text.remove_suffix(1);
    std::vector<std::uint32_t> words;
    for (;;) {
        const std::size_t comma = text.find(',');
        const auto word = parse_u32(text.substr(0, comma));
        if (!word || words.size() == 16) {
            return std::nullopt;
        }
        words.push_back(*word);
        if (comma == std::string_view::npos) {
            return words;
        }
        text.remove_prefix(comma + 1);
    }
}

std::string format_argument(const SpiArgument& argument) {
    switch (argument.kind) {
    case SpiArgument::Kind::Null:
        return "pv null";
    case SpiArgument::Kind::Value:
        return "pv " + std::to_string(argument.value);
    case SpiArgument::Kind::Words:
        break;
    }
    return "pv " + format_words(argument.words);
}

std::optional<SpiArgument> parse_argument(std::string_view text) {
    if (!consume(text, "pv ")) {
        return std::nullopt;
    }
    SpiArgument argument;
    if (text == "null") {
        return argument;
    }
    if (!text.empty() && text.front() == '{') {
        auto words = parse_words(text);
        if (!words) {
            return std::nullopt;
        }
        argument.kind = SpiArgument::Kind::Words;
        argument.words = std::move(*words);
        return argument;
    }
    const auto value = parse_u32(text);
    if (!value) {
        return std::nullopt;
    }
    argument.kind = SpiArgument::Kind::Value;
    argument.value = *value;
    return argument;
}

// [SECTION] One parser per kind of line ---------------------------------------------------

std::optional<std::uint32_t> parse_labelled(std::string_view text, std::string_view label) {
    return consume(text, label) ? parse_u32(text) : std::nullopt;
}

RecordParse refuse(std::string error) {
    return {std::nullopt, std::move(error)};
}

// A key by its short hive prefix and a sub-key below the hive's root; `error` says why not.
std::optional<KeyRecord> parse_key_field(std::string_view field, std::string& error) {
    const auto key = unescape_field(field);
    ParsedRegistryPath parsed;
    // Only the short prefix the journal itself writes, in its own letter case.
    if (!key || !parse_registry_path(key->c_str(), parsed) ||
        !key->starts_with(std::string(hive_prefix(parsed.hive)) + "\\")) {
        error = "a registry key must start with HKLM\\, HKCU\\ or HKU\\";
        return std::nullopt;
    }
    if (parsed.sub_key.empty()) {
        error = "a registry line names no valid key";
        return std::nullopt;
    }
    return KeyRecord{parsed.hive, std::string(parsed.sub_key), true};
}

RecordParse parse_key_line(std::string_view verb, const std::vector<std::string_view>& fields) {
    if (fields.size() != 2) {
        return refuse("a key line has the wrong number of fields");
    }
    std::string error;
    std::optional<KeyRecord> key = parse_key_field(fields[1], error);
    if (!key) {
        return refuse(error);
    }
    key->created = verb == "KEY CREATED";
    return {JournalRecord(std::move(*key)), {}};
}

RecordParse parse_registry(std::string_view verb, const std::vector<std::string_view>& fields) {
    const bool deletes = verb == "DELETE";
    if (fields.size() != (deletes ? 4u : 5u)) {
        return refuse("a registry line has the wrong number of fields");
    }
    const auto name = unescape_field(fields[2]);
    std::string error;
    const std::optional<KeyRecord> key = parse_key_field(fields[1], error);
    if (!key || !name) {
        return refuse(key ? "a registry line names no valid value" : error);
    }
    RegistryRecord record{key->hive, key->sub_key, *name, {}, {}};
    std::string_view left = fields.back();
    if (!consume(left, "left ")) {
        return refuse("a registry line does not say what the run left");
    }
    const auto left_value = parse_value(left);
    if (!left_value) {
        return refuse("a registry line's left state is not a value");
    }
    record.left = *left_value;
    if (!deletes) {
        std::optional<ValueState> put_back;
        if (verb == "SET DWORD") {
            const auto value = parse_u32(fields[3]);
            put_back = value ? std::optional<ValueState>(ValueState{true, kRegDword, dword_bytes(*value)})
                             : std::nullopt;
        } else if (verb == "SET SZ") {
            put_back = parse_value("SZ " + std::string(fields[3]));
        } else {
            put_back = parse_typed_data(fields[3]);
        }
        if (!put_back) {
            return refuse("a registry line's value does not match its kind");
        }
        record.put_back = *put_back;
    }
    return {JournalRecord(std::move(record)), {}};
}

RecordParse parse_service_line(const std::vector<std::string_view>& fields) {
    if (fields.size() != 4) {
        return refuse("a service line has the wrong number of fields");
    }
    const auto name = unescape_field(fields[1]);
    // The service manager's limit, and no separators: a name, never a path.
    const bool plain =
        name && !name->empty() && name->size() <= 256 && name->find_first_of("\\/") == std::string::npos;
    std::string_view left = fields[3];
    const auto put_back = parse_service(fields[2]);
    const auto left_state = consume(left, "left ") ? parse_service(left) : std::nullopt;
    if (!plain || !put_back || !left_state) {
        return refuse("a service line is malformed");
    }
    return {JournalRecord(ServiceRecord{*name, *put_back, *left_state}), {}};
}

RecordParse parse_spi_line(const std::vector<std::string_view>& fields) {
    if (fields.size() != 6) {
        return refuse("a system parameter line has the wrong number of fields");
    }
    const auto action = parse_hex_u32(fields[1]);
    const auto param = parse_labelled(fields[2], "param ");
    const auto argument = parse_argument(fields[3]);
    const auto flags = parse_labelled(fields[4], "flags ");
    std::string_view left = fields[5];
    const auto left_words = consume(left, "left ") ? parse_words(left) : std::nullopt;
    if (!action || !param || !argument || !flags || !left_words) {
        return refuse("a system parameter line is malformed");
    }
    return {JournalRecord(SpiRecord{*action, *param, *argument, *flags, *left_words}), {}};
}

std::optional<std::uint64_t> parse_u64_hex(std::string_view text) {
    if (text.empty() || text.size() > 16) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::optional<std::string> parse_guid(std::string_view text) {
    return is_guid(text) && ascii_lowered(text) == text ? std::optional<std::string>(std::string(text))
                                                        : std::nullopt;
}

RecordParse parse_power_line(std::string_view verb, const std::vector<std::string_view>& fields) {
    if (verb == "POWER SCHEME") {
        std::string_view left = fields.size() == 3 ? fields[2] : std::string_view();
        const auto put_back = fields.size() == 3 ? parse_guid(fields[1]) : std::nullopt;
        const auto left_guid = consume(left, "left ") ? parse_guid(left) : std::nullopt;
        if (!put_back || !left_guid) {
            return refuse("a power scheme line is malformed");
        }
        return {JournalRecord(PowerSchemeRecord{*put_back, *left_guid}), {}};
    }
    if (fields.size() != 7) {
        return refuse("a power setting line has the wrong number of fields");
    }
    const auto scheme = parse_guid(fields[1]);
    const auto group = parse_guid(fields[2]);
    const auto setting = parse_guid(fields[3]);
    const auto put_back = parse_u32(fields[5]);
    std::string_view left = fields[6];
    const auto left_value = consume(left, "left ") ? parse_u32(left) : std::nullopt;
    if (!scheme || !group || !setting || !(fields[4] == "AC" || fields[4] == "DC") || !put_back ||
        !left_value) {
        return refuse("a power setting line is malformed");
    }
    return {JournalRecord(
                PowerIndexRecord{{*scheme, *group, *setting, fields[4] == "AC"}, *put_back, *left_value}),
            {}};
}

// A drive-rooted path with no step up: the only kind of file a run writes.
bool plain_absolute_path(std::string_view path) {
    const bool rooted = path.size() > 3 &&
                        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                        path[1] == ':' && path[2] == '\\';
    return rooted && path.size() < 32768 && path.find("\\..") == std::string_view::npos &&
           path.find('/') == std::string_view::npos;
}

// "1.bin": digits and the extension, never a path.
bool plain_copy_name(std::string_view name) {
    return name.size() > 4 && name.size() < 16 && name.substr(name.size() - 4) == ".bin" &&
           name.substr(0, name.size() - 4).find_first_not_of("0123456789") == std::string_view::npos;
}

RecordParse parse_file_line(const std::vector<std::string_view>& fields) {
    if (fields.size() != 4) {
        return refuse("a file line has the wrong number of fields");
    }
    const auto path = unescape_field(fields[1]);
    const std::string_view copy = fields[2];
    std::string_view left = fields[3];
    const std::size_t colon = left.find(':');
    const bool has_left = consume(left, "left ") && colon != std::string_view::npos;
    const auto size = has_left ? parse_u32(left.substr(0, left.find(':'))) : std::nullopt;
    const auto hash = has_left ? parse_u64_hex(left.substr(left.find(':') + 1)) : std::nullopt;
    if (!path || !plain_absolute_path(*path) || !(copy == "ABSENT" || plain_copy_name(copy)) || !size ||
        !hash) {
        return refuse("a file line is malformed");
    }
    return {JournalRecord(FileRecord{*path, copy == "ABSENT" ? "" : std::string(copy), *size, *hash}), {}};
}

std::optional<bool> parse_presence(std::string_view text) {
    if (text == "present" || text == "absent") {
        return text == "present";
    }
    return std::nullopt;
}

RecordParse parse_task_line(const std::vector<std::string_view>& fields) {
    std::string_view left = fields.size() == 4 ? fields[3] : std::string_view();
    const auto put_back = fields.size() == 4 ? parse_presence(fields[2]) : std::nullopt;
    const auto left_state = consume(left, "left ") ? parse_presence(left) : std::nullopt;
    if (fields.size() != 4 || fields[1] != kLogonTaskName || !put_back || !left_state) {
        return refuse("a task line is malformed or names a task that is not the program's");
    }
    return {JournalRecord(TaskRecord{std::string(kLogonTaskName), *put_back, *left_state}), {}};
}

const char* presence(bool present) {
    return present ? "present" : "absent";
}

} // namespace

// [SECTION] File hashes and the copies folder ---------------------------------------------

std::uint64_t content_hash(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    }
    return hash;
}

std::string copies_folder_of(std::string_view history_path) {
    std::string folder(history_path);
    if (folder.size() > 4 && folder.substr(folder.size() - 4) == ".txt") {
        folder.resize(folder.size() - 4);
    }
    return folder + ".files";
}

// [SECTION] Escaping ----------------------------------------------------------------------

namespace {

// True when none of the eight bytes of `word` needs escaping: no control byte, DEL or '%'.
bool plain_word(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    // Any byte below n (n at most 128), and any zero byte, without a branch per byte.
    const auto any_below = [](std::uint64_t v, std::uint64_t n) {
        return ((v - kOnes * n) & ~v & kHighs) != 0;
    };
    return !any_below(word, 0x20) && !any_below(word ^ (kOnes * 0x7F), 1) &&
           !any_below(word ^ (kOnes * '%'), 1);
}

// Appends `text` escaped; nearly every field has nothing to escape, so it is copied in one go.
void append_escaped(std::string& out, std::string_view text) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    // It runs over every field of every line a run writes: eight bytes at a time up to the
    // first that needs escaping, then byte by byte.
    const char* const end = text.data() + text.size();
    const char* cursor = text.data();
    for (std::uint64_t word = 0; end - cursor >= 8; cursor += 8) {
        std::memcpy(&word, cursor, 8);
        if (!plain_word(word)) {
            break;
        }
    }
    while (cursor != end && static_cast<unsigned char>(*cursor) >= 0x20 && *cursor != 0x7F &&
           *cursor != '%') {
        ++cursor;
    }
    out.append(text.data(), cursor);
    for (; cursor != end; ++cursor) {
        const auto byte = static_cast<unsigned char>(*cursor);
        if (byte >= 0x20 && byte != 0x7F && byte != '%') {
            out += *cursor;
        } else {
            out += '%';
            out += kDigits[byte >> 4];
            out += kDigits[byte & 0xF];
        }
    }
}

} // namespace

std::string escape_field(std::string_view text) {
    std::string out;
    append_escaped(out, text);
    return out;
}

std::optional<std::string> unescape_field(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) {
            return std::nullopt; // a raw control byte was never written by us
        }
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const auto value = parse_hex_u32("0x" + std::string(text.substr(i + 1, 2)));
        if (!value) {
            return std::nullopt;
        }
        out += static_cast<char>(*value);
        i += 2;
    }
    return out;
}

// [SECTION] Records -----------------------------------------------------------------------

void append_registry_line(std::string& out, Hive hive, std::string_view sub_key, std::string_view name,
                          ValueView put_back, ValueView left) {
    const std::optional<std::string_view> text =
        put_back.present && !is_dword(put_back) ? plain_text(put_back) : std::nullopt;
    out += !put_back.present    ? "DELETE\t"
           : is_dword(put_back) ? "SET DWORD\t"
           : text               ? "SET SZ\t"
                                : "SET TYPE\t";
    out += hive_prefix(hive); // key_display_path, escaped in place
    out += '\\';
    append_escaped(out, sub_key);
    out += '\t';
    append_escaped(out, name);
    out += '\t';
    if (put_back.present) {
        if (is_dword(put_back)) {
            append_number(out, dword_of(put_back));
        } else if (text) {
            append_escaped(out, *text);
        } else {
            append_typed_data(out, put_back);
        }
        out += '\t';
    }
    out += "left ";
    append_value(out, left);
}

std::string format_record(const JournalRecord& record) {
    if (const auto* registry = std::get_if<RegistryRecord>(&record)) {
        std::string line;
        append_registry_line(line, registry->hive, registry->sub_key, registry->name,
                             view_of(registry->put_back), view_of(registry->left));
        return line;
    }
    if (const auto* key = std::get_if<KeyRecord>(&record)) {
        return std::string(key->created ? "KEY CREATED\t" : "KEY DELETED\t") +
               escape_field(key_display_path(key->hive, key->sub_key));
    }
    if (const auto* service = std::get_if<ServiceRecord>(&record)) {
        return "SERVICE\t" + escape_field(service->name) + "\t" + format_service(service->put_back) +
               "\tleft " + format_service(service->left);
    }
    if (const auto* spi = std::get_if<SpiRecord>(&record)) {
        return "SPI\t" + hex_u32(spi->action) + "\tparam " + std::to_string(spi->param) + "\t" +
               format_argument(spi->argument) + "\tflags " + std::to_string(spi->flags) + "\tleft " +
               format_words(spi->left);
    }
    if (const auto* scheme = std::get_if<PowerSchemeRecord>(&record)) {
        return "POWER SCHEME\t" + scheme->put_back + "\tleft " + scheme->left;
    }
    if (const auto* index = std::get_if<PowerIndexRecord>(&record)) {
        const PowerSetting& setting = index->setting;
        return "POWER INDEX\t" + setting.scheme + "\t" + setting.sub_group + "\t" + setting.setting +
               (setting.ac ? "\tAC\t" : "\tDC\t") + std::to_string(index->put_back) + "\tleft " +
               std::to_string(index->left);
    }
    if (const auto* qos = std::get_if<QosRecord>(&record)) {
        return "QOS\t" + escape_field(qos->policy);
    }
    if (const auto* file = std::get_if<FileRecord>(&record)) {
        char hash[20];
        std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(file->left_hash));
        return "FILE\t" + escape_field(file->path) + "\t" + (file->copy.empty() ? "ABSENT" : file->copy) +
               "\tleft " + std::to_string(file->left_size) + ":" + hash;
    }
    if (const auto* task = std::get_if<TaskRecord>(&record)) {
        return "TASK\t" + escape_field(task->name) + "\t" + presence(task->put_back_present) + "\tleft " +
               presence(task->left_present);
    }
    return "CANNOT\t" + escape_field(std::get<CannotRecord>(record).text);
}

RecordParse parse_record(std::string_view line) {
    const std::vector<std::string_view> fields = split_tabs(line);
    const std::string_view verb = fields[0];
    if (verb == "SET DWORD" || verb == "SET SZ" || verb == "SET TYPE" || verb == "DELETE") {
        return parse_registry(verb, fields);
    }
    if (verb == "KEY CREATED" || verb == "KEY DELETED") {
        return parse_key_line(verb, fields);
    }
    if (verb == "SERVICE") {
        return parse_service_line(fields);
    }
    if (verb == "SPI") {
        return parse_spi_line(fields);
    }
    if (verb == "POWER SCHEME" || verb == "POWER INDEX") {
        return parse_power_line(verb, fields);
    }
    if (verb == "QOS") {
        if (fields.size() != 2 || fields[1] != kQosPolicyName) {
            return refuse("a QoS line names a policy that is not the program's");
        }
        return {JournalRecord(QosRecord{std::string(kQosPolicyName)}), {}};
    }
    if (verb == "FILE") {
        return parse_file_line(fields);
    }
    if (verb == "TASK") {
        return parse_task_line(fields);
    }
    if (verb == "CANNOT") {
        const auto text = fields.size() == 2 ? unescape_field(fields[1]) : std::nullopt;
        if (!text || text->empty()) {
            return refuse("a line of what cannot be undone is malformed");
        }
        return {JournalRecord(CannotRecord{*text}), {}};
    }
    return refuse("unknown kind of line");
}

// [SECTION] Header ------------------------------------------------------------------------

std::string format_header(const JournalHeader& header) {
    std::string line =
        std::string(kHeaderMagic) + "\t" + escape_field(header.time) + "\t" + escape_field(header.what);
    if (!header.id.empty()) {
        line += "\tid " + escape_field(header.id);
    }
    if (!header.undoes.empty()) {
        line += "\tundoes " + escape_field(header.undoes);
    }
    return line;
}

std::optional<JournalHeader> parse_header(std::string_view line) {
    const std::vector<std::string_view> fields = split_tabs(line);
    if (fields.size() < 3 || fields.size() > 5 || fields[0] != kHeaderMagic) {
        return std::nullopt;
    }
    JournalHeader header;
    const auto time = unescape_field(fields[1]);
    const auto what = unescape_field(fields[2]);
    if (!time || !what || what->empty()) {
        return std::nullopt;
    }
    header.time = *time;
    header.what = *what;
    // Then "id …" (written since history moved to its protected folder) and "undoes …", each
    // at most once and in that order.
    std::size_t next = 3;
    if (next < fields.size()) {
        std::string_view id = fields[next];
        if (consume(id, "id ")) {
            const auto text = unescape_field(id);
            if (!text || text->empty()) {
                return std::nullopt;
            }
            header.id = *text;
            ++next;
        }
    }
    if (next < fields.size()) {
        std::string_view undoes = fields[next];
        const auto id = consume(undoes, "undoes ") ? unescape_field(undoes) : std::nullopt;
        if (!id || id->empty()) {
            return std::nullopt;
        }
        header.undoes = *id;
        ++next;
    }
    if (next != fields.size()) {
        return std::nullopt;
    }
    return header;
}

// [SECTION] Undo outcomes and the stopped end ---------------------------------------------

namespace {

constexpr std::string_view kOutcomeVerb = "UNDID";
constexpr std::pair<RecordFate, std::string_view> kFateWords[] = {
    {RecordFate::Restored, "restored"},
    {RecordFate::ChangedSince, "changed since"},
    {RecordFate::Cannot, "cannot"},
    {RecordFate::Refused, "refused"},
};

} // namespace

std::string format_outcome(const RecordOutcome& outcome) {
    std::string line(kOutcomeVerb);
    line += '\t';
    append_number(line, outcome.record);
    line += '\t';
    for (const auto& [fate, word] : kFateWords) {
        if (fate == outcome.fate) {
            line += word;
        }
    }
    return line;
}

std::optional<RecordOutcome> parse_outcome(std::string_view line) {
    const std::vector<std::string_view> fields = split_tabs(line);
    if (fields.size() != 3 || fields[0] != kOutcomeVerb || fields[1].starts_with('0')) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> record = parse_u32(fields[1]);
    if (!record) {
        return std::nullopt;
    }
    for (const auto& [fate, word] : kFateWords) {
        if (fields[2] == word) {
            return RecordOutcome{*record, fate};
        }
    }
    return std::nullopt;
}

std::string stopped_note(int completed_steps, int total_steps) {
    return "stopped after step " + std::to_string(completed_steps) + " of " + std::to_string(total_steps);
}

std::optional<std::string> parse_stopped_end(std::string_view line) {
    constexpr std::string_view kPrefix = "END\tstopped after step ";
    if (line.substr(0, kPrefix.size()) != kPrefix) {
        return std::nullopt;
    }
    std::string_view rest = line.substr(kPrefix.size());
    const std::size_t of = rest.find(" of ");
    const auto number = [](std::string_view digits) -> std::optional<int> {
        // A step of an undo is one record: an entry may hold many thousands.
        if (digits.empty() || digits.size() > 7 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos) {
            return std::nullopt;
        }
        return std::stoi(std::string(digits));
    };
    const std::optional<int> completed =
        of == std::string_view::npos ? std::nullopt : number(rest.substr(0, of));
    const std::optional<int> total = completed ? number(rest.substr(of + 4)) : std::nullopt;
    if (!total || *completed > *total) {
        return std::nullopt;
    }
    return stopped_note(*completed, *total);
}

} // namespace tavrine
