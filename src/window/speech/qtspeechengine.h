#pragma once
// The speech engine of the desktop: Qt's QTextToSpeech, over speech-dispatcher where the
// speechd plugin is installed. Qt 6.4 has no queue and no word positions, so it is given
// one sentence at a time and reports it spoken when the engine is ready again.
//
// QTextToSpeech is made and driven on a thread of its own: making it starts
// speech-dispatcher when none runs (seen: one to two seconds), and nothing the window does
// waits for that. Commands are posted to that thread in order; what it reports comes back
// as this object's signals on the window's thread.

#include "speechengine.h"

class QThread;

namespace tibbo::window {

class SpeechWorker;

class QtSpeechEngine : public SpeechEngine
{
    Q_OBJECT
  public:
    explicit QtSpeechEngine(QObject *parent = nullptr);
    // Ends the engine's thread; waits for it at most a second (a speech service that hangs
    // is left behind rather than holding up the exit).
    ~QtSpeechEngine() override;

    void say(quint64 id, const QString &text) override;
    void stop() override;
    void setSettings(const SpeechSettings &settings) override;
    void findVoices() override;

  private:
    QThread *m_thread = nullptr;
    SpeechWorker *m_worker = nullptr;
};

} // namespace tibbo::window
