#pragma once
// The list of the book's highlights and notes (划线和笔记), over the pages: one row each in
// book order with its page, chapter, words and note, those whose text was not found in a
// changed book last and marked "未找到". A click (or Enter) on a row jumps there; the
// buttons export the list as Markdown or plain text; 关闭 and Esc close it.

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tibbo::window {

class HighlightListPanel : public QWidget
{
    Q_OBJECT
  public:
    struct Entry
    {
        // The page it starts on; 0: not found in the text.
        int64_t page = 0;
        QString chapter;
        QString words;
        QString note;
    };

    explicit HighlightListPanel(QWidget *parent);

    // Shows the entries over the pages, in the middle of the window.
    void open(const std::vector<Entry> &entries);
    int rowCount() const;

  signals:
    // The row of entry `index` was chosen (rows of entries not found are not).
    void entryChosen(int index);
    void markdownExportChosen();
    void plainTextExportChosen();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void build();

    QLabel *m_caption = nullptr;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_markdown = nullptr;
    QPushButton *m_plainText = nullptr;
};

} // namespace tibbo::window
