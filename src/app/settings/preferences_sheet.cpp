#include "settings/preferences_sheet.h"

#include "settings/stored_colour.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstdlib>

namespace byteloom {

namespace {

QFont FaceAt(const std::string &face, int fontSize)
{
    QFont font(QString::fromStdString(face));
    font.setPixelSize(std::max(std::abs(fontSize), 6));
    return font;
}

// The hex font as the view shows it: 6 rows of 8 "0000 " groups in the two group colours.
class HexPreview : public QWidget
{
public:
    explicit HexPreview(const PreferencesCopy &copy, QWidget *parent)
        : QWidget(parent)
        , copy_(copy)
    {}

    // Room for the 6 rows of 8 groups in the working font.
    [[nodiscard]] QSize minimumSizeHint() const override
    {
        const QFontMetrics metrics(FaceAt(copy_.hexFace, copy_.fontSize));
        return {8 * metrics.horizontalAdvance(QStringLiteral("0000 ")) + 10,
                6 * (metrics.height() + metrics.leading()) + 10};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const auto &colours = copy_.colours;
        painter.fillRect(rect(), StoredColour(colours[6])); // Text BG
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        QFont font = FaceAt(copy_.hexFace, copy_.fontSize);
        font.setStyleHint(QFont::TypeWriter);
        painter.setFont(font);
        const QFontMetrics metrics(font);
        const int step = metrics.height() + metrics.leading();
        for (int row = 0; row < 6; ++row) {
            int x = 5;
            for (int group = 0; group < 8; ++group) {
                painter.setPen(StoredColour(colours[group % 2 == 0 ? 2 : 3])); // Odd / Even Column
                painter.drawText(x, 5 + row * step + metrics.ascent(), QStringLiteral("0000 "));
                x += metrics.horizontalAdvance(QStringLiteral("0000 "));
            }
        }
    }

private:
    const PreferencesCopy &copy_;
};

} // namespace

PreferencesSheet::PreferencesSheet(PreferencesCopy &copy,
                                   std::vector<std::string> codePageItems,
                                   QWidget *parent)
    : QDialog(parent)
    , copy_(copy)
    , codePageItems_(std::move(codePageItems))
    , pages_(new QTabWidget(this))
{
    setWindowTitle(QStringLiteral("Byteloom Preferences"));
    pages_->addTab(DisplayPage(), QStringLiteral("Display"));
    pages_->addTab(FontPage(), QStringLiteral("Font"));
    pages_->addTab(GeneralPage(), QStringLiteral("General"));
    // A page never shown takes no part in OK.
    copy_.displayShown = true;
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
        (page == 0 ? copy_.displayShown : page == 1 ? copy_.fontShown : copy_.generalShown) = true;
    });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PreferencesSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
}

QWidget *PreferencesSheet::DisplayPage()
{
    auto *page = new QWidget(this);
    auto *grid = new QGridLayout(page);
    const auto colours = PreferenceColours();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        auto *swatch = new QPushButton(page);
        swatch->setFixedSize(48, 20);
        swatch->setObjectName(QString::fromLatin1(colours[i].label));
        swatches_.push_back(swatch);
        PaintSwatch(i);
        connect(swatch, &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
        const int row = static_cast<int>(i % 5);
        const int column = static_cast<int>(i / 5) * 2;
        grid->addWidget(new QLabel(QString::fromLatin1(colours[i].label), page), row, column);
        grid->addWidget(swatch, row, column + 1);
    }
    auto *defaults = new QPushButton(QStringLiteral("Load Defaults"), page);
    connect(defaults, &QPushButton::clicked, this, [this] {
        LoadDefaultColours(copy_);
        for (std::size_t i = 0; i < swatches_.size(); ++i)
            PaintSwatch(i);
    });
    grid->addWidget(defaults, 5, 0, 1, 2);
    grouping_ = new QComboBox(page);
    grouping_->setObjectName(QStringLiteral("grouping"));
    for (const GroupingItem &item : GroupingItems())
        grouping_->addItem(QString::fromLatin1(item.text));
    grouping_->setCurrentIndex(static_cast<int>(GroupingItemIndex(copy_.grouping)));
    grid->addWidget(new QLabel(QStringLiteral("Byte Groupings:"), page), 6, 0);
    grid->addWidget(grouping_, 6, 1, 1, 3);
    return page;
}

