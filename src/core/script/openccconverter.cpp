#include "script/openccconverter.h"

#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/Dict.hpp>
#include <opencc/DictEntry.hpp>
#include <opencc/Exception.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MaxMatchSegmentation.hpp>

#include <map>
#include <mutex>
#include <vector>

#ifndef TIBBO_OPENCC_DATA_DIR
#define TIBBO_OPENCC_DATA_DIR "/usr/share/opencc"
#endif

namespace tibbo::core {

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;

// Characters OpenCC can be given: Unicode scalar values but NUL (its strings end there).
bool convertible(char32_t c)
{
    return c != 0 && c <= kLastCodePoint && (c < 0xD800 || c > 0xDFFF);
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

size_t utf8Length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

// The code point at p (valid UTF-8 of at least one whole character).
char32_t codePointAt(const char *p)
{
    const auto b = [p](int i) { return static_cast<char32_t>(static_cast<unsigned char>(p[i])); };
    switch (utf8Length(static_cast<unsigned char>(p[0]))) {
    case 1:
        return b(0);
    case 2:
        return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    case 3:
        return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    default:
        return (b(0) & 0x07) << 18 | (b(1) & 0x3F) << 12 | (b(2) & 0x3F) << 6 | (b(3) & 0x3F);
    }
}

int64_t characterCount(const std::string &utf8)
{
    int64_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

void appendDecoded(std::u32string &out, const std::string &utf8)
{
    for (size_t i = 0; i < utf8.size();) {
        out.push_back(codePointAt(utf8.data() + i));
        i += utf8Length(static_cast<unsigned char>(utf8[i]));
    }
}

// One dictionary step: the dictionary, and which characters start one of its keys.
struct DictStep
{
    opencc::DictPtr dict;
    std::vector<bool> keyStarts;

    explicit DictStep(opencc::DictPtr d) : dict(std::move(d)), keyStarts(kLastCodePoint + 1)
    {
        // Some dictionaries make their lexicon on request: keep it while it is read.
        const opencc::LexiconPtr lexicon = dict->GetLexicon();
        for (const auto &entry : *lexicon) {
            const std::string key = entry->Key();
            if (!key.empty())
                keyStarts[codePointAt(key.c_str())] = true;
        }
    }

    // The longest key at p (end: the end of the text); nullptr when none.
    const opencc::DictEntry *match(const char *p, const char *end) const
    {
        if (!keyStarts[codePointAt(p)])
            return nullptr;
        const auto found = dict->MatchPrefix(p, static_cast<size_t>(end - p));
        return found.IsNull() ? nullptr : found.Get();
    }
};

// A run of a segment whose converted length differs from its original, in the
// coordinates of the segment's text after the passes so far.
struct Block
{
    int64_t start = 0;
    int64_t length = 0;
    int64_t originalLength = 0;
};

// A phrase one pass replaced by one of another length, in the pass's input coordinates.
struct PassChange
{
    int64_t start = 0;
    int64_t length = 0;
    int64_t outputLength = 0;
};

// The blocks after a pass: where blocks of the earlier passes and changes of this one
// overlap they become one block, and everything moves by the changes before it.
std::vector<Block> compose(const std::vector<Block> &blocks, const std::vector<PassChange> &changes)
{
    struct Merged
    {
        int64_t start, end, earlierDelta, passDelta;
    };
    std::vector<Merged> merged;
    size_t i = 0;
    size_t j = 0;
    while (i < blocks.size() || j < changes.size()) {
        const bool takeBlock =
            j == changes.size() || (i < blocks.size() && blocks[i].start <= changes[j].start);
        Merged next{};
        if (takeBlock) {
            const Block &b = blocks[i++];
            next = {b.start, b.start + b.length, b.length - b.originalLength, 0};
        } else {
            const PassChange &c = changes[j++];
            next = {c.start, c.start + c.length, 0, c.length - c.outputLength};
        }
        if (!merged.empty() && next.start < merged.back().end) {
            Merged &last = merged.back();
            last.end = std::max(last.end, next.end);
            last.earlierDelta += next.earlierDelta;
            last.passDelta += next.passDelta;
        } else {
            merged.push_back(next);
        }
    }
    std::vector<Block> out;
    int64_t shift = 0;
    for (const Merged &m : merged) {
        const int64_t length = m.end - m.start;
        out.push_back({m.start + shift, length - m.passDelta, length - m.earlierDelta});
        shift -= m.passDelta;
    }
    return out;
}

} // namespace

struct OpenccConverter::Steps
{
    opencc::ConverterPtr converter; // owns the dictionaries
    std::unique_ptr<DictStep> segmentation;
    std::vector<DictStep> passes;

    // Converts one segment (UTF-8) through every pass and appends it to `out`; the
    // segment starts at original offset `original`.
    void convertSegment(std::string text, int64_t original, ConvertedRun &out) const
    {
        std::vector<Block> blocks;
        std::string next;
        std::vector<PassChange> changes;
        for (const DictStep &pass : passes) {
            next.clear();
            next.reserve(text.size());
            changes.clear();
            const char *p = text.data();
            const char *end = p + text.size();
            int64_t at = 0;
            while (p < end) {
                if (const opencc::DictEntry *entry = pass.match(p, end)) {
                    const std::string key = entry->Key();
                    const std::string value = entry->GetDefault();
                    const int64_t keyLength = characterCount(key);
                    const int64_t valueLength = characterCount(value);
                    if (keyLength != valueLength)
                        changes.push_back({at, keyLength, valueLength});
                    next += value;
                    p += key.size();
                    at += keyLength;
                } else {
                    const size_t n = utf8Length(static_cast<unsigned char>(*p));
                    next.append(p, n);
                    p += n;
                    ++at;
                }
            }
            if (!changes.empty())
                blocks = compose(blocks, changes);
            text.swap(next);
        }
        const auto converted = static_cast<int64_t>(out.text.size());
        appendDecoded(out.text, text);
        int64_t shift = 0; // converted minus original, before the block
        for (const Block &b : blocks) {
            out.map.add(
                {original + b.start - shift, b.originalLength, converted + b.start, b.length});
            shift += b.length - b.originalLength;
        }
    }

    // A run of convertible characters: cut into segments at the segmentation
    // dictionary's longest phrases, each converted on its own.
    void convertRun(std::u32string_view run, int64_t original, ConvertedRun &out) const
    {
        std::string utf8;
        utf8.reserve(run.size() * 3);
        for (const char32_t c : run)
            appendUtf8(utf8, c);
        const char *p = utf8.data();
        const char *end = p + utf8.size();
        const char *pending = p;
        int64_t at = original;
        int64_t pendingAt = original;
        const auto flush = [&](const char *upTo) {
            if (upTo > pending)
                convertSegment(std::string(pending, upTo), pendingAt, out);
        };
        while (p < end) {
            const opencc::DictEntry *entry = segmentation ? segmentation->match(p, end) : nullptr;
            if (!entry) {
                p += utf8Length(static_cast<unsigned char>(*p));
                ++at;
                continue;
            }
            flush(p);
            const std::string key = entry->Key();
            convertSegment(key, at, out);
            p += key.size();
            at += characterCount(key);
            pending = p;
            pendingAt = at;
        }
        flush(end);
    }
};

OpenccConverter::OpenccConverter(std::unique_ptr<Steps> steps) : m_steps(std::move(steps)) {}
OpenccConverter::~OpenccConverter() = default;

std::string OpenccConverter::dataFolder()
{
    return TIBBO_OPENCC_DATA_DIR;
}

std::unique_ptr<OpenccConverter> OpenccConverter::fromConfig(const std::string &configPath,
                                                             std::string *error)
{
    try {
        auto steps = std::make_unique<Steps>();
        opencc::Config config;
        steps->converter = config.NewFromFile(configPath);
        if (const auto mmseg = std::dynamic_pointer_cast<opencc::MaxMatchSegmentation>(
                steps->converter->GetSegmentation()))
            steps->segmentation = std::make_unique<DictStep>(mmseg->GetDict());
        for (const auto &conversion : steps->converter->GetConversionChain()->GetConversions())
            steps->passes.emplace_back(conversion->GetDict());
        return std::unique_ptr<OpenccConverter>(new OpenccConverter(std::move(steps)));
    } catch (const std::exception &e) {
        if (error)
            *error = e.what();
        return nullptr;
    }
}

std::shared_ptr<const PhraseConverter> OpenccConverter::forMode(ScriptMode mode, std::string *error)
{
    const std::string_view config = conversionConfigOf(mode);
    if (config.empty())
        return nullptr;
    static std::mutex lock;
    static std::map<ScriptMode, std::shared_ptr<const PhraseConverter>> loaded;
    static std::map<ScriptMode, std::string> failures;
    const std::scoped_lock guard(lock);
    if (const auto found = loaded.find(mode); found != loaded.end())
        return found->second;
    if (const auto failed = failures.find(mode); failed != failures.end()) {
        if (error)
            *error = failed->second;
        return nullptr;
    }
    std::string reason;
    std::shared_ptr<const PhraseConverter> converter =
        fromConfig(dataFolder() + "/" + std::string(config) + ".json", &reason);
    if (!converter) {
        failures[mode] = reason;
        if (error)
            *error = reason;
        return nullptr;
    }
    loaded[mode] = converter;
    return converter;
}

ConvertedRun OpenccConverter::convert(std::u32string_view text) const
{
    ConvertedRun out;
    out.text.reserve(text.size());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && convertible(text[end]))
            ++end;
        if (end > start)
            m_steps->convertRun(text.substr(start, end - start), static_cast<int64_t>(start), out);
        if (end < text.size()) // a character OpenCC cannot take stays as it is
            out.text.push_back(text[end]);
        start = end + 1;
    }
    return out;
}

} // namespace tibbo::core
