#pragma once
// A list panel over the pages for places in the book (the matches of a search, and any
// other list of places): each row a title line (its chapter and page) over a line of the
// book's text with a part of it marked. The rows come from a model, so a list of 100,000
// places makes only the rows in view. A click on a row (or Enter on it) chooses it and
// closes the panel; 关闭 closes it, and so does Esc (the key table's).

#include <QWidget>

class QAbstractItemModel;
class QLabel;
class QListView;

namespace tibbo::window {

class EntryListPanel : public QWidget
{
    Q_OBJECT
  public:
    // What a row's model gives: the title line (Qt::DisplayRole) and the text line in
    // three parts, the middle one marked.
    enum Role {
        TitleRole = Qt::DisplayRole,
        TextBeforeRole = Qt::UserRole + 1,
        MarkedTextRole,
        TextAfterRole,
    };

    // `name` names the panel and its children ("searchList": "searchListPanel", its list
    // "searchList", "searchListCaption", "searchListClose"), so tests can find them.
    EntryListPanel(const QString &name, QWidget *parent);

    // Shows the rows of `model` (the panel does not own it) under `caption`, centred in the
    // window, with row `current` (-1: none) selected and scrolled into view.
    void open(const QString &caption, QAbstractItemModel *model, int current);
    // The row selected in the list; -1 when none.
    int selectedRow() const;

  signals:
    void rowChosen(int row);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void build();

    QString m_name;
    QLabel *m_caption = nullptr;
    QListView *m_list = nullptr;
};

} // namespace tibbo::window
