#include "htmlloadjob.h"

namespace tibbo::window {

namespace {

// Characters parsed between two turns of the event loop: a few milliseconds.
constexpr int64_t kHtmlSlice = 1 << 16;

} // namespace

HtmlLoadJob::HtmlLoadJob(QObject *parent) : QObject(parent)
{
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &HtmlLoadJob::runSlice);
}

void HtmlLoadJob::start(core::BookText source)
{
    m_parser.emplace(std::move(source));
    m_sliceTimer.start();
}

void HtmlLoadJob::cancel()
{
    m_sliceTimer.stop();
    m_parser.reset();
}

void HtmlLoadJob::runSlice()
{
    if (!m_parser)
        return m_sliceTimer.stop();
    const auto status = m_parser->run(kHtmlSlice);
    emit progress(m_parser->progress());
    if (status == core::HtmlParser::Status::FirstPart)
        emit firstPart();
    else if (status == core::HtmlParser::Status::Done) {
        m_sliceTimer.stop();
        emit finished();
        m_parser.reset();
    }
}

void HtmlLoadJob::finishNow()
{
    if (!m_parser)
        return;
    m_sliceTimer.stop();
    while (m_parser->run(int64_t{1} << 30) != core::HtmlParser::Status::Done) {
    }
    emit finished();
    m_parser.reset();
}

core::BookText HtmlLoadJob::takeParagraphText()
{
    return m_parser ? m_parser->takeParagraphText() : core::BookText();
}

core::ScrollTextMap HtmlLoadJob::takeScrollMap()
{
    return m_parser ? m_parser->takeScrollMap() : core::ScrollTextMap();
}

core::BookText HtmlLoadJob::paragraphTextSoFar() const
{
    return m_parser ? m_parser->paragraphText() : core::BookText();
}

core::ScrollTextMap HtmlLoadJob::scrollMapSoFar() const
{
    return m_parser ? m_parser->scrollMap() : core::ScrollTextMap();
}

} // namespace tibbo::window
