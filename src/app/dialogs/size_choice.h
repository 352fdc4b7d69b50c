#pragma once

#include "dialogs/tab_order.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>
#include <cstdint>

namespace byteloom {

// A group of five size radio buttons (the first chosen) and a "Custom Size" check box with its
// field: what the Split File and Expand File dialogs share.
class SizeChoice
{
public:
    SizeChoice(QWidget *parent,
               const QString &title,
               const std::array<std::int64_t, 5> &sizes,
               const std::array<const char *, 5> &labels)
        : sizes_(sizes)
        , group_(new FieldGroup(title, parent))
        , buttons_(new QButtonGroup(parent))
    {
        auto *layout = new QVBoxLayout(group_);
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            auto *button = new QRadioButton(QString::fromLatin1(labels[i]), group_);
            buttons_->addButton(button, static_cast<int>(i));
            layout->addWidget(button);
        }
        buttons_->button(0)->setChecked(true);
        // Made after the sizes, Custom Size comes after them in Tab's order, as on the screen.
        custom_ = new QCheckBox(QStringLiteral("C&ustom Size"), parent);
        customText_ = new QLineEdit(parent);
        customText_->setMaxLength(18);
        customText_->setObjectName(QStringLiteral("custom"));
        // The size is typed only when Custom Size is chosen.
        customText_->setEnabled(false);
        QObject::connect(custom_, &QCheckBox::toggled, customText_, &QLineEdit::setEnabled);
    }

    [[nodiscard]] QGroupBox *Group() const { return group_; }
    [[nodiscard]] QHBoxLayout *CustomRow() const
    {
        auto *row = new QHBoxLayout;
        row->addWidget(custom_);
        row->addWidget(customText_);
        return row;
    }
    [[nodiscard]] std::int64_t Chosen() const
    {
        return sizes_[static_cast<std::size_t>(std::max(buttons_->checkedId(), 0))];
    }
    [[nodiscard]] bool Custom() const { return custom_->isChecked(); }
    [[nodiscard]] std::string CustomText() const { return customText_->text().toStdString(); }
    [[nodiscard]] QWidget *First() const { return buttons_->button(0); }

private:
    std::array<std::int64_t, 5> sizes_;
    FieldGroup *group_;
    QButtonGroup *buttons_;
    QCheckBox *custom_ = nullptr;
    QLineEdit *customText_ = nullptr;
};

} // namespace byteloom
