#include "settings/preferences_sheet.h"

#include "settings/stored_colour.h"
#include "view/view_fonts.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <cstdlib>

namespace byteloom {

namespace {

// The colours the view would paint with under the working copy.
ViewColours ColoursOfCopy(const PreferencesCopy &copy, const QPalette &palette)
{
    DisplaySettings display;
    const auto colours = PreferenceColours();
    for (std::size_t i = 0; i < colours.size(); ++i)
        display.*colours[i].field = copy.colours[i];
    display.useSystemColours = copy.useSystemColours;
    return ColoursFor(display, DesktopColoursOf(palette));
}

// "Noto Mono, 20 px", or what stands for the system's own font.
QString FontName(const std::string &face, int fontSize, bool fixedPitch)
{
    const QString family = MakeFont(face, fontSize, fixedPitch).family();
    const QString name = face.empty() ? QStringLiteral("The system's font (%1)").arg(family)
                                      : QString::fromStdString(face);
    return QStringLiteral("%1, %2 px").arg(name).arg(std::abs(fontSize));
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
        const QFontMetrics metrics(MakeFont(copy_.hexFace, copy_.fontSize, true));
        return {8 * metrics.horizontalAdvance(QStringLiteral("0000 ")) + 10,
                6 * (metrics.height() + metrics.leading()) + 10};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const ViewColours colours = ColoursOfCopy(copy_, palette());
        painter.fillRect(rect(), StoredColour(colours.hexBackground));
        painter.setPen(StoredColour(colours.text));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const QFont font = MakeFont(copy_.hexFace, copy_.fontSize, true);
        painter.setFont(font);
        const QFontMetrics metrics(font);
        const int step = metrics.height() + metrics.leading();
        for (int row = 0; row < 6; ++row) {
            int x = 5;
            for (int group = 0; group < 8; ++group) {
                painter.setPen(
                    StoredColour(group % 2 == 0 ? colours.oddColumn : colours.evenColumn));
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
    auto *layout = new QVBoxLayout(page);
    systemColours_ = new QCheckBox(QStringLiteral("&Use system colours"), page);
    systemColours_->setToolTip(
        QStringLiteral("The desktop theme's colours; the colours below are kept for when this "
                       "is off."));
    systemColours_->setChecked(copy_.useSystemColours);
    layout->addWidget(systemColours_);

    auto *ownColours = new QWidget(page);
    auto *grid = new QGridLayout(ownColours);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto colours = PreferenceColours();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        auto *swatch = new QPushButton(ownColours);
        swatch->setFixedSize(48, 20);
        swatch->setObjectName(QString::fromLatin1(colours[i].label));
        swatches_.push_back(swatch);
        PaintSwatch(i);
        connect(swatch, &QPushButton::clicked, this, [this, i] { ChooseColour(i); });
        const int row = static_cast<int>(i % 5);
        const int column = static_cast<int>(i / 5) * 3;
        // Each colour's letter, clear of the page's other keys: "O&ffset:", "Offset &BG:"...
        constexpr std::array<int, 9> kKeyAt{1, 7, 6, 0, 0, 0, 6, 1, 12};
        auto *label = new QLabel(
            QString::fromLatin1(colours[i].label).insert(kKeyAt[i], QLatin1Char('&')), ownColours);
        label->setBuddy(swatch);
        grid->addWidget(label, row, column, Qt::AlignRight);
        grid->addWidget(swatch, row, column + 1);
    }
    // The labels stay beside their swatches; the space goes between the two columns.
    grid->setColumnMinimumWidth(2, 24);
    grid->setColumnStretch(5, 1);
    auto *defaults = new QPushButton(QStringLiteral("Load &Defaults"), ownColours);
    connect(defaults, &QPushButton::clicked, this, [this] {
        LoadDefaultColours(copy_);
        for (std::size_t i = 0; i < swatches_.size(); ++i)
            PaintSwatch(i);
    });
    grid->addWidget(defaults, 4, 3, 1, 2);
    layout->addWidget(ownColours);
    ownColours->setEnabled(!copy_.useSystemColours);
    connect(systemColours_, &QCheckBox::toggled, this, [this, ownColours](bool system) {
        copy_.useSystemColours = system;
        ownColours->setEnabled(!system);
        preview_->update();
    });

    grouping_ = new QComboBox(page);
    grouping_->setObjectName(QStringLiteral("grouping"));
    for (const GroupingItem &item : GroupingItems())
        grouping_->addItem(QString::fromLatin1(item.text));
    grouping_->setCurrentIndex(static_cast<int>(GroupingItemIndex(copy_.grouping)));
    auto *groupingRow = new QHBoxLayout;
    auto *groupingLabel = new QLabel(QStringLiteral("Byte G&roupings:"), page);
    groupingLabel->setBuddy(grouping_);
    groupingRow->addWidget(groupingLabel);
    groupingRow->addWidget(grouping_);
    groupingRow->addStretch();
    layout->addLayout(groupingRow);
    layout->addStretch();
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
    hexFontName_ = new QLabel(FontName(copy_.hexFace, copy_.fontSize, true), general);
    hexFontName_->setObjectName(QStringLiteral("hexFontName"));
    auto *hexFontRow = new QHBoxLayout;
    hexFontRow->addWidget(hexFontName_, 1);
    hexFontRow->addWidget(hexFont);
    generalLayout->addWidget(preview_);
    generalLayout->addLayout(hexFontRow);

    auto *codePages = new QGroupBox(QStringLiteral("Code Pages"), page);
    auto *codePageLayout = new QVBoxLayout(codePages);
    codePages_ = new QListWidget(codePages);
    for (const std::string &item : codePageItems_)
        codePages_->addItem(QString::fromStdString(item));
    auto *itemFont = new QPushButton(QStringLiteral("F&ont..."), codePages);
    itemFont->setObjectName(QStringLiteral("itemFont"));
    itemFont->setAutoDefault(false);
    connect(itemFont, &QPushButton::clicked, this, &PreferencesSheet::ChooseItemFont);
    itemFontName_ = new QLabel(codePages);
    itemFontName_->setObjectName(QStringLiteral("itemFontName"));
    connect(codePages_, &QListWidget::currentRowChanged, this, &PreferencesSheet::NameItemFont);
    NameItemFont(-1);
    auto *codePagesLabel = new QLabel(QStringLiteral("&Code Pages:"), codePages);
    codePagesLabel->setBuddy(codePages_);
    auto *itemFontRow = new QHBoxLayout;
    itemFontRow->addWidget(itemFontName_, 1);
    itemFontRow->addWidget(itemFont);
    codePageLayout->addWidget(codePagesLabel);
    codePageLayout->addWidget(codePages_);
    codePageLayout->addLayout(itemFontRow);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(general);
    layout->addWidget(codePages);
    return page;
}

QWidget *PreferencesSheet::GeneralPage()
{
    auto *page = new QWidget(this);
    splash_ = new QCheckBox(QStringLiteral("Show &splash screen at startup"), page);
    paging_ = new QCheckBox(QStringLiteral("&Page Large Files"), page);
    splash_->setChecked(copy_.showSplash);
    paging_->setChecked(copy_.allowPaging);
    auto *pagingNote = new QLabel(
        QStringLiteral("A file larger than 8 MB is then read 8 MB at a time, so that a file of "
                       "any size opens at once; its changes are written back page by page. "
                       "Without it, the whole file is read into memory."),
        page);
    pagingNote->setWordWrap(true);
    pagingNote->setIndent(20);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(splash_);
    layout->addWidget(paging_);
    layout->addWidget(pagingNote);
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
    const QFont chosen = QFontDialog::getFont(&ok,
                                              MakeFont(copy_.hexFace, copy_.fontSize, true),
                                              this,
                                              QString(),
                                              QFontDialog::MonospacedFonts);
    if (!ok)
        return;
    // The hex font's dialog sets the one font height of the view.
    copy_.hexFace = chosen.family().toStdString();
    const int pixels = chosen.pixelSize() > 0
                           ? chosen.pixelSize()
                           : static_cast<int>(chosen.pointSizeF() * 96 / 72 + 0.5);
    copy_.fontSize = -std::max(pixels, 6);
    hexFontName_->setText(FontName(copy_.hexFace, copy_.fontSize, true));
    NameItemFont(codePages_->currentRow());
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
    const QFont chosen = QFontDialog::getFont(&ok, MakeFont(face, copy_.fontSize, false), this);
    if (!ok)
        return;
    face = chosen.family().toStdString(); // its size is not used
    NameItemFont(item);
}

void PreferencesSheet::NameItemFont(int item)
{
    if (item < 0 || static_cast<std::size_t>(item) >= copy_.itemFaces.size()) {
        itemFontName_->setText(QStringLiteral("Choose a code page to see its font."));
        return;
    }
    // The default code page's column is fixed-pitch; the others take the general font.
    itemFontName_->setText(
        FontName(copy_.itemFaces[static_cast<std::size_t>(item)], copy_.fontSize, item == 0));
}

void PreferencesSheet::accept()
{
    copy_.grouping = GroupingItems()[static_cast<std::size_t>(grouping_->currentIndex())].grouping;
    copy_.showSplash = splash_->isChecked();
    copy_.allowPaging = paging_->isChecked();
    QDialog::accept();
}

} // namespace byteloom
