#pragma once
// The read-aloud settings in the bubble (朗读设置): the voice (those for Chinese first,
// then all the engine has), rate, pitch, volume, the pause between paragraphs and the
// sleep timer. It covers the menu panel as the settings panel does. OK hands the values
// on; Cancel leaves everything as it was.

#include "readaloud.h"
#include "speechengine.h"

#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QSlider;

namespace tibbo::window {

class CaptionLabel;

class ReadAloudPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit ReadAloudPanel(QWidget *parent);

    // Shows `settings`; the voice list follows by setVoices when the engine has answered.
    void open(const ReadAloudSettings &settings);
    // The engine's voices. A chosen voice the engine does not have stays in the list,
    // marked as missing, so that OK does not drop it unasked.
    void setVoices(const VoiceList &voices);
    ReadAloudSettings settings() const;

  signals:
    void accepted();
    void cancelled();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void selectVoice(const QString &name);

    QComboBox *m_voiceBox = nullptr;
    QSlider *m_rateSlider = nullptr;
    QSlider *m_pitchSlider = nullptr;
    QSlider *m_volumeSlider = nullptr;
    QDoubleSpinBox *m_pauseBox = nullptr;
    QComboBox *m_sleepBox = nullptr;
    CaptionLabel *m_voiceNote = nullptr;
    // The voice of the settings shown, kept while the voice list is on its way.
    QString m_voice;
    bool m_voicesKnown = false;
};

} // namespace tibbo::window
