#pragma once
// The statistics panel (阅读统计): today and this week (time read, characters, speed), the
// reader's speed, the minutes read on each of the last 30 days as a bar chart, and every
// book read. It opens over the pages at once (its contents are made the first time) and
// fills in when the figures are read; 关闭 closes it, and so does Esc (the key table's).

#include <QDate>
#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QTreeWidget;

namespace tibbo::window {

class StatisticsChart;

class StatisticsPanel : public QWidget
{
    Q_OBJECT
  public:
    // What the panel shows, in words.
    struct Figures
    {
        QString today;
        QString thisWeek;
        QString speed;
        // Minutes a day, the oldest first; the first on firstDay, the last today.
        std::vector<double> lastDays;
        QDate firstDay;
        struct Book
        {
            QString name;
            QString time;
            QString characters;
            QString speed;
        };
        std::vector<Book> books;
    };

    explicit StatisticsPanel(QWidget *parent);

    // Shows the panel over the pages, centred, saying it is reading the figures.
    void open();
    void showFigures(const Figures &figures);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void makeContents();

    QLabel *m_today = nullptr;
    QLabel *m_thisWeek = nullptr;
    QLabel *m_speed = nullptr;
    StatisticsChart *m_chart = nullptr;
    QTreeWidget *m_books = nullptr;
};

} // namespace tibbo::window
