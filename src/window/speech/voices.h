#pragma once
// The order the voices are offered in: voices for Chinese first (Mandarin before other
// Chinese, each base voice before its variants), then all others in the engine's order.

#include "speechengine.h"

#include <QLocale>
#include <QString>

#include <vector>

namespace tibbo::window {

struct EngineVoice
{
    QString name;
    QLocale locale;
};

// Whether a voice speaks Chinese: by its locale, or, where the engine gives none (the
// speech-dispatcher plugin gives espeak-ng's "cmn" voices the C locale), by its name.
bool isChineseVoice(const EngineVoice &voice);

VoiceList orderVoices(const std::vector<EngineVoice> &voices);

// The voice to read with: `wanted` when the engine has it, else the first Chinese voice;
// empty when neither is there.
QString voiceToUse(const VoiceList &voices, const QString &wanted);

} // namespace tibbo::window
