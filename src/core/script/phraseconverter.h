#pragma once
// Converting a run of text phrase by phrase, with the map between the two texts. The
// core defines this seam; OpenccConverter fills it with OpenCC's dictionaries, and tests
// may fill it with a fixed table.

#include "script/offsetmap.h"

#include <string>
#include <string_view>

namespace tibbo::core {

struct ConvertedRun
{
    std::u32string text;
    // Offsets relative to the start of the run, in both texts.
    OffsetMap map;
};

class PhraseConverter
{
  public:
    virtual ~PhraseConverter() = default;
    // The conversion of `text`. The result depends only on the text: a phrase never runs
    // across a paragraph mark '^', so a run cut after a '^' converts as part of a longer
    // one would. Safe to call from several threads at once.
    virtual ConvertedRun convert(std::u32string_view text) const = 0;
};

} // namespace tibbo::core
