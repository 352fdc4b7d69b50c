#include "document/bank_dialogs.h"

#include "common/number_text.h"

#include <cstdio>

namespace byteloom {

namespace {

std::int64_t FieldValue(const std::string &text)
{
    return ReadLeadingNumber(std::string_view(text).substr(0, kSizeFieldLength), 16);
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
            request.headerSize = FieldValue(fields.headerText);
    }
    if (fields.custom) {
        if (fields.customText.empty()) {
            answer.messages.emplace_back("Please input a bank size");
            return answer;
        }
        request.bankSize = FieldValue(fields.customText);
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
        request.size = FieldValue(fields.customText);
    }
    if (!fields.fillText.empty())
        request.fill = static_cast<std::uint8_t>(FieldValue(fields.fillText) & 0xFF);
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
