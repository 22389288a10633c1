#include "settingspanel.h"

#include "widgets.h"

#include "text/numbers.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>

#include <algorithm>

namespace tibbo::window {

namespace {

const QString kCurrentFont = QStringLiteral("当前字体:");

// As the 编码 menu lists them: "" finds the encoding by itself.
const char *const kEncodingNames[] = {"", "GB18030", "Big5", "UTF-8", "UTF-16"};

QComboBox *combo(QWidget *parent, const char *name, int x, int y)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setGeometry(x, y, 50, 20);
    return c;
}

CaptionLabel *caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new CaptionLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

// The panel has little room: a one-pixel gap between box and caption keeps the three
// style boxes on one row left of the buttons.
QCheckBox *check(QWidget *parent, const char *name, const QString &text, int x, int y, int w)
{
    auto *c = new QCheckBox(text, parent);
    c->setObjectName(QLatin1String(name));
    c->setGeometry(x, y, w, 16);
    c->setStyleSheet("QCheckBox { color: #000080; spacing: 1px; }");
    return c;
}

QString plain(double value)
{
    return QString::fromStdString(core::plainNumber(value));
}

double numberOf(const QComboBox *box)
{
    return core::val(box->currentText().toStdString());
}

} // namespace

SettingsPanel::SettingsPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("settingsPanel"));
    setFixedSize(280, 154);
    fillAsPanel(this);

    m_fontCaption = caption(this, kCurrentFont, 6, 4);
    m_fontCaption->setObjectName(QStringLiteral("fontCaption"));
    // A long family name is cut at the margin captions rather than run into them.
    m_fontCaption->setFixedWidth(138);
    m_fontList = new QListWidget(this);
    m_fontList->setObjectName(QStringLiteral("fontList"));
    m_fontList->setGeometry(6, 21, 138, 52);
    m_fontList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_fontList->setTextElideMode(Qt::ElideRight);
    // Two boxes a row: the size and the spacing; the theme and the encoding, whose
    // choices name themselves.
    caption(this, QStringLiteral("字号"), 6, 78);
    m_sizeBox = combo(this, "sizeBox", 31, 76);
    caption(this, QStringLiteral("行距"), 85, 78);
    m_spacingBox = combo(this, "spacingBox", 110, 76);
    m_spacingBox->setFixedWidth(40);
    m_themeBox = combo(this, "themeBox", 6, 97);
    m_themeBox->setEditable(false);
    m_themeBox->setFixedWidth(64);
    m_themeBox->addItems({QStringLiteral("日间"), QStringLiteral("护眼"), QStringLiteral("夜间")});
    m_themeBox->setToolTip(
        QStringLiteral("主题：书页的颜色，日间、护眼(棕黄)、夜间，选了立刻生效"));
    m_encodingBox = combo(this, "encodingBox", 74, 97);
    m_encodingBox->setEditable(false);
    m_encodingBox->setFixedWidth(76);
    for (const char *name : kEncodingNames) {
        const QString encoding = QString::fromLatin1(name);
        m_encodingBox->addItem(encoding.isEmpty() ? QStringLiteral("自动识别") : encoding,
                               encoding);
    }
    // The box is narrow; its list shows the names whole.
    m_encodingBox->view()->setMinimumWidth(90);
    m_encodingBox->setToolTip(
        QStringLiteral("编码：这本书的文字编码；满是奇怪的字时换一个，书会按它重新打开"));
    caption(this, QStringLiteral("上边距:"), 152, 6);
    m_topBox = combo(this, "topMarginBox", 200, 3);
    caption(this, QStringLiteral("下边距:"), 152, 27);
    m_bottomBox = combo(this, "bottomMarginBox", 200, 24);
    caption(this, QStringLiteral("左边距:"), 152, 48);
    m_leftBox = combo(this, "leftMarginBox", 200, 45);
    caption(this, QStringLiteral("右边距:"), 152, 69);
    m_rightBox = combo(this, "rightMarginBox", 200, 66);
    auto *frame = new QWidget(this);
    // The preview leaves room at its right for the dictionary site's button.
    frame->setGeometry(152, 89, 80, 24);
    frame->setStyleSheet("background: white; border: 1px solid #3050c0;");
    m_preview = new QLabel(QStringLiteral("预览"), frame);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setGeometry(1, 1, 78, 22);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setStyleSheet("border: none;");
    m_trimBox = check(this, "trimBox", QStringLiteral("读文件时修整段落"), 3, 136, 118);
    m_trimBox->setToolTip(
        QStringLiteral("有时你可能会发现读出来的文件版面有点问题,可以试试激活这个选项"));
    m_trimBox->installEventFilter(this);
    m_underlineBox = check(this, "underlineBox", QStringLiteral("下划线"), 3, 119, 49);
    m_boldBox = check(this, "boldBox", QStringLiteral("粗体"), 54, 119, 38);
    m_italicBox = check(this, "italicBox", QStringLiteral("斜体"), 94, 119, 38);
    m_fineBox = check(this, "fineBox", QStringLiteral("精排"), 132, 136, 50);
    m_fineBox->setToolTip(
        QStringLiteral("像印刷的书那样排版：整行两端对齐，标点挤压，标点不在行首，"
                       "章节标题加粗单独成行"));
    m_placeBox = check(this, "placeBox", QStringLiteral("页脚显示章节进度"), 152, 115, 122);
    m_placeBox->setToolTip(QStringLiteral("在页码旁边显示当前章节和已读的百分比"));
    auto *site = new PanelButton(QStringLiteral("查词…"), this);
    site->setObjectName(QStringLiteral("dictionarySiteButton"));
    site->setGeometry(235, 90, 40, 22);
    site->setToolTip(QStringLiteral("查词网站：查词面板里的「网上查」用哪个网站查词"));
    connect(site, &QPushButton::clicked, this, &SettingsPanel::dictionarySiteRequested);
    auto *ok = new PanelButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("settingsOk"));
    ok->setGeometry(190, 132, 40, 20);
    auto *cancel = new PanelButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("settingsCancel"));
    cancel->setGeometry(234, 132, 40, 20);

    connect(ok, &QPushButton::clicked, this, &SettingsPanel::accepted);
    connect(cancel, &QPushButton::clicked, this, &SettingsPanel::cancelled);
    connect(m_fontList, &QListWidget::currentRowChanged, this, [this] {
        if (QListWidgetItem *item = m_fontList->currentItem()) {
            QFont preview = m_preview->font();
            preview.setFamily(item->text());
            m_preview->setFont(preview);
        }
        showFontName();
    });
    // Sizes of zero or less cannot be shown; the preview keeps its size then.
    connect(m_sizeBox, &QComboBox::activated, this, [this] {
        const double size = numberOf(m_sizeBox);
        if (size <= 0)
            return;
        QFont preview = m_preview->font();
        preview.setPointSizeF(size);
        m_preview->setFont(preview);
    });
    const auto style = [this](QCheckBox *box, void (QFont::*set)(bool)) {
        connect(box, &QCheckBox::clicked, this, [this, box, set] {
            QFont preview = m_preview->font();
            (preview.*set)(box->checkState() == Qt::Checked);
            m_preview->setFont(preview);
        });
    };
    style(m_underlineBox, &QFont::setUnderline);
    style(m_boldBox, &QFont::setBold);
    style(m_italicBox, &QFont::setItalic);
    connect(m_trimBox, &QCheckBox::clicked, this, [this] { emit trimChanged(trimValue()); });
    connect(m_themeBox, &QComboBox::activated, this, &SettingsPanel::themeChosen);
    connect(m_encodingBox, &QComboBox::activated, this,
            [this](int index) { emit encodingChosen(m_encodingBox->itemData(index).toString()); });
    hide();
}

