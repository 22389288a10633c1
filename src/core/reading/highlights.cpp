#include "reading/highlights.h"

#include "bookmarks/bookmarkstore.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <tuple>

namespace tibbo::core {

namespace {

constexpr std::string_view kFormat = "tibboread-highlights";
constexpr std::string_view kSuffix = ".notes.json";
constexpr std::string_view kMarkSuffix = ".mark";
// Characters of anchor text a file may hold per side, and of a chapter heading; more is
// damage (the reader never writes it).
constexpr size_t kLongestAnchorText = 4 * kAnchorContext;
constexpr size_t kLongestHeading = 1000;
// Offsets are characters of a book; no book comes near this.
constexpr int64_t kLargestOffset = int64_t{1} << 40;

using Json = nlohmann::json;

std::string hex16(uint64_t value)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4)
        hex[static_cast<size_t>(i)] = kDigits[value & 15];
    return hex;
}

std::optional<uint64_t> parseHex16(const std::string &text)
{
    if (text.size() != 16)
        return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | static_cast<uint64_t>(digit);
    }
    return value;
}

// A whole number within [least, most]; nothing for a fraction, a string, a boolean.
std::optional<int64_t> integerIn(const Json &value, int64_t least, int64_t most)
{
    if (!value.is_number_integer())
        return std::nullopt;
    int64_t number = 0;
    if (value.is_number_unsigned()) {
        const auto u = value.get<uint64_t>();
        if (u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return std::nullopt;
        number = static_cast<int64_t>(u);
    } else {
        number = value.get<int64_t>();
    }
    if (number < least || number > most)
        return std::nullopt;
    return number;
}

// A string of at most `longest` characters; nothing for another type or a longer one.
// nlohmann's parser has already refused bytes that are not UTF-8.
std::optional<std::u32string> textIn(const Json &value, size_t longest)
{
    if (!value.is_string())
        return std::nullopt;
    std::u32string text = fromUtf8(value.get<std::string>());
    if (text.size() > longest)
        return std::nullopt;
    return text;
}

// One entry, every field checked; nothing when any is missing, mistyped or out of range.
std::optional<Highlight> highlightIn(const Json &entry)
{
    if (!entry.is_object())
        return std::nullopt;
    const auto field = [&entry](const char *name) -> const Json * {
        const auto at = entry.find(name);
        return at == entry.end() ? nullptr : &*at;
    };
    Highlight h;
    const Json *start = field("start");
    const Json *length = field("length");
    const Json *colour = field("colour");
    const Json *created = field("created");
    if (!start || !length || !colour || !created)
        return std::nullopt;
    const auto startValue = integerIn(*start, 0, kLargestOffset);
    const auto lengthValue = integerIn(*length, 1, kLargestOffset);
    const auto colourValue = integerIn(*colour, 0, kHighlightColours - 1);
    const auto createdValue = integerIn(*created, 0, std::numeric_limits<int64_t>::max() / 1000);
    if (!startValue || !lengthValue || !colourValue || !createdValue)
        return std::nullopt;
    h.start = *startValue;
    h.length = *lengthValue;
    h.colour = static_cast<int>(*colourValue);
    h.created = *createdValue;
    h.anchor.offset = h.start;
    // The optional fields: absent is their empty value, present must be right.
    const auto optionalText = [&field](const char *name, size_t longest, std::u32string &into) {
        const Json *value = field(name);
        if (!value)
            return true;
        auto text = textIn(*value, longest);
        if (!text)
            return false;
        into = std::move(*text);
        return true;
    };
    if (!optionalText("note", kLongestNote, h.note) ||
        !optionalText("before", kLongestAnchorText, h.anchor.before) ||
        !optionalText("after", kLongestAnchorText, h.anchor.after) ||
        !optionalText("chapter", kLongestHeading, h.anchor.chapterTitle))
        return std::nullopt;
    if (const Json *index = field("chapterIndex")) {
        const auto value = integerIn(*index, -1, kLargestOffset);
        if (!value)
            return std::nullopt;
        h.anchor.chapterIndex = *value;
    }
    if (const Json *into = field("intoChapter")) {
        const auto value = integerIn(*into, 0, kLargestOffset);
        if (!value)
            return std::nullopt;
        h.anchor.intoChapter = *value;
    }
    if (const Json *lost = field("lost")) {
        if (!lost->is_boolean())
            return std::nullopt;
        h.lost = lost->get<bool>();
    }
    return h;
}

bool bookOrder(const Highlight &a, const Highlight &b)
{
    return std::tie(a.start, a.length) < std::tie(b.start, b.length);
}

} // namespace

std::string highlightFileBytes(const HighlightFile &file)
{
    Json root = Json::object();
    root["format"] = kFormat;
    root["version"] = kHighlightFileVersion;
    if (file.identity)
        root["text"] = {{"characters", file.identity->characters},
                        {"hash", hex16(file.identity->hash)}};
    std::vector<Highlight> ordered = file.highlights;
    std::stable_sort(ordered.begin(), ordered.end(), bookOrder);
    Json list = Json::array();
    for (const Highlight &h : ordered) {
        Json entry = {{"start", h.start},
                      {"length", h.length},
                      {"colour", h.colour},
                      {"note", toUtf8(h.note)},
                      {"created", h.created},
                      {"before", toUtf8(h.anchor.before)},
                      {"after", toUtf8(h.anchor.after)},
                      {"chapter", toUtf8(h.anchor.chapterTitle)},
                      {"chapterIndex", h.anchor.chapterIndex},
                      {"intoChapter", h.anchor.intoChapter},
                      {"lost", h.lost}};
        list.push_back(std::move(entry));
    }
    root["highlights"] = std::move(list);
    // One entry a line: a person can read it, and a diff shows what changed.
    std::string bytes = "{\n";
    bytes += "  \"format\": " + root["format"].dump() + ",\n";
    bytes += "  \"version\": " + root["version"].dump() + ",\n";
    if (root.contains("text"))
        bytes += "  \"text\": " + root["text"].dump() + ",\n";
    bytes += "  \"highlights\": [";
    const Json &entries = root["highlights"];
    for (size_t i = 0; i < entries.size(); ++i)
        bytes += (i ? ",\n    " : "\n    ") + entries[i].dump();
    bytes += entries.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return bytes;
}

