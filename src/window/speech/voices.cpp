#include "voices.h"

#include <QRegularExpression>

#include <algorithm>

namespace tibbo::window {

namespace {

bool isMandarin(const EngineVoice &voice)
{
    const QString &name = voice.name;
    return voice.locale.language() == QLocale::Chinese ||
           name.contains(QLatin1String("Mandarin"), Qt::CaseInsensitive) ||
           name.contains(QStringLiteral("普通话")) ||
           name.startsWith(QLatin1String("cmn"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("zh"), Qt::CaseInsensitive);
}

// espeak-ng's variants of a voice are named "voice+variant".
bool isVariant(const QString &name)
{
    return name.contains(QLatin1Char('+'));
}

} // namespace

bool isChineseVoice(const EngineVoice &voice)
{
    switch (voice.locale.language()) {
    case QLocale::Chinese:
    case QLocale::Cantonese:
    case QLocale::LiteraryChinese:
        return true;
    default:
        break;
    }
    static const QRegularExpression chineseName(
        QStringLiteral(
            "chinese|mandarin|cantonese|hakka|中文|汉语|普通话|粤语|^(zh|cmn|yue)([-_ ]|$)"),
        QRegularExpression::CaseInsensitiveOption);
    return chineseName.match(voice.name).hasMatch();
}

VoiceList orderVoices(const std::vector<EngineVoice> &voices)
{
    std::vector<EngineVoice> chinese;
    QStringList others;
    for (const EngineVoice &voice : voices) {
        if (isChineseVoice(voice))
            chinese.push_back(voice);
        else
            others.append(voice.name);
    }
    const auto rank = [](const EngineVoice &voice) {
        return (isMandarin(voice) ? 0 : 2) + (isVariant(voice.name) ? 1 : 0);
    };
    std::stable_sort(
        chinese.begin(), chinese.end(),
        [&rank](const EngineVoice &a, const EngineVoice &b) { return rank(a) < rank(b); });
    VoiceList list;
    list.chinese = static_cast<int>(chinese.size());
    for (const EngineVoice &voice : chinese)
        list.names.append(voice.name);
    list.names.append(others);
    return list;
}

QString voiceToUse(const VoiceList &voices, const QString &wanted)
{
    if (!wanted.isEmpty() && voices.names.contains(wanted))
        return wanted;
    return voices.chinese > 0 ? voices.names.first() : QString();
}

} // namespace tibbo::window
