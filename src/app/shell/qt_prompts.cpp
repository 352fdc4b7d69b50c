#include "shell/qt_prompts.h"
#include "common/path_text.h"

#include "common/product.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace byteloom {

namespace {

QString Caption()
{
    return QString::fromLatin1(kProgramCaption);
}

QString FromUtf8(const std::string &text)
{
    return QString::fromStdString(text);
}

// Qt reads a filter's patterns from its last parentheses; the display text stays as it is and
// the detail is hidden. "*.*" means every file, with or without an extension.
QString NameFilters(std::span<const FileFilter> filters)
{
    QStringList list;
    for (const FileFilter &filter : filters) {
        QStringList patterns;
        for (const QString &pattern :
             FromUtf8(filter.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
        list << FromUtf8(filter.text) + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                    + QLatin1Char(')');
    }
    return list.join(QStringLiteral(";;"));
}

std::optional<std::filesystem::path> PathOf(const QString &chosen)
{
    if (chosen.isEmpty())
        return std::nullopt;
    return PathOfText(chosen.toStdString());
}

} // namespace

QtPrompts::QtPrompts(QWidget *owner)
    : owner_(owner)
{}

SaveAnswer QtPrompts::AskToSave(const std::string &text)
{
    QMessageBox box(QMessageBox::Warning,
                    Caption(),
                    FromUtf8(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    owner_);
    // Yes and No have their letters; Cancel has Escape, and its own letter too.
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("&Cancel"));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return SaveAnswer::Yes;
    case QMessageBox::No:
        return SaveAnswer::No;
    default:
        return SaveAnswer::Cancel;
    }
}

bool QtPrompts::AskYesNo(const std::string &text)
{
    return QMessageBox::question(
               owner_, Caption(), FromUtf8(text), QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void QtPrompts::ShowMessage(const std::string &text, MessageKind kind)
{
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    QMessageBox(icon, Caption(), FromUtf8(text), QMessageBox::Ok, owner_).exec();
}

std::optional<std::filesystem::path>
QtPrompts::ChooseFileToOpen(const std::string &title, std::span<const FileFilter> filters)
{
    return PathOf(QFileDialog::getOpenFileName(owner_,
                                               FromUtf8(title),
                                               QString(),
                                               NameFilters(filters),
                                               nullptr,
                                               QFileDialog::HideNameFilterDetails));
}

std::optional<std::filesystem::path>
QtPrompts::ChooseFileToSave(const std::string &title,
                            std::span<const FileFilter> filters,
                            const std::filesystem::path &initial)
{
    QFileDialog dialog(
        owner_, FromUtf8(title), QString::fromStdString(TextOfPath(initial)), NameFilters(filters));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // A name typed without an extension takes the chosen filter's before the dialog asks
    // whether to replace a file of that name.
    const QStringList names = NameFilters(filters).split(QStringLiteral(";;"));
    const auto follow = [&](const QString &chosen) {
        const auto index = static_cast<std::size_t>(std::max<qsizetype>(names.indexOf(chosen), 0));
        dialog.setDefaultSuffix(index < filters.size() ? FromUtf8(DefaultSuffix(filters[index]))
                                                       : QString());
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
    follow(dialog.selectedNameFilter());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return PathOf(dialog.selectedFiles().front());
}

} // namespace byteloom