void SettingsPanel::showFontName()
{
    m_fontCaption->setCaption(kCurrentFont + m_preview->font().family());
}

void SettingsPanel::fill(const core::PageSpacing &values)
{
    // Families in the order the font database gives them; only an exact match of the
    // preview's family is selected, so a font that is not installed selects nothing.
    const QFont preview = m_preview->font();
    m_fontList->clear();
    int selected = -1;
    for (const QString &family : QFontDatabase::families()) {
        m_fontList->addItem(family);
        // The list is narrow: a long name shows whole in its tooltip.
        m_fontList->item(m_fontList->count() - 1)->setToolTip(family);
        if (selected < 0 && family == preview.family())
            selected = m_fontList->count() - 1;
    }
    if (selected >= 0) {
        m_fontList->setCurrentRow(selected);
        m_fontList->scrollToItem(m_fontList->item(selected));
    } else {
        m_fontList->setCurrentRow(-1);
        m_fontList->clearSelection();
        m_fontCaption->setCaption(kCurrentFont);
    }

    const auto fill = [](QComboBox *box, int from, int to) {
        box->clear();
        for (int i = from; i <= to; ++i)
            box->addItem(QString::number(i));
    };
    fill(m_sizeBox, 6, 30);
    fill(m_spacingBox, 0, 10);
    for (QComboBox *box : {m_topBox, m_bottomBox, m_leftBox, m_rightBox})
        fill(box, 10, 100);
    m_sizeBox->setEditText(QString::fromStdString(core::str(preview.pointSizeF())));
    setPageValues(values);
    m_underlineBox->setChecked(preview.underline());
    m_boldBox->setChecked(preview.bold());
    m_italicBox->setChecked(preview.italic());
}

