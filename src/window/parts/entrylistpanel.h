#pragma once
// A list panel over the pages for places in the book (the matches of a search, the reader's
// highlights and notes): each row a title line (its chapter and page) over a line of the
// book's text with a part of it marked, and, in a panel made with a note line, a third line
// for the reader's own words. The rows come from a model, so a list of 100,000 places makes
// only the rows in view. A click on a row (or Enter on it) chooses it and closes the panel;
// a row the model does not enable (a place no longer in the book) is shown grey and cannot
// be chosen. 关闭 closes it, and so does Esc (the key table's). The user of the panel may add
// buttons of its own along its foot (addAction).

#include <QWidget>

#include <functional>
#include <vector>

class QAbstractButton;
class QAbstractItemModel;
class QLabel;
class QListView;

namespace tibbo::window {

class EntryListPanel : public QWidget
{
    Q_OBJECT
  public:
    // What a row's model gives: the title line (Qt::DisplayRole), the text line in three
    // parts, the middle one marked (on a band of MarkColourRole's QColor when given), and
    // the note line. Qt::ToolTipRole is shown on hover as in any view.
    enum Role {
        TitleRole = Qt::DisplayRole,
        TextBeforeRole = Qt::UserRole + 1,
        MarkedTextRole,
        TextAfterRole,
        MarkColourRole,
        NoteRole,
    };
    enum class Lines {
        TitleAndText,
        WithNote,
    };

    // `name` names the panel and its children ("searchList": "searchListPanel", its list
    // "searchList", "searchListCaption", "searchListClose"), so tests can find them.
    EntryListPanel(const QString &name, Lines lines, QWidget *parent);

    // A button `caption` (object name `name`) along the foot of the panel, calling `chosen`.
    // The panel keeps it; the caller may enable or disable it.
    QAbstractButton *addAction(const QString &caption, const QString &name,
                               std::function<void()> chosen);

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
    void layOut();

    QString m_name;
    Lines m_lines;
    QLabel *m_caption = nullptr;
    QAbstractButton *m_close = nullptr;
    QListView *m_list = nullptr;
    std::vector<QAbstractButton *> m_actions;
};

} // namespace tibbo::window
