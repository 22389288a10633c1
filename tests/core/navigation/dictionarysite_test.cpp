#include "navigation/dictionarysite.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tibbo::core {
namespace {

TEST(SiteTemplate, eachKindOfTemplate_isTakenOrRefusedForItsReason)
{
    using P = SiteTemplateProblem;
    struct Row
    {
        const char *name;
        std::string urlTemplate;
        std::optional<P> problem;
    };
    const Row rows[] = {
        {"path placeholder", "https://www.zdic.net/hans/{word}", std::nullopt},
        {"query with %s", "http://example.org/search?q=%s&lang=zh", std::nullopt},
        {"blanks around are ignored", "  https://example.org/%s\n", std::nullopt},
        {"upper-case scheme", "HTTPS://example.org/{word}", std::nullopt},
        // A percent-encoded byte of the template is not taken for the word's place.
        {"percent-encoded byte beside the word", "https://example.org/%E8%AF%8D/{word}",
         std::nullopt},
        {"fragment after the word", "https://example.org/?q={word}#top", std::nullopt},
        // Only the web: a template must not open a program or a local file.
        {"file scheme", "file:///home/reader/{word}", P::NotWeb},
        {"javascript", "javascript:alert('%s')", P::NotWeb},
        {"no scheme", "www.zdic.net/hans/{word}", P::NotWeb},
        {"empty", "", P::NotWeb},
        {"no host", "https:///{word}", P::NotWeb},
        // The word must not choose the site it goes to.
        {"word as the host", "https://{word}/", P::NotWeb},
        {"word in the host", "https://%s.example.org/", P::NotWeb},
        {"no placeholder", "https://www.zdic.net/", P::NoPlaceholder},
        {"two placeholders", "https://example.org/{word}?again=%s", P::TwoPlaceholders},
        {"the same twice", "https://example.org/%s/%s", P::TwoPlaceholders},
        {"blank inside", "https://example.org/a b/{word}", P::BadCharacter},
        {"tab inside", "https://example.org/\t{word}", P::BadCharacter},
        {"a lone percent", "https://example.org/100%/{word}", P::BadCharacter},
        {"percent and one hex digit", "https://example.org/%A/{word}", P::BadCharacter},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(siteTemplateProblem(row.urlTemplate), row.problem);
    }
}

TEST(SiteTemplate, offeredSites_areAllTaken)
{
    for (const DictionarySite &site : kDictionarySites) {
        SCOPED_TRACE(site.name);
        EXPECT_EQ(siteTemplateProblem(site.urlTemplate), std::nullopt);
    }
}

TEST(SiteAddress, anyWord_isPercentEncodedIntoThePlaceholder)
{
    struct Row
    {
        const char *name;
        std::string urlTemplate;
        std::u32string word;
        std::optional<std::string> address;
    };
    const Row rows[] = {
        {"Chinese word, path", "https://www.zdic.net/hans/{word}", U"宝玉",
         "https://www.zdic.net/hans/%E5%AE%9D%E7%8E%89"},
        {"Latin word, query", "https://example.org/?q=%s&x=1", U"Tibbo-read_1.0~",
         "https://example.org/?q=Tibbo-read_1.0~&x=1"},
        // Each of these would end the word, start a new query field or a fragment, or be
        // read as an escape if it were pasted in raw.
        {"space", "https://example.org/%s", U"a b", "https://example.org/a%20b"},
        {"ampersand and equals", "https://example.org/?q=%s", U"a&b=c",
         "https://example.org/?q=a%26b%3Dc"},
        {"hash", "https://example.org/?q={word}", U"C#", "https://example.org/?q=C%23"},
        {"percent", "https://example.org/{word}", U"100%", "https://example.org/100%25"},
        {"slash and dots", "https://example.org/{word}", U"../a/b",
         "https://example.org/..%2Fa%2Fb"},
        {"shell characters", "https://example.org/{word}", U"$(rm -rf ~);`x`|'\"",
         "https://example.org/%24%28rm%20-rf%20~%29%3B%60x%60%7C%27%22"},
        {"newline", "https://example.org/{word}", U"a\nb", "https://example.org/a%0Ab"},
        {"character beyond 16 bits", "https://example.org/{word}", U"\U00020000",
         "https://example.org/%F0%A0%80%80"},
        // A code point that is no character becomes U+FFFD rather than bad UTF-8.
        {"lone surrogate", "https://example.org/{word}", std::u32string(1, char32_t(0xD800)),
         "https://example.org/%EF%BF%BD"},
        {"full-width blank", "https://example.org/{word}", U"\u3000",
         "https://example.org/%E3%80%80"},
        {"template with a fragment", "https://example.org/?q={word}#top", U"词",
         "https://example.org/?q=%E8%AF%8D#top"},
        {"refused template", "ftp://example.org/{word}", U"词", std::nullopt},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(siteAddress(row.urlTemplate, row.word), row.address);
    }
}

} // namespace
} // namespace tibbo::core
