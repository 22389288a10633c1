#include "chapters/userrule.h"

#include "text/codepage.h"

#define PCRE2_CODE_UNIT_WIDTH 32
#include <pcre2.h>

namespace tibbo::core {

struct UserRule::Compiled
{
    pcre2_code *code = nullptr;
    ~Compiled() { pcre2_code_free(code); }
};

namespace {

// One match context for every rule: the limits, set once, read only afterwards.
pcre2_match_context *limitedContext()
{
    static pcre2_match_context *context = [] {
        pcre2_match_context *c = pcre2_match_context_create(nullptr);
        pcre2_set_match_limit(c, UserRule::kStepLimit);
        pcre2_set_depth_limit(c, UserRule::kStepLimit / 10);
        pcre2_set_heap_limit(c, 64 * 1024); // KiB
        return c;
    }();
    return context;
}

// PCRE2's message, a 32-bit string ended by 0.
std::u32string messageText(const PCRE2_UCHAR *message)
{
    std::u32string text;
    for (; *message; ++message)
        text += static_cast<char32_t>(*message);
    return text;
}

} // namespace

std::optional<UserRule> UserRule::compile(std::u32string_view pattern, CompileError *error)
{
    int code = 0;
    PCRE2_SIZE offset = 0;
    // Unicode properties as QRegularExpression's UseUnicodePropertiesOption gives them:
    // \d, \w and \s know full-width digits and Chinese letters.
    pcre2_code *compiled =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                      PCRE2_UTF | PCRE2_UCP | PCRE2_ANCHORED, &code, &offset, nullptr);
    if (!compiled) {
        if (error) {
            PCRE2_UCHAR message[256];
            pcre2_get_error_message(code, message, sizeof message / sizeof message[0]);
            *error = {toUtf8(messageText(message)), static_cast<int64_t>(offset)};
        }
        return std::nullopt;
    }
    // The JIT makes a rule run about ten times faster; without it (an unsupported
    // machine) the rule runs as compiled, under the same limits.
    pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE);
    UserRule rule;
    rule.m_pattern = std::u32string(pattern);
    auto holder = std::make_shared<Compiled>();
    holder->code = compiled;
    rule.m_compiled = std::move(holder);
    return rule;
}

UserRule::Match UserRule::matchAtStart(std::u32string_view line) const
{
    // Match data holds the captures of one match: one per thread, per call.
    pcre2_match_data *data = pcre2_match_data_create_from_pattern(m_compiled->code, nullptr);
    const int result = pcre2_match(m_compiled->code, reinterpret_cast<PCRE2_SPTR>(line.data()),
                                   line.size(), 0, 0, data, limitedContext());
    pcre2_match_data_free(data);
    if (result >= 0)
        return Match::Yes;
    if (result == PCRE2_ERROR_MATCHLIMIT || result == PCRE2_ERROR_DEPTHLIMIT ||
        result == PCRE2_ERROR_HEAPLIMIT)
        return Match::TooManySteps;
    return Match::No;
}

} // namespace tibbo::core
