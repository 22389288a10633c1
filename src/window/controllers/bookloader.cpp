#include "bookloader.h"

#include "dialogs.h"
#include "htmlloadjob.h"
#include "optionsstore.h"
#include "plainloadjob.h"
#include "progresspanels.h"
#include "qtext.h"
#include "sessionfiles.h"

#include "settings/recentlist.h"
#include "text/htmlparser.h"
#include "text/plaintext.h"

#include <QFileInfo>
#include <QWidget>

namespace tibbo::window {

BookLoader::BookLoader(core::ReaderState &state, LoadingPanel &panel, OptionsStore &options,
                       QWidget *window)
    : QObject(window), m_state(state), m_panel(panel), m_options(options), m_window(window)
{
    m_htmlJob = new HtmlLoadJob(this);
    connect(m_htmlJob, &HtmlLoadJob::progress, &m_panel, &LoadingPanel::setProgress);
    connect(m_htmlJob, &HtmlLoadJob::firstPart, this, [this] { showHtmlBook(false); });
    connect(m_htmlJob, &HtmlLoadJob::finished, this, [this] { showHtmlBook(true); });
    connect(&m_panel, &LoadingPanel::cancelRequested, this, &BookLoader::cancel);
    m_plainJob = new PlainLoadJob(this);
    connect(m_plainJob, &PlainLoadJob::finished, this, &BookLoader::completePlain);
}

void BookLoader::open(const QString &path, bool trimParagraphs)
{
    // The rest of a plain-text book is read before another book takes its place.
    completeBook();
    // A running load keeps its panel, progress bar and cancel button.
    if (m_state.loadingBusy) {
        Dialogs::message(m_window, QStringLiteral("这个文件都还没读取完呢.等读完再读其它文件吧."));
        return;
    }
    // The recent list and the mark files find a book by its full path from any folder.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // settings.ini keeps one path a line: a book it could not give back is refused before
    // it replaces the reader's own.
    if (!core::pathIsStorable(absolute.toStdString())) {
        Dialogs::message(m_window, qs(core::kUnstorablePathMessage));
        return;
    }
    m_trim = trimParagraphs;
    const QString remembered = m_options.value(options::kEncoding, absolute);
    const auto encoding =
        core::parseEncodingName(remembered.toStdString()).value_or(core::BookEncodingName::Auto);
    if (core::isHtmlPath(absolute.toStdString()))
        openHtml(absolute, encoding);
    else
        openPlain(absolute, trimParagraphs, encoding);
}

void BookLoader::reopenInEncoding(const QString &encodingName)
{
    completeBook();
    if (m_state.loadingBusy || m_state.bookPath.empty())
        return;
    const QString path = QString::fromStdString(m_state.bookPath);
    m_options.setValue(options::kEncoding, path, encodingName);
    open(path, m_trim);
}

void BookLoader::openPlain(const QString &path, bool trimParagraphs,
                           core::BookEncodingName encoding)
{
    core::ReadFailure failure = core::ReadFailure::None;
    if (!m_plainJob->start(path.toStdString(), trimParagraphs, encoding, &failure)) {
        // The book on show stays as it was.
        Dialogs::message(m_window, qs(core::bookRefusedMessage(failure)));
        return;
    }
    m_state.bookPath = path.toStdString();
    m_state.bookmarks = SessionFiles::readMarks(m_state.bookPath);
    m_state.partialShown = false;
    core::addRecent(m_state.recent, m_state.bookPath);
    emit recentChanged();
    emit encodingChanged(
        encoding == core::BookEncodingName::Auto ? QString() : qs(core::encodingName(encoding)));
    if (m_plainJob->whole())
        return showWholePlain(m_plainJob->takeWhole());
    // The first part is shown now; the rest follows while the reader reads. Until then the
    // book is loading: settings that change the paragraphs wait, and whatever needs the
    // whole book reads the rest first (completeBook).
    m_state.scrollMap.clear();
    core::setParagraphText(m_state, m_plainJob->handOverFirstPart());
    m_state.loadingBusy = true;
    m_state.partialShown = true;
    m_state.topLine = 1;
    emit textReplaced();
}

void BookLoader::showWholePlain(core::BookTexts texts)
{
    // The old book goes before the new one takes its place.
    m_state.scrollMap = std::move(texts.scrollMap);
    core::setParagraphText(m_state, std::move(texts.paragraphText));
    // Once for each opening: a book read in the wrong code page shows signs of it.
    if (texts.manyReplacements())
        warnOfReplacements(texts.replacementCount);
    m_state.topLine = 1;
    emit textReplaced();
}

void BookLoader::warnOfReplacements(int64_t count)
{
    Dialogs::message(m_window, QStringLiteral("这本书里有 %1 个字读不出来,可能是编码不对."
                                              "可以在\"打开一部小说\"的右键菜单里的"
                                              "\"编码\"中换一种编码再打开.")
                                   .arg(count));
}

// The whole book takes the place of its first part. Its lines begin as the lines on
// show, so the reader stays on the spread they turned to while it was read.
void BookLoader::completePlain()
{
    const bool differs = m_plainJob->firstPartDiffers();
    const bool failed = m_plainJob->readFailed();
    core::BookTexts texts = m_plainJob->takeWhole();
    m_state.loadingBusy = false;
    m_state.partialShown = false;
    if (differs) {
        showWholePlain(std::move(texts));
        return;
    }
    m_state.scrollMap = std::move(texts.scrollMap);
    const uint64_t partVersion = m_state.textVersion;
    core::setParagraphText(m_state, std::move(texts.paragraphText));
    if (failed)
        Dialogs::message(m_window, qs(core::bookRefusedMessage(core::ReadFailure::CannotRead)));
    else if (texts.manyReplacements())
        warnOfReplacements(texts.replacementCount);
    emit textCompleted(partVersion);
}

bool BookLoader::completeBook()
{
    if (!m_plainJob->running())
        return false;
    m_plainJob->finishNow();
    return true;
}

// Nothing of the book on show changes until the new book is shown, so a cancel before
// that leaves it whole.
void BookLoader::openHtml(const QString &path, core::BookEncodingName encoding)
{
    core::ReadFailure failure = core::ReadFailure::None;
    auto source = core::loadHtmlSource(path.toStdString(), &failure, encoding);
    if (!source) {
        // The book on show stays as it was.
        Dialogs::message(m_window, qs(core::bookRefusedMessage(failure)));
        return;
    }
    m_state.loadingBusy = true;
    m_state.partialShown = false;
    m_htmlPath = path;
    m_htmlBookmarks = SessionFiles::readMarks(path.toStdString());
    emit loadStarted();
    m_panel.open(true);
    m_htmlJob->start(std::move(*source));
}

void BookLoader::showHtmlBook(bool whole)
{
    if (!m_state.partialShown)
        m_state.bookmarks = std::move(m_htmlBookmarks);
    m_state.bookPath = m_htmlPath.toStdString();
    m_state.scrollMap = whole ? m_htmlJob->takeScrollMap() : m_htmlJob->scrollMapSoFar();
    core::setParagraphText(m_state, whole ? m_htmlJob->takeParagraphText()
                                          : m_htmlJob->paragraphTextSoFar());
    m_state.topLine = 1;
    if (!whole) {
        m_state.partialShown = true;
        emit textReplaced();
        m_firstPartMessage =
            Dialogs::message(m_window, QStringLiteral("这本书的字数有点多,我给你读取一部分出来先,"
                                                      "剩下的部分我会在后台处理"));
        return;
    }
    core::addRecent(m_state.recent, m_state.bookPath);
    emit recentChanged();
    const bool wasPartial = m_state.partialShown;
    end();
    emit textReplaced();
    // Read whole before the first message was acknowledged: that one message says so,
    // instead of a second one on top of it.
    const QString done = QStringLiteral("终于读完了");
    if (wasPartial && !Dialogs::updateMessage(std::exchange(m_firstPartMessage, 0), done))
        Dialogs::message(m_window, done);
}

void BookLoader::finishNow()
{
    completeBook();
    if (m_htmlJob->running())
        m_htmlJob->finishNow();
}

void BookLoader::cancel()
{
    if (!m_htmlJob->running())
        return;
    m_htmlJob->cancel();
    end();
}

void BookLoader::end()
{
    m_state.loadingBusy = false;
    m_state.partialShown = false;
    m_panel.hide();
    emit loadEnded();
}

} // namespace tibbo::window
