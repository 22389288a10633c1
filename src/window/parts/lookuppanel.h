#pragma once
// The panel of a word looked up (查词), inside the window over the pages: the word, the
// entries the dictionaries gave or a message (none found, no dictionary and what to
// install, the dictionary not answering), and buttons to look the word up in GoldenDict
// (when it is installed) or on the web. Esc or 关闭 closes it.

#include "navigation/dictionarylookup.h"

#include <QWidget>

#include <vector>

class QPushButton;
class QTextBrowser;

namespace tibbo::window {
class CaptionLabel;
}

namespace tibbo::window {

class LookUpPanel : public QWidget
{
    Q_OBJECT
  public:
    explicit LookUpPanel(QWidget *parent);

    // Opens over the pages, in the middle of the window, for `word`, saying it is looked up.
    void open(const QString &word, bool goldenDictShown);
    // The dictionary site 网上查 opens, as its tooltip names it.
    void setWebSiteName(const QString &name);
    void showEntries(const std::vector<core::DictionaryEntry> &entries);
    void showMessage(const QString &message);
    // What the panel says, as plain text.
    QString shownText() const;

  signals:
    void goldenDictChosen();
    void webChosen();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    CaptionLabel *m_title = nullptr;
    QTextBrowser *m_entries = nullptr;
    QPushButton *m_goldenDict = nullptr;
    QPushButton *m_web = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace tibbo::window
