#include "shell/qt_prompts.h"

#include "common/product.h"

#include <QFileDialog>
#include <QMessageBox>
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
    return std::filesystem::path(chosen.toStdString());
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

void QtPrompts::ShowMessage(const std::string &text)
{
    QMessageBox::information(owner_, Caption(), FromUtf8(text));
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
    return PathOf(QFileDialog::getSaveFileName(owner_,
                                               FromUtf8(title),
                                               QString::fromStdString(initial.string()),
                                               NameFilters(filters),
                                               nullptr,
                                               QFileDialog::HideNameFilterDetails));
}

} // namespace byteloom
