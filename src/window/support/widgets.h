#pragma once
// Small widgets the window is built from: pictures drawn from SVG artwork, caption
// labels that report mouse presses, the speech bubble and the progress bars of the
// bubble panels.

#include <QLabel>
#include <QPixmap>
#include <QPointF>
#include <QPushButton>
#include <QWidget>

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