QWidget *PreferencesSheet::FontPage()
{
    auto *page = new QWidget(this);
    auto *general = new QGroupBox(QStringLiteral("General"), page);
    auto *generalLayout = new QVBoxLayout(general);
    preview_ = new HexPreview(copy_, general);
    auto *hexFont = new QPushButton(QStringLiteral("&Font..."), general);
    hexFont->setObjectName(QStringLiteral("hexFont"));
    // Return after the font dialog closes is the sheet's OK, not this button again.
    hexFont->setAutoDefault(false);
    connect(hexFont, &QPushButton::clicked, this, &PreferencesSheet::ChooseHexFont);
    generalLayout->addWidget(preview_);
    generalLayout->addWidget(hexFont, 0, Qt::AlignRight);

    auto *codePages = new QGroupBox(QStringLiteral("Code Pages"), page);
    auto *codePageLayout = new QVBoxLayout(codePages);
    codePages_ = new QListWidget(codePages);
    for (const std::string &item : codePageItems_)
        codePages_->addItem(QString::fromStdString(item));
    auto *itemFont = new QPushButton(QStringLiteral("&Font..."), codePages);
    itemFont->setObjectName(QStringLiteral("itemFont"));
    itemFont->setAutoDefault(false);
    connect(itemFont, &QPushButton::clicked, this, &PreferencesSheet::ChooseItemFont);
    codePageLayout->addWidget(new QLabel(QStringLiteral("Code Pages:"), codePages));
    codePageLayout->addWidget(codePages_);
    codePageLayout->addWidget(itemFont, 0, Qt::AlignRight);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(general);
    layout->addWidget(codePages);
    return page;
}

QWidget *PreferencesSheet::GeneralPage()
{
    auto *page = new QWidget(this);
    splash_ = new QCheckBox(QStringLiteral("Show splash screen at startup"), page);
    paging_ = new QCheckBox(QStringLiteral("Page Large Files"), page);
    splash_->setChecked(copy_.showSplash);
    paging_->setChecked(copy_.allowPaging);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(splash_);
    layout->addWidget(paging_);
    layout->addStretch();
    return page;
}

void PreferencesSheet::PaintSwatch(std::size_t colour)
{
    swatches_[colour]->setStyleSheet(
        QStringLiteral("background-color: %1; border: 1px solid black;")
            .arg(StoredColour(copy_.colours[colour]).name()));
}

void PreferencesSheet::ChooseColour(std::size_t colour)
{
    // The dialog starts at grey, then at the colour chosen last; its custom colours last the run.
    const QColor chosen = QColorDialog::getColor(StoredColour(startColour_), this);
    if (!chosen.isValid())
        return;
    copy_.colours[colour] = startColour_ = StoredColourValue(chosen);
    PaintSwatch(colour);
    preview_->update();
}

void PreferencesSheet::ChooseHexFont()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(
        &ok, FaceAt(copy_.hexFace, copy_.fontSize), this, QString(), QFontDialog::MonospacedFonts);
    if (!ok)
        return;
    // The hex font's dialog sets the one font height of the view.
    copy_.hexFace = chosen.family().toStdString();
    const int pixels = chosen.pixelSize() > 0
                           ? chosen.pixelSize()
                           : static_cast<int>(chosen.pointSizeF() * 96 / 72 + 0.5);
    copy_.fontSize = -std::max(pixels, 6);
    preview_->updateGeometry();
    preview_->update();
}

void PreferencesSheet::ChooseItemFont()
{
    const int item = codePages_->currentRow();
    if (item < 0 || static_cast<std::size_t>(item) >= copy_.itemFaces.size())
        return; // nothing selected: no dialog
    std::string &face = copy_.itemFaces[static_cast<std::size_t>(item)];
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FaceAt(face, copy_.fontSize), this);
    if (ok)
        face = chosen.family().toStdString(); // its size is not used
}

void PreferencesSheet::accept()
{
    copy_.grouping = GroupingItems()[static_cast<std::size_t>(grouping_->currentIndex())].grouping;
    copy_.showSplash = splash_->isChecked();
    copy_.allowPaging = paging_->isChecked();
    QDialog::accept();
}

} // namespace byteloom
