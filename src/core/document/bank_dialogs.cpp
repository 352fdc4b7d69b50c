#include "document/bank_dialogs.h"

#include "common/number_text.h"

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

std::string SplitSummary(std::int64_t banksWritten, std::int64_t bytesLeftOver)
{
    char text[128];
    if (bytesLeftOver > 0)
        std::snprintf(text,
                      sizeof text,
                      "%lld bank files written; the last %llX bytes, less than a bank, were not",
                      static_cast<long long>(banksWritten),
                      static_cast<unsigned long long>(bytesLeftOver));
    else
        std::snprintf(
            text, sizeof text, "%lld bank files written", static_cast<long long>(banksWritten));
    return text;
}

} // namespace byteloom
