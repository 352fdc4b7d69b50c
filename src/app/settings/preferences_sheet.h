#pragma once

#include "settings/preferences.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace byteloom {

// "Byteloom Preferences": the Display, Font and General pages over the core's working copies.
// OK stores the widgets' choices in the copy (the caller applies it); Cancel leaves it unused.
class PreferencesSheet : public QDialog
{
    Q_OBJECT

public:
    PreferencesSheet(PreferencesCopy &copy,
                     std::vector<std::string> codePageItems,
                     QWidget *parent = nullptr);

    void accept() override;

private:
    QWidget *DisplayPage();
    QWidget *FontPage();
    QWidget *GeneralPage();
    void PaintSwatch(std::size_t colour);
    void ChooseColour(std::size_t colour);
    void ChooseHexFont();
    void ChooseItemFont();
    void NameItemFont(int item);

    PreferencesCopy &copy_;
    std::vector<std::string> codePageItems_;
    QTabWidget *pages_;
    std::vector<QPushButton *> swatches_;
    QComboBox *grouping_ = nullptr;
    QWidget *preview_ = nullptr;
    QListWidget *codePages_ = nullptr;
    QCheckBox *systemColours_ = nullptr;
    QLabel *hexFontName_ = nullptr;
    QLabel *itemFontName_ = nullptr;
    QCheckBox *splash_ = nullptr;
    QCheckBox *paging_ = nullptr;
    std::uint32_t startColour_ = 0x808080;
};

} // namespace byteloom