void SettingsPanel::open()
{
    // Over the whole menu panel: nothing of the menu shows through.
    move(0, 0);
    show();
    raise();
}

QFont SettingsPanel::previewFont() const
{
    return m_preview->font();
}

void SettingsPanel::setPreviewFont(const QFont &font)
{
    m_preview->setFont(font);
}

void SettingsPanel::setSizeText(const QString &text)
{
    m_sizeBox->setEditText(text);
}

core::PageSpacing SettingsPanel::pageValues() const
{
    return {numberOf(m_spacingBox), numberOf(m_topBox), numberOf(m_bottomBox), numberOf(m_leftBox),
            numberOf(m_rightBox)};
}

void SettingsPanel::setPageValues(const core::PageSpacing &values)
{
    m_spacingBox->setEditText(plain(values.lineSpacing));
    m_topBox->setEditText(plain(values.topMargin));
    m_bottomBox->setEditText(plain(values.bottomMargin));
    m_leftBox->setEditText(plain(values.leftMargin));
    m_rightBox->setEditText(plain(values.rightMargin));
}

bool SettingsPanel::fineTypesetting() const
{
    return m_fineBox->isChecked();
}

void SettingsPanel::setFineTypesetting(bool on)
{
    m_fineBox->setChecked(on);
}

void SettingsPanel::setTheme(int theme)
{
    m_themeBox->setCurrentIndex(theme);
}

void SettingsPanel::setEncoding(const QString &name)
{
    m_encodingBox->setCurrentIndex(std::max(0, m_encodingBox->findData(name)));
}

bool SettingsPanel::placeCaptions() const
{
    return m_placeBox->isChecked();
}

void SettingsPanel::setPlaceCaptions(bool on)
{
    m_placeBox->setChecked(on);
}

// Qt numbers the undecided state 1 and the checked state 2; settings.ini the other way.
int SettingsPanel::trimValue() const
{
    switch (m_trimBox->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void SettingsPanel::setTrimValue(int value)
{
    m_trimBox->setCheckState(value == 1   ? Qt::Checked
                             : value == 2 ? Qt::PartiallyChecked
                                          : Qt::Unchecked);
}

// A thin frame sets the panel off from the menu panel it lies on, which shows around it.
void SettingsPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QColor(0x30, 0x50, 0xC0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool SettingsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_trimBox) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            m_trimRefused = trimChangeAllowed && !trimChangeAllowed();
            if (m_trimRefused)
                return true;
        } else if (event->type() == QEvent::MouseButtonRelease && m_trimRefused) {
            m_trimRefused = false;
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tibbo::window
