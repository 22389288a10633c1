#include "bookscript.h"

#include "dialogs.h"
#include "optionsstore.h"
#include "qtext.h"

#include "script/openccconverter.h"
#include "script/scriptguess.h"
#include "state/readerstate.h"

#include <QWidget>

namespace tibbo::window {

BookScript::BookScript(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_options(parts.options), m_window(window)
{
}

BookScript::~BookScript() = default;

// Takes up the book on show: its mode from options.ini, and the display layer over its
// current text.
void BookScript::follow()
{
    if (m_following && m_bookPath == m_state.bookPath && m_textVersion == m_state.textVersion)
        return;
    if (!m_following || m_bookPath != m_state.bookPath) {
        const QString key = m_options.value(options::kScript, qs(m_state.bookPath));
        m_mode = core::scriptModeFromKey(key.toStdString()).value_or(core::ScriptMode::Original);
        std::string error;
        m_converter = core::OpenccConverter::forMode(m_mode, &error);
        if (!m_converter)
            m_mode = core::ScriptMode::Original;
    }
    m_following = true;
    m_bookPath = m_state.bookPath;
    m_textVersion = m_state.textVersion;
    m_display.show(&m_state.paragraphText, m_converter);
}

const core::DisplayText &BookScript::display()
{
    follow();
    return m_display;
}

core::ScriptMode BookScript::mode()
{
    follow();
    return m_mode;
}

std::shared_ptr<const core::PhraseConverter> BookScript::converter()
{
    follow();
    return m_converter;
}

QString BookScript::shown(const std::u32string &text)
{
    return qs(display().convert(text));
}

void BookScript::setMode(core::ScriptMode mode)
{
    follow();
    std::string error;
    auto converter = core::OpenccConverter::forMode(mode, &error);
    if (mode != core::ScriptMode::Original && !converter) {
        Dialogs::message(
            m_window,
            QStringLiteral("简繁转换用的字典读不出来：%1").arg(QString::fromStdString(error)));
        return;
    }
    m_mode = mode;
    m_converter = std::move(converter);
    m_display.show(&m_state.paragraphText, m_converter);
    const QString path = qs(m_state.bookPath);
    m_options.setValue(options::kScript, path,
                       mode == core::ScriptMode::Original ? QString()
                                                          : qs(core::scriptModeKey(mode)));
    // Chosen once, the offer is never made for this book.
    m_options.setValue(options::kScriptOffered, path, QStringLiteral("1"));
    emit modeChanged();
}

void BookScript::onEncodingChanged(const QString &encodingName)
{
    m_readAsBig5 = encodingName == QLatin1String("Big5");
}

void BookScript::considerOffer()
{
    follow();
    const QString path = qs(m_state.bookPath);
    if (m_mode != core::ScriptMode::Original || path.isEmpty() ||
        !m_options.value(options::kScriptOffered, path).isEmpty())
        return;
    if (!m_readAsBig5 && !core::looksTraditional(m_state.paragraphText))
        return;
    m_options.setValue(options::kScriptOffered, path, QStringLiteral("1"));
    emit conversionOffered(core::ScriptMode::Simplified);
}

} // namespace tibbo::window
