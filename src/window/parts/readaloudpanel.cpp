#include "readaloudpanel.h"

#include "widgets.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QSlider>

#include <cmath>

namespace tibbo::window {

namespace {

// Rate and pitch in tenths of the engine's range, volume in hundredths.
constexpr int kPaceSteps = 10;

CaptionLabel *caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new CaptionLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QSlider *slider(QWidget *parent, const char *name, int low, int high, int x, int y, int width)
{
    auto *s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(low, high);
    s->setPageStep((high - low) / 10);
    s->setGeometry(x, y, width, 18);
    return s;
}

} // namespace

ReadAloudPanel::ReadAloudPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("readAloudPanel"));
    setFixedSize(280, 154);
    fillAsPanel(this);

    caption(this, QStringLiteral("语音:"), 6, 7);
    m_voiceBox = new QComboBox(this);
    m_voiceBox->setObjectName(QStringLiteral("voiceBox"));
    m_voiceBox->setGeometry(40, 4, 234, 20);
    m_voiceBox->setMaxVisibleItems(16);
    m_voiceNote = caption(this, QString(), 6, 28);
    m_voiceNote->setObjectName(QStringLiteral("voiceNote"));
    m_voiceNote->setWordWrap(true);
    m_voiceNote->setGeometry(6, 27, 268, 28);

    caption(this, QStringLiteral("语速:"), 6, 59);
    m_rateSlider = slider(this, "rateSlider", -kPaceSteps, kPaceSteps, 40, 57, 90);
    caption(this, QStringLiteral("音调:"), 142, 59);
    m_pitchSlider = slider(this, "pitchSlider", -kPaceSteps, kPaceSteps, 176, 57, 98);
    caption(this, QStringLiteral("音量:"), 6, 83);
    m_volumeSlider = slider(this, "volumeSlider", 0, 100, 40, 81, 90);
    caption(this, QStringLiteral("段间停顿:"), 142, 83);
    m_pauseBox = new QDoubleSpinBox(this);
    m_pauseBox->setObjectName(QStringLiteral("paragraphPauseBox"));
    m_pauseBox->setRange(0, 3);
    m_pauseBox->setSingleStep(0.5);
    m_pauseBox->setDecimals(1);
    m_pauseBox->setSuffix(QStringLiteral(" 秒"));
    m_pauseBox->setGeometry(204, 80, 70, 20);

    caption(this, QStringLiteral("定时停止:"), 6, 108);
    m_sleepBox = new QComboBox(this);
    m_sleepBox->setObjectName(QStringLiteral("sleepBox"));
    for (int choice : sleepTimerChoices())
        m_sleepBox->addItem(sleepTimerCaption(choice), choice);
    m_sleepBox->setGeometry(66, 105, 90, 20);

    auto *ok = new PanelButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("readAloudOk"));
    ok->setGeometry(190, 132, 40, 20);
    auto *cancel = new PanelButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("readAloudCancel"));
    cancel->setGeometry(234, 132, 40, 20);
    connect(ok, &QPushButton::clicked, this, &ReadAloudPanel::accepted);
    connect(cancel, &QPushButton::clicked, this, &ReadAloudPanel::cancelled);
    // It opens in the menu panel and goes when the menu closes.
    if (parent)
        parent->installEventFilter(this);
    hide();
}

bool ReadAloudPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Hide)
        hide();
    return QWidget::eventFilter(watched, event);
}

void ReadAloudPanel::open(const ReadAloudSettings &settings)
{
    m_voice = settings.speech.voice;
    selectVoice(m_voice);
    m_rateSlider->setValue(static_cast<int>(std::lround(settings.speech.rate * kPaceSteps)));
    m_pitchSlider->setValue(static_cast<int>(std::lround(settings.speech.pitch * kPaceSteps)));
    m_volumeSlider->setValue(static_cast<int>(std::lround(settings.speech.volume * 100)));
    m_pauseBox->setValue(settings.paragraphPause / 1000.0);
    const int sleep = m_sleepBox->findData(settings.sleepTimer);
    m_sleepBox->setCurrentIndex(sleep < 0 ? 0 : sleep);
    show();
    raise();
}

void ReadAloudPanel::setVoices(const VoiceList &voices)
{
    m_voiceBox->clear();
    // The first entry leaves the choice to the reader: the first Chinese voice there is.
    m_voiceBox->addItem(QStringLiteral("自动（第一个中文语音）"), QString());
    for (int k = 0; k < voices.names.size(); ++k) {
        if (k == voices.chinese && k > 0)
            m_voiceBox->insertSeparator(m_voiceBox->count());
        m_voiceBox->addItem(voices.names[k], voices.names[k]);
    }
    m_voicesKnown = true;
    selectVoice(m_voice);
    if (!voices.problem.isEmpty())
        m_voiceNote->setCaption(voices.problem);
    else if (voices.chinese == 0)
        m_voiceNote->setCaption(
            QStringLiteral("没有中文语音：请安装 speech-dispatcher-espeak-ng。"));
    else
        m_voiceNote->setCaption(QStringLiteral("中文语音 %1 个，共 %2 个语音。")
                                    .arg(voices.chinese)
                                    .arg(voices.names.size()));
}

void ReadAloudPanel::selectVoice(const QString &name)
{
    int index = m_voiceBox->findData(name);
    if (index < 0) {
        // Before the engine's list has come the choice is shown as it is; after, a voice
        // the engine does not have is marked as missing.
        QString shown = name.isEmpty() ? QStringLiteral("自动（第一个中文语音）") : name;
        if (m_voicesKnown && !name.isEmpty())
            shown = QStringLiteral("%1（已不在）").arg(name);
        else if (!m_voicesKnown)
            m_voiceNote->setCaption(QStringLiteral("正在查找语音……"));
        m_voiceBox->addItem(shown, name);
        index = m_voiceBox->count() - 1;
    }
    m_voiceBox->setCurrentIndex(index);
}

ReadAloudSettings ReadAloudPanel::settings() const
{
    ReadAloudSettings s;
    s.speech.voice = m_voiceBox->currentData().toString();
    s.speech.rate = m_rateSlider->value() / double(kPaceSteps);
    s.speech.pitch = m_pitchSlider->value() / double(kPaceSteps);
    s.speech.volume = m_volumeSlider->value() / 100.0;
    s.paragraphPause = static_cast<int>(std::lround(m_pauseBox->value() * 1000));
    s.sleepTimer = m_sleepBox->currentData().toInt();
    return s;
}

} // namespace tibbo::window
