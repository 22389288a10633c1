#pragma once
// Looking up a selected word (查词). With sdcv installed the word goes to it, as an argument
// after "--" and never through a shell, with a time limit, and its JSON entries show in the
// look-up panel; without sdcv GoldenDict gets the word when it is installed, else the panel
// says what to install. From the panel the word goes to GoldenDict or to a dictionary site
// in the browser: the one the reader chose (a site offered or their own address, checked
// before it is kept), the word always percent-encoded into it.

#include <QObject>
#include <QString>
#include <QUrl>

class QProcess;
class QTimer;

namespace tibbo::window {

class DictionarySitePanel;
class LookUpPanel;
class OptionsStore;

class WordLookUp : public QObject
{
    Q_OBJECT
  public:
    struct Parts
    {
        LookUpPanel &panel;
        DictionarySitePanel &sitePanel;
        OptionsStore &options;
    };
    WordLookUp(Parts parts, QObject *parent);

    // How long sdcv may take before the look-up gives up on it.
    static constexpr int kTimeLimitMs = 5000;
    void setTimeLimit(int ms) { m_timeLimitMs = ms; }
    // sdcv's output beyond this many bytes is not read: the look-up ends with what it has.
    static constexpr qint64 kOutputLimit = 4 * 1024 * 1024;

    // The chosen dictionary site's page for `word`, the word percent-encoded into it.
    QUrl webAddress(const QString &word) const;

  public slots:
    // `selection` is the selected text: blanks around it go, at most 32 characters are
    // looked up.
    void lookUp(const QString &selection);
    // Opens the choice of the dictionary site with the one in use chosen.
    void chooseSite();

  signals:
    void menuCloseRequested();

  private:
    void runSdcv(const QStringList &arguments);
    void onSdcvDone();
    void onSdcvFailed(const QString &why);
    void handToGoldenDict();
    // Keeps `urlTemplate` as the dictionary site, or refuses it with a message saying why.
    void onSiteChosen(const QString &urlTemplate);
    // The address template in use: the reader's choice when it passes the check, else the
    // first site offered.
    QString siteTemplate() const;
    QString siteName() const;
    // The process of the look-up under way is dropped (and ended) when another starts.
    void dropProcess();

    LookUpPanel &m_panel;
    DictionarySitePanel &m_sitePanel;
    OptionsStore &m_options;
    QProcess *m_process = nullptr;
    QTimer *m_timeLimit = nullptr;
    int m_timeLimitMs = kTimeLimitMs;
    QString m_word;
    // The second run asks sdcv which dictionaries it has, after a look-up found nothing.
    bool m_listing = false;
};

} // namespace tibbo::window
