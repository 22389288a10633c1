// Form1: loading books, line capacity, page appearance, re-flow and the page display.
#include "form1.h"

#include "qtext.h"

#include "dialogs.h"
#include "loadingpanel.h"
#include "menupanel.h"
#include "reflownotice.h"
#include "scrollpanel.h"
#include "scrolltext.h"
#include "settingspanel.h"
#include "welcomepanel.h"
#include "widgets.h"

#include "bookmarks/bookmarkstore.h"
#include "text/htmlparser.h"
#include "text/linecapacity.h"
#include "text/numbers.h"
#include "text/plaintext.h"
#include "text/reflow.h"
#include "text/spread.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLabel>

#include <cmath>

namespace tibbo::window {

namespace {

const char *const kBusyMessage = "这个文件都还没读取完呢.等读完再读其它文件吧.";
const char *const kUnreadableMessage = "这个文件打不开,请看看它是不是还在.";
// Characters cut or parsed between two turns of the event loop: a few milliseconds.
constexpr int64_t kReflowSlice = 1 << 20;
constexpr int64_t kHtmlSlice = 1 << 16;

// The page font's measurements for the line capacity.
class FontMeasurer : public core::TextMeasurer
{
  public:
    explicit FontMeasurer(const QFont &font) : m_metrics(font) {}
    double widthOfRun(int64_t count) const override
    {
        return count <= 0 ? 0
                          : m_metrics.horizontalAdvance(
                                QString(static_cast<qsizetype>(count), QChar(0x53D1)));
    }
    // Whole pixels, as a line label is high: the rows of a page are placed with the
    // same pitch the line count was measured with.
    double lineHeight() const override { return std::ceil(m_metrics.height()); }

