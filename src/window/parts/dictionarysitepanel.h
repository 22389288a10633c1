#pragma once
// The choice of the dictionary site that 网上查 opens a looked-up word on: the sites
// offered, or the reader's own address with "%s" or "{word}" for the word. 确定 hands the
// address on to be checked; 取消 and Esc (the key table's) close the panel unchanged.

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace tibbo::window {

class DictionarySitePanel : public QWidget
{
    Q_OBJECT
  public:
    explicit DictionarySitePanel(QWidget *parent);

    // Opens in the middle of the window with `urlTemplate` chosen: its site when it is one
    // of those offered, else 自定义 with the address in the box.
    void open(const QString &urlTemplate);
    QString urlTemplate() const;

  signals:
    void templateChosen(const QString &urlTemplate);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void onSiteChosen(int index);

    QComboBox *m_siteBox = nullptr;
    QLineEdit *m_templateBox = nullptr;
    // What the reader typed as their own address, kept while another site is chosen.
    QString m_ownTemplate;
};

} // namespace tibbo::window
