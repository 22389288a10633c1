#pragma once
// Simplified/Traditional conversion by OpenCC's dictionaries (libopencc-data). The text
// goes through OpenCC's own steps, as OpenCC's converter takes them: the text is cut
// into segments at the longest phrases of the segmentation dictionary, and each segment
// passes through the conversion chain, every pass replacing the longest phrase of its
// dictionary at each place. This class walks those steps itself, with OpenCC's
// dictionaries, so that it knows which run of the original each phrase of the result
// stands for: the same text as OpenCC's converter gives, and its offset map besides.
//
// Only the dictionaries' first characters are looked at for most characters: a
// character that starts no key of a pass is copied as it is.

#include "script/phraseconverter.h"
#include "script/scriptmode.h"

#include <memory>
#include <string>

namespace tibbo::core {

class OpenccConverter final : public PhraseConverter
{
  public:
    // The converter of `mode`, loaded on the first call and kept for the process; nothing
    // for ScriptMode::Original, or, with the reason in `error`, when OpenCC's
    // configuration or dictionaries cannot be read. Safe from several threads.
    static std::shared_ptr<const PhraseConverter> forMode(ScriptMode mode,
                                                          std::string *error = nullptr);
    // A converter from the OpenCC configuration file `configPath` (a .json file).
    static std::unique_ptr<OpenccConverter> fromConfig(const std::string &configPath,
                                                       std::string *error = nullptr);
    // The folder of OpenCC's configurations and dictionaries.
    static std::string dataFolder();

    ~OpenccConverter() override;
    ConvertedRun convert(std::u32string_view text) const override;

  private:
    struct Steps;
    explicit OpenccConverter(std::unique_ptr<Steps> steps);
    std::unique_ptr<Steps> m_steps;
};

} // namespace tibbo::core
