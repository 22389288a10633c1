#pragma once
// What reading aloud needs of a speech engine: one utterance at a time, and word back
// when it has been said. An engine never makes its caller wait: what takes time (starting
// the speech service, listing its voices) happens elsewhere and is reported by signals.

#include <QObject>
#include <QString>
#include <QStringList>

namespace tibbo::window {

// How the reader wants to be read to. Rate and pitch run from -1 (slowest, lowest) to 1,
// 0 being the voice's own; volume from 0 to 1.
struct SpeechSettings
{
    // A voice's name as the engine lists it; empty: the first Chinese voice.
    QString voice;
    double rate = 0;
    double pitch = 0;
    double volume = 1;
    friend bool operator==(const SpeechSettings &, const SpeechSettings &) = default;
};

// The engine's voices, those for Chinese first.
struct VoiceList
{
    QStringList names;
    int chinese = 0; // the first `chinese` names are voices for Chinese
    // Why there are none, in Chinese, naming the package that gives them; empty when the
    // engine answered.
    QString problem;
};

class SpeechEngine : public QObject
{
    Q_OBJECT
  public:
    using QObject::QObject;

    // Speaks `text` (plain text, never markup); `spoken(id)` follows once it has been said.
    // Only one utterance is spoken at a time: stop() comes before the next say().
    virtual void say(quint64 id, const QString &text) = 0;
    // Silences what is being said; no `spoken` follows for it.
    virtual void stop() = 0;
    // Taken for the next utterance.
    virtual void setSettings(const SpeechSettings &settings) = 0;
    // Asks for the voices; `voicesFound` follows.
    virtual void findVoices() = 0;

  signals:
    void spoken(quint64 id);
    // The engine cannot speak (missing, no service, no voice) or stopped with an error; the
    // message says in Chinese what is missing and which package gives it.
    void failed(const QString &message);
    void voicesFound(const tibbo::window::VoiceList &voices);
};

} // namespace tibbo::window
