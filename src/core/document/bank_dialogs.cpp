#include "document/bank_dialogs.h"
#include "common/path_text.h"

#include "common/number_text.h"
#include "document/bank_split.h"

#include <cstdio>

namespace byteloom {

namespace {

// Sizes are 64-bit, as the documents are; a size beyond any document reads as the largest.
std::int64_t SizeFieldValue(const std::string &text)
{
    return ReadLeadingOffset(std::string_view(text).substr(0, kSizeFieldLength), 16);
}

} // namespace

DialogAnswer<SplitRequest> ReadSplitDialog(const SplitDialogFields &fields)
{
    DialogAnswer<SplitRequest> answer;
    SplitRequest request{fields.chosenSize, 0};
    if (fields.header) {
        if (fields.headerText.empty())
            answer.messages.emplace_back("Please input a header size");
        else
            request.headerSize = SizeFieldValue(fields.headerText);
    }
    if (fields.custom) {
        if (fields.customText.empty()) {
            answer.messages.emplace_back("Please input a bank size");
            return answer;
        }
        request.bankSize = SizeFieldValue(fields.customText);
    }
    answer.request = request;
    return answer;
}

DialogAnswer<ExpandRequest> ReadExpandDialog(const ExpandDialogFields &fields)
{
    DialogAnswer<ExpandRequest> answer;
    ExpandRequest request{fields.chosenSize, 0};
    if (fields.custom) {
        if (fields.customText.empty()) {
            answer.messages.emplace_back("Please input an expansion size");
            return answer;
        }
        request.size = SizeFieldValue(fields.customText);
    }
    if (!fields.fillText.empty())
        request.fill = static_cast<std::uint8_t>(
            ReadLeadingNumber(std::string_view(fields.fillText).substr(0, kSizeFieldLength), 16)
            & 0xFF);
    answer.request = request;
    return answer;
}

std::string SplitSummary(const std::filesystem::path &document,
                         std::int64_t banksWritten,
                         std::int64_t bytesLeftOver)
{
    // Where they went and what they are called, so that the user can find all of them.
    std::string text = std::to_string(banksWritten)
                       + (banksWritten == 1 ? " bank file written in " : " bank files written in ")
                       + TextOfPath(document.parent_path()) + ": "
                       + TextOfPath(BankFilePath(document, 0).filename());
    if (banksWritten > 1)
        text += " to " + TextOfPath(BankFilePath(document, banksWritten - 1).filename());
    if (bytesLeftOver > 0) {
        char rest[96];
        std::snprintf(rest,
                      sizeof rest,
                      "; the last %llX bytes, less than a bank, were not",
                      static_cast<unsigned long long>(bytesLeftOver));
        text += rest;
    }
    return text;
}

} // namespace byteloom
