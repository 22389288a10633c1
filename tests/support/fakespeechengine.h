#pragma once
// A speech engine for tests: it records what it was given and says a sentence was spoken
// only when the test tells it to.

#include "speechengine.h"

#include <functional>
#include <vector>

namespace tibbo::window::test {

class FakeSpeechEngine : public SpeechEngine
{
  public:
    struct Utterance
    {
        quint64 id;
        QString text;
    };

    void say(quint64 id, const QString &text) override
    {
        said.push_back({id, text});
        speaking = true;
        if (onSay)
            onSay();
    }
    void stop() override
    {
        ++stops;
        speaking = false;
    }
    void setSettings(const SpeechSettings &s) override { settings = s; }
    void findVoices() override { emit voicesFound(voices); }

    // The engine finished the utterance it was given last.
    void finishSentence()
    {
        speaking = false;
        emit spoken(said.back().id);
    }
    void fail(const QString &message) { emit failed(message); }
    QStringList texts() const
    {
        QStringList all;
        for (const Utterance &u : said)
            all.append(u.text);
        return all;
    }

    std::vector<Utterance> said;
    int stops = 0;
    bool speaking = false;
    SpeechSettings settings;
    VoiceList voices;
    std::function<void()> onSay;
};

} // namespace tibbo::window::test
