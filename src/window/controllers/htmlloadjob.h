#pragma once
// The parse of an HTML book, in slices driven by the event loop. The first part of a
// large book is handed over as soon as it is gathered, so the reader can start while
// the rest is parsed; the whole book follows when the parse ends.

#include "text/htmlparser.h"

#include <QObject>
#include <QTimer>

#include <optional>
#include <string>

namespace tibbo::window {

class HtmlLoadJob : public QObject
{
    Q_OBJECT
  public:
    explicit HtmlLoadJob(QObject *parent);

    void start(core::BookText source);
    bool running() const { return m_parser.has_value(); }
    void cancel();
    // Parses the rest at once (on the way out) and hands the whole book over.
    void finishNow();

    // The texts gathered so far (at firstPart) or of the whole book (at finished).
    core::BookText takeParagraphText();
    core::ScrollTextMap takeScrollMap();
    core::BookText paragraphTextSoFar() const;
    core::ScrollTextMap scrollMapSoFar() const;

  signals:
    void progress(double fraction);
    void firstPart();
    void finished();

  private:
    void runSlice();

    std::optional<core::HtmlParser> m_parser;
    QTimer m_sliceTimer;
};

} // namespace tibbo::window