  private:
    QFontMetricsF m_metrics;
};

} // namespace

void Form1::OpenBook(const QString &fileName)
{
    // A running load keeps its panel, progress bar and cancel button.
    if (m_state.loadingBusy) {
        Dialogs::message(this, QString::fromUtf8(kBusyMessage));
        return;
    }
    ShowMenu();
    Picture10->move(0, 0);
    Picture10->Picture11->hide();
    Picture10->Command6->hide();
    Picture10->show();
    Picture10->raise();

    const auto decoded = core::readBook(fileName.toStdString());
    if (!decoded) {
        // The book on show stays as it was.
        Picture10->hide();
        Picture10->Picture11->show();
        Picture10->Command6->show();
        CloseMenu();
        Dialogs::message(this, QString::fromUtf8(kUnreadableMessage));
        return;
    }
    m_state.loadingBusy = true;
    m_state.bookPath = fileName.toStdString();
    Readmarks(fileName);
    m_state.bookText.clear();
    m_state.partialShown = false;
    m_state.topLine = 1;
    Label3[0]->move(10, 12);
    for (LineLabel *label : Label3)
        label->hide();
    m_state.lineEnds.assign(1, 0);
    AddRecent();

    core::BookTexts texts =
        core::buildPlainBook(*decoded, Picture4->Check4->checkState() != Qt::Unchecked);
    m_state.bookText = std::move(texts.bookText);
    core::setParagraphText(m_state, std::move(texts.paragraphText));
    m_state.topLine = 1;
    Resizeline();

    m_state.loadingBusy = false;
    Picture10->hide();
    Picture10->Picture11->show();
    Picture10->Command6->show();
    CloseMenu();
}

void Form1::Check4_MouseDown()
{
    if (!m_state.loadingBusy)
        return;
    Dialogs::message(this, QStringLiteral("当前文件还没读取完,这个设置暂时不能改"));
    Picture4->Check4->setCheckState(m_state.trimParagraphs == 1   ? Qt::Checked
                                    : m_state.trimParagraphs == 2 ? Qt::PartiallyChecked
                                                                  : Qt::Unchecked);
}

void Form1::OpenHtml(const QString &fileName)
{
    // One load at a time, as for plain text.
    if (m_state.loadingBusy) {
        Dialogs::message(this, QString::fromUtf8(kBusyMessage));
        return;
    }
    ShowMenu();
    Picture10->move(0, 0);
    Picture10->Picture11->setFraction(0);
    Picture10->Picture11->show();
    Picture10->Command6->show();
    Picture10->show();
    Picture10->raise();

    const auto decoded = core::readBook(fileName.toStdString());
    if (!decoded) {
        Picture10->hide();
        CloseMenu();
        Dialogs::message(this, QString::fromUtf8(kUnreadableMessage));
        return;
    }
    m_state.loadingBusy = true;
    m_state.cancelLoad = false;
    core::HtmlParser parser(core::htmlSource(*decoded));
    auto bookmarks = core::readMarks(appFolder().toStdString(), fileName.toStdString());
    runHtmlParse(fileName, parser, std::move(bookmarks), m_state.bookText);
}

// The parse runs in slices with the window's events handled between them, so the
// reader can read the first part of a large book while the rest is parsed. Nothing of
// the book on show changes until the new book is shown, so a cancel before that leaves
// it whole.
void Form1::runHtmlParse(const QString &fileName, core::HtmlParser &parser,
                         std::vector<core::Bookmark> bookmarks, std::u32string)
{
    bool shown = false;
    const auto showNewBook = [&](std::u32string paragraph, std::u32string book) {
        m_state.bookPath = fileName.toStdString();
        if (!shown) {
            m_state.bookmarks = std::move(bookmarks);
            FreshMarkmenu();
        }
        shown = true;
        m_state.bookText = std::move(book);
        core::setParagraphText(m_state, std::move(paragraph));
        m_state.topLine = 1;
        Resizeline();
    };

    for (;;) {
        const auto status = parser.run(kHtmlSlice);
        Picture10->Picture11->setFraction(parser.progress());
        if (status == core::HtmlParser::Status::Done)
            break;
        if (status == core::HtmlParser::Status::FirstPart && !m_state.partialShown) {
            showNewBook(parser.paragraphText(), parser.bookText());
            m_state.partialShown = true;
            Dialogs::message(
                this, QStringLiteral(
                          "这本书的字数有点多,我给你读取一部分出来先,剩下的部分我会在后台处理"));
        }
        QCoreApplication::processEvents();
        if (m_exited)
            return;
        if (m_state.cancelLoad) {
            m_state.cancelLoad = false;
            m_state.loadingBusy = false;
            m_state.partialShown = false;
            Picture10->hide();
            return;
        }
    }
    m_state.loadingBusy = false;
    showNewBook(parser.takeParagraphText(), parser.takeBookText());
    AddRecent();
    Picture10->hide();
    if (m_state.partialShown) {
        Dialogs::message(this, QStringLiteral("终于读完了"));
        m_state.partialShown = false;
    }
}

void Form1::Command6_Click()
{
    m_state.cancelLoad = true;
    Picture10->hide();
}

void Form1::GetLinelen()
{
    const FontMeasurer measurer(m_labelFont);
    core::updateCapacity(m_state, measurer, width(), height());
    Label1->setFont(m_labelFont);
    m_label1Width = measurer.widthOfRun(m_state.charsPerLine);
    Label1->resize(qCeil(m_label1Width), qCeil(measurer.lineHeight()));
}

void Form1::Setpage()
{
    const QFont preview = Picture4->Label8->font();
    m_labelFont = preview;
    Label1->setFont(preview);
    Picture8->Text2->setFont(preview);
    SettingsPanel *s = Picture4;
    m_state.lineSpacing = core::val(s->Combo2->currentText().toStdString());
    m_state.topMargin = core::val(s->Combo3->currentText().toStdString());
    m_state.bottomMargin = core::val(s->Combo4->currentText().toStdString());
    m_state.leftMargin = core::val(s->Combo5->currentText().toStdString());
    m_state.rightMargin = core::val(s->Combo6->currentText().toStdString());
    for (LineLabel *label : Label3)
        label->setFont(preview);
    GetLinelen();
}

void Form1::Resizeline()
{
    // A re-flow asked for while one runs (from an event handled between slices) makes
    // the running one start again with the newest text and capacity.
    if (m_reflowing) {
        m_reflowAgain = true;
        return;
    }
    m_reflowing = true;
    do {
        m_reflowAgain = false;
        ShowMenu();
        Picture6->Picture7->setFraction(0);
        Picture6->show();
        Picture6->raise();
        QCoreApplication::processEvents();
        if (m_exited)
            break;
        const uint64_t version = m_state.textVersion;
        const int64_t width = m_state.charsPerLine;
        core::LineCutter cutter(m_state.paragraphText, width);
        while (!cutter.cut(kReflowSlice)) {
            Picture6->Picture7->setFraction(cutter.progress());
            QCoreApplication::processEvents();
            if (m_exited || version != m_state.textVersion || width != m_state.charsPerLine) {
                m_reflowAgain = !m_exited;
                break;
            }
        }
        if (m_reflowAgain || m_exited)
            continue;
        if (!Picture3->isVisible())
            CloseMenu();
        Picture6->hide();
        QCoreApplication::processEvents();
        if (version != m_state.textVersion || width != m_state.charsPerLine) {
            m_reflowAgain = true;
            continue;
        }
        core::applyReflow(m_state, cutter.takeEnds());
        m_flowedCharsPerLine = width;
        m_flowedLinesPerPage = m_state.linesPerPage;
    } while (m_reflowAgain && !m_exited);
    m_reflowing = false;
    Picture6->hide();
    if (m_exited)
        return;
    LookUp();
    CloseMenu();
    FreshMarkmenu();
}

void Form1::LookUp()
{
    const core::Spread spread = core::buildSpread(m_state);
    const int L = static_cast<int>(std::max<int64_t>(m_state.linesPerPage, 1));
    ensureLineLabels(2 * L);
    const double W = width();
    const double pitch = Label1->height() + m_state.lineSpacing;
    const QFont font = m_labelFont;
    for (int k = 0; k < 2 * L; ++k) {
        LineLabel *label = Label3[static_cast<size_t>(k)];
        const bool left = k < L;
        const int row = left ? k : k - L;
        const double x = left ? m_state.leftMargin : W / 2 - 5 + m_state.rightMargin;
        label->move(qRound(x), qRound(m_state.topMargin + row * pitch));
        if (label->font() != font)
            label->setFont(font);
        label->setHighlighted(false);
        label->setText(qs(spread.rows[static_cast<size_t>(k)]));
        label->show();
    }
    m_state.spreadCharCount = spread.charCount;
    Label2->setText(QString::fromStdString(core::pageCaption(spread.leftPage)));
    Label4->setText(QString::fromStdString(core::pageCaption(spread.leftPage + 1)));
    Image11->hide();
    for (int64_t index : spread.bookmarkLabels)
        Setmark(static_cast<int>(index));
    for (size_t k = static_cast<size_t>(2 * L); k < Label3.size(); ++k)
        Label3[k]->clear();
    m_state.lineChosen = false;
}

} // namespace tibbo::window