ParsedHighlights parseHighlightFile(std::string_view bytes)
{
    ParsedHighlights parsed;
    Json root;
    try {
        root = Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::exception &) {
        parsed.damaged = true;
        return parsed;
    }
    const auto version = root.is_object() && root.contains("version")
                             ? integerIn(root["version"], 1, kHighlightFileVersion)
                             : std::nullopt;
    if (!root.is_object() || !root.contains("format") || root["format"] != kFormat || !version ||
        !root.contains("highlights") || !root["highlights"].is_array()) {
        parsed.damaged = true;
        return parsed;
    }
    if (root.contains("text")) {
        const Json &text = root["text"];
        std::optional<int64_t> characters;
        std::optional<uint64_t> hash;
        if (text.is_object() && text.contains("characters") && text.contains("hash") &&
            text["hash"].is_string()) {
            characters = integerIn(text["characters"], 0, kLargestOffset);
            hash = parseHex16(text["hash"].get<std::string>());
        }
        if (characters && hash)
            parsed.file.identity = TextIdentity{*characters, *hash};
        else
            parsed.damaged = true;
    }
    for (const Json &entry : root["highlights"]) {
        if (auto h = highlightIn(entry))
            parsed.file.highlights.push_back(std::move(*h));
        else
            parsed.damaged = true;
    }
    std::stable_sort(parsed.file.highlights.begin(), parsed.file.highlights.end(), bookOrder);
    return parsed;
}

std::string highlightFileName(std::string_view bookPath)
{
    // The mark file's name, its ".mark" given for ".notes.json"; room is left for ".bak".
    std::string name = markFileName(bookPath);
    name.resize(name.size() - kMarkSuffix.size());
    const size_t longest = kLongestMarkFileName - std::string_view(".bak").size();
    if (name.size() + kSuffix.size() > longest) {
        // A long name: its cut kept "~" + 16 hex digits at the end (or it is cut here).
        const size_t hashed = std::string_view("~0123456789abcdef").size();
        std::string tail = name.size() >= hashed && name[name.size() - hashed] == '~'
                               ? name.substr(name.size() - hashed)
                               : std::string();
        size_t cut = longest - kSuffix.size() - tail.size();
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name = name.substr(0, cut) + tail;
    }
    return name + std::string(kSuffix);
}

std::string highlightFilePath(std::string_view appDir, std::string_view bookPath)
{
    return std::string(appDir) + "/" + highlightFileName(bookPath);
}

LoadedHighlights loadHighlights(const std::string &appDir, std::string_view bookPath)
{
    LoadedHighlights loaded;
    const std::string path = highlightFilePath(appDir, bookPath);
    ReadFailure failure = ReadFailure::None;
    const auto bytes = readFile(path, &failure, kLargestHighlightFile);
    if (!bytes) {
        // Missing is no damage; a folder or a huge file in its place is.
        if (failure == ReadFailure::CannotOpen && !fileExists(path))
            return loaded;
        loaded.damaged = true;
        loaded.backupFailed = true;
        return loaded;
    }
    ParsedHighlights parsed = parseHighlightFile(*bytes);
    loaded.file = std::move(parsed.file);
    loaded.damaged = parsed.damaged;
    if (parsed.damaged) {
        // The file as it was stays in ".bak" before anything is written over it.
        if (writeFileAtomically(path + ".bak", *bytes))
            saveHighlights(appDir, bookPath, loaded.file);
        else
            loaded.backupFailed = true;
    }
    return loaded;
}

bool saveHighlights(const std::string &appDir, std::string_view bookPath, const HighlightFile &file)
{
    const std::string path = highlightFilePath(appDir, bookPath);
    if (file.highlights.empty())
        return std::remove(path.c_str()) == 0 || errno == ENOENT;
    return writeFileAtomically(path, highlightFileBytes(file));
}

size_t insertHighlight(std::vector<Highlight> &list, Highlight highlight)
{
    const auto at = std::upper_bound(list.begin(), list.end(), highlight, bookOrder);
    const auto index = at - list.begin();
    list.insert(at, std::move(highlight));
    return static_cast<size_t>(index);
}

std::vector<size_t> highlightsAt(const std::vector<Highlight> &list, int64_t offset)
{
    std::vector<size_t> found;
    // In book order, so the last one starting at or before `offset` is tried first.
    const auto past =
        std::upper_bound(list.begin(), list.end(), offset,
                         [](int64_t value, const Highlight &h) { return value < h.start; });
    for (auto it = past; it != list.begin();) {
        --it;
        if (!it->lost && offset < it->end())
            found.push_back(static_cast<size_t>(it - list.begin()));
    }
    return found;
}

std::optional<size_t> highlightOf(const std::vector<Highlight> &list, int64_t from, int64_t to)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (!list[i].lost && list[i].start == from && list[i].end() == to)
            return i;
    return std::nullopt;
}

} // namespace tibbo::core
