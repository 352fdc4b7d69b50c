#pragma once

#include "document/bank_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>

#include <functional>
#include <string>

namespace byteloom {

using ShowDialogMessage = std::function<void(const std::string &)>;

inline QDialogButtonBox *OkCancel(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

// Shows the answer's messages; returns whether the dialog may close with its request.
template<typename Request>
bool Answered(const DialogAnswer<Request> &answer, const ShowDialogMessage &showMessage)
{
    for (const std::string &message : answer.messages)
        showMessage(message);
    return answer.request.has_value();
}

} // namespace byteloom
