#pragma once
// A chapter rule of the reader's own: a regular expression in the syntax of Qt's
// QRegularExpression (PCRE2, the engine under it, with Unicode properties), matched
// from the first character of a line, after its blanks. PCRE2 runs here, in the core,
// rather than QRegularExpression in the window: the finder, its tests and benchmarks run
// without Qt, and PCRE2 lets a match be given a limit of steps, so a rule that
// backtracks without end is stopped inside one line instead of holding a thread.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tibbo::core {

class UserRule
{
  public:
    // Steps one line may take (PCRE2's match limit); a line that needs more stops the rule.
    static constexpr uint32_t kStepLimit = 2'000'000;

    struct CompileError
    {
        // PCRE2's own message, and the character of the pattern where it found the fault.
        std::string message;
        int64_t offset = 0;
    };

    // The compiled rule, or nothing with the compiler's message in `error`.
    static std::optional<UserRule> compile(std::u32string_view pattern, CompileError *error);

    enum class Match { No, Yes, TooManySteps };
    // Matches the rule at the start of `line` (the line without its blanks in front).
    Match matchAtStart(std::u32string_view line) const;

    const std::u32string &pattern() const { return m_pattern; }

  private:
    struct Compiled;
    UserRule() = default;
    std::u32string m_pattern;
    std::shared_ptr<const Compiled> m_compiled;
};

} // namespace tibbo::core
