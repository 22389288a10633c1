#include "qtspeechengine.h"

#include "voices.h"

#include <QTextToSpeech>
#include <QThread>

#include <memory>

namespace tibbo::window {

// Lives on the engine's thread and owns QTextToSpeech there.
class SpeechWorker : public QObject
{
    Q_OBJECT
  public:
    void say(quint64 id, const QString &text)
    {
        if (!ready(true))
            return;
        m_current = id;
        m_speaking = false;
        m_speech->say(text);
    }

    void stop()
    {
        m_current = 0;
        if (m_speech && m_speech->state() != QTextToSpeech::Error)
            m_speech->stop();
    }

    void setSettings(const SpeechSettings &settings)
    {
        m_settings = settings;
        m_settingsApplied = false;
    }

    void findVoices()
    {
        VoiceList voices;
        if (ready(false))
            voices = m_voices;
        else
            voices.problem = m_problem;
        emit voicesFound(voices);
    }

  signals:
    void spoken(quint64 id);
    void failed(const QString &message);
    void voicesFound(const tibbo::window::VoiceList &voices);

  private:
    // The engine made and connected; false when it cannot speak, with the reason reported
    // when `forSpeech`, which also sets the voice and the pace up. An engine that failed is
    // made again: the speech service may have been installed or started meanwhile.
    bool ready(bool forSpeech)
    {
        if (m_speech && m_speech->state() == QTextToSpeech::Error) {
            m_speech.reset();
            m_settingsApplied = false;
        }
        if (!m_speech && !makeEngine()) {
            m_speech.reset();
            if (forSpeech)
                emit failed(m_problem);
            return false;
        }
        if (!forSpeech)
            return true;
        if (!m_settingsApplied && !applySettings()) {
            emit failed(m_problem);
            return false;
        }
        return true;
    }

    bool makeEngine()
    {
        const QStringList engines = QTextToSpeech::availableEngines();
        if (engines.isEmpty()) {
            m_problem = QStringLiteral("没有找到语音合成引擎，不能朗读。请安装 "
                                       "qt6-speech-speechd-plugin 和 speech-dispatcher 软件包。");
            return false;
        }
        const QString engine = engines.contains(QLatin1String("speechd"))
                                   ? QStringLiteral("speechd")
                                   : engines.first();
        m_speech = std::make_unique<QTextToSpeech>(engine);
        if (m_speech->state() == QTextToSpeech::Error) {
            m_problem = engineError();
            return false;
        }
        connect(m_speech.get(), &QTextToSpeech::stateChanged, this, &SpeechWorker::onState);
        connect(m_speech.get(), &QTextToSpeech::errorOccurred, this,
                [this] { emit failed(engineError()); });
        std::vector<EngineVoice> voices;
        for (const QVoice &voice : m_speech->availableVoices())
            voices.push_back({voice.name(), voice.locale()});
        m_voices = orderVoices(voices);
        return true;
    }

    QString engineError() const
    {
        if (m_speech && m_speech->errorReason() != QTextToSpeech::ErrorReason::Initialization)
            return QStringLiteral("朗读出错了（%1），朗读已停止。").arg(m_speech->errorString());
        return QStringLiteral("连接不上语音服务 speech-dispatcher，不能朗读。请安装 "
                              "speech-dispatcher 和 speech-dispatcher-espeak-ng 软件包。");
    }

    bool applySettings()
    {
        const QString name = voiceToUse(m_voices, m_settings.voice);
        if (name.isEmpty()) {
            m_problem =
                QStringLiteral("没有找到中文语音，不能朗读。请安装 "
                               "speech-dispatcher-espeak-ng 软件包（espeak-ng 的普通话语音）。");
            return false;
        }
        for (const QVoice &voice : m_speech->availableVoices())
            if (voice.name() == name) {
                m_speech->setVoice(voice);
                break;
            }
        m_speech->setRate(m_settings.rate);
        m_speech->setPitch(m_settings.pitch);
        m_speech->setVolume(m_settings.volume);
        m_settingsApplied = true;
        return true;
    }

    void onState(QTextToSpeech::State state)
    {
        if (state == QTextToSpeech::Speaking) {
            m_speaking = true;
        } else if (state == QTextToSpeech::Ready && m_speaking && m_current != 0) {
            m_speaking = false;
            emit spoken(std::exchange(m_current, 0));
        }
    }

    std::unique_ptr<QTextToSpeech> m_speech;
    VoiceList m_voices;
    SpeechSettings m_settings;
    bool m_settingsApplied = false;
    QString m_problem;
    quint64 m_current = 0;
    bool m_speaking = false;
};

QtSpeechEngine::QtSpeechEngine(QObject *parent) : SpeechEngine(parent)
{
    qRegisterMetaType<tibbo::window::VoiceList>();
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("speechThread"));
    m_worker = new SpeechWorker;
    m_worker->moveToThread(m_thread);
    connect(m_worker, &SpeechWorker::spoken, this, &SpeechEngine::spoken);
    connect(m_worker, &SpeechWorker::failed, this, &SpeechEngine::failed);
    connect(m_worker, &SpeechWorker::voicesFound, this, &SpeechEngine::voicesFound);
    m_thread->start();
}

QtSpeechEngine::~QtSpeechEngine()
{
    // The worker and its engine are ended on their own thread, which then stops.
    SpeechWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] {
        delete worker;
        QThread::currentThread()->quit();
    });
    // A thread still inside the speech service is left to end with the program.
    if (m_thread->wait(QDeadlineTimer(1000)))
        delete m_thread;
}

void QtSpeechEngine::say(quint64 id, const QString &text)
{
    SpeechWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, id, text] { worker->say(id, text); });
}

void QtSpeechEngine::stop()
{
    SpeechWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->stop(); });
}

void QtSpeechEngine::setSettings(const SpeechSettings &settings)
{
    SpeechWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker, settings] { worker->setSettings(settings); });
}

void QtSpeechEngine::findVoices()
{
    SpeechWorker *worker = m_worker;
    QMetaObject::invokeMethod(worker, [worker] { worker->findVoices(); });
}

} // namespace tibbo::window

#include "qtspeechengine.moc"
