#pragma once
// Small widgets the window is built from: pictures drawn from SVG artwork, caption
// labels and line labels that report mouse presses, the speech bubble and the
// progress bars of the bubble panels.

#include <QLabel>
#include <QPixmap>
#include <QPointF>
#include <QPushButton>
#include <QStaticText>
#include <QWidget>

#include <vector>

class QSvgRenderer;

namespace tibbo::window {

// The colour of the bubble's panels: by day the light blue of the description
// (&H00FFC0C0, blue-green-red), at night the darker bubble's.
QColor panelColour();
// Fills panel with the panel colour, now and whenever recolourPanels runs.
void fillAsPanel(QWidget *panel);
// Makes colour the panel colour of every panel under root.
void recolourPanels(QWidget *root, const QColor &colour);

// Twips per pixel: settings.ini keeps the window's place and size in twips.
inline constexpr double kTwipsPerPixel = 15.0;

// A picture control: an SVG stretched to the control's size. Mouse positions are
// reported in pixels relative to the picture.
class Picture : public QWidget
{
    Q_OBJECT
  public:
    explicit Picture(const QString &svgResource, QWidget *parent = nullptr);
    void setPicture(const QString &svgResource);
    // A colour laid over the drawing where it is drawn (its transparent parts stay so);
    // an invalid colour shows the drawing as it is.
    void setTint(const QColor &tint);

  signals:
    void mouseDown(Qt::MouseButton button, QPointF at);
    void mouseMove(Qt::MouseButtons buttons, QPointF at);
    void mouseUp(Qt::MouseButton button, QPointF at);
    // A left press and release on the picture.
    void clicked();
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

  private:
    QSvgRenderer *m_renderer = nullptr;
    // The drawing at the picture's current size: a page turn repaints the pages, and
    // rendering the SVG each time would cost far more than the turn itself.
    QPixmap m_cache;
    QColor m_tint;
    bool m_leftPressed = false;
};

// A caption label of the panels: navy text on a transparent background.
class CaptionLabel : public QLabel
{
    Q_OBJECT
  public:
    explicit CaptionLabel(const QString &text, QWidget *parent = nullptr);
    // The caption as the program sets it, with CR (LF) line breaks; shown with the
    // breaks it holds.
    void setCaption(const QString &caption);
    QString caption() const { return m_caption; }

  signals:
    void mouseDown(Qt::MouseButton button);
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    QString m_caption;
    bool m_leftPressed = false;
};

// One display line of a page. It sizes itself to its text; a press on it is a press
// on that line, a press beside it falls through to the page behind. The text is laid
// out once when it is set and drawn from that layout, so a page turn repaints a spread
// of lines cheaply.
class LineLabel : public QWidget
{
    Q_OBJECT
  public:
    LineLabel(int index, QWidget *parent = nullptr);
    int index() const { return m_index; }
    // Sets the text and fits the label's size to it.
    void setText(const QString &text);
    QString text() const { return m_text.text(); }
    void clear() { setText(QString()); }
    // Highlight of a chosen line; a redraw makes every label transparent again.
    void setHighlighted(bool on);
    bool highlighted() const { return m_highlighted; }
    void setColours(const QColor &text, const QColor &highlight);
    // A text wider than `width` is drawn narrowed to it (a row of the book in the other
    // script whose words grew, so it keeps within its page); 0: always as wide as it is.
    void setFitWidth(double width);
    // The width the text is drawn at.
    double drawnWidth() const;

    // A soft band behind characters [firstColumn, firstColumn + columns) of the text (a
    // sentence read aloud, a selection, a search hit): drawn over the highlight, under
    // the text.
    struct Band
    {
        int firstColumn = 0;
        int columns = 0;
        QColor colour;
        friend bool operator==(const Band &, const Band &) = default;
    };
    void setBands(std::vector<Band> bands);
    const std::vector<Band> &bands() const { return m_bands; }
    // Where a band over these columns is drawn, in the label's coordinates before any
    // narrowing.
    QRectF bandRect(int firstColumn, int columns) const;

    // The one place that says where the characters of the line are drawn: the x of the
    // left edge of character `column` (the text's width for a column at its end), in the
    // label's coordinates. Bands, the pointer's character and the marks beside text all
    // take it from here.
    double xOfColumn(int column) const;
    // The character whose cell holds `x`: the first for an x before the text, the last for
    // one past it; 0 for an empty line.
    int columnAt(double x) const;
    // Characters of the line (a character beyond the Basic Multilingual Plane counts one).
    int columnCount() const;

  signals:
    void mouseDown(int index, Qt::MouseButton button);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void layOut();

    int m_index;
    QStaticText m_text;
    // The QString unit each character starts at, and the text's size last; empty while
    // every character takes one unit.
    std::vector<int> m_unitOfColumn;
    std::vector<Band> m_bands;
    double m_fitWidth = 0;
    bool m_highlighted = false;
    QColor m_textColour{Qt::black};
    QColor m_highlightColour{255, 232, 233};
};

// The speech bubble, a rounded rectangle with a blue border.
class Bubble : public QWidget
{
  public:
    explicit Bubble(QWidget *parent = nullptr);
    void setColour(const QColor &colour);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QColor m_colour = panelColour();
};

// A progress frame with its bar.
class ProgressBar : public QWidget
{
  public:
    explicit ProgressBar(QWidget *parent = nullptr);
    // Share of the frame's inner width the bar covers, 0 .. 1.
    void setFraction(double fraction);
    double fraction() const { return m_fraction; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    double m_fraction = 0;
};

// The push buttons of the bubble panels.
class PanelButton : public QPushButton
{
  public:
    explicit PanelButton(const QString &caption, QWidget *parent = nullptr);
};

// The installed face closest to 宋体, the page's font before any settings file exists.
QString songFamily();

// The font of the panels, captions and menus: the page's first face at 11 px, so a
// reader who keeps that face has one font file open, not two.
QFont interfaceFont(QFont base);

// The pointer over the command pictures and captions, drawn from the artwork.
QCursor commandCursor();

// The frame of the small floating panels (the prompt, the search, the chapter list): a
// light blue rounded rectangle with a blue border, filling the widget.
void paintRoundedPanel(QWidget *panel);

} // namespace tibbo::window
