#include "common/lead_bytes.h"

#include <unicode/ucnv.h>

#include <memory>
#include <string>

namespace byteloom {

std::array<bool, 256> LeadBytesOf(int codePage)
{
    std::array<bool, 256> lead{};
    UErrorCode error = U_ZERO_ERROR;
    const std::string name = "windows-" + std::to_string(codePage);
    const std::unique_ptr<UConverter, void (*)(UConverter *)> converter(
        ucnv_open(name.c_str(), &error), ucnv_close);
    // Only the multi-byte code pages (932, 936, 949, 950) have lead bytes; UTF-8's characters
    // are told by their own bit patterns.
    if (U_FAILURE(error) || !converter
        || (ucnv_getType(converter.get()) != UCNV_MBCS
            && ucnv_getType(converter.get()) != UCNV_DBCS))
        return lead;
    UBool starters[256];
    ucnv_getStarters(converter.get(), starters, &error);
    if (U_SUCCESS(error)) {
        for (std::size_t b = 0; b < lead.size(); ++b)
            lead[b] = starters[b] != 0;
    }
    return lead;
}

bool CodePageAvailable(int codePage)
{
    UErrorCode error = U_ZERO_ERROR;
    const std::string name = "windows-" + std::to_string(codePage);
    UConverter *converter = ucnv_open(name.c_str(), &error);
    if (converter)
        ucnv_close(converter);
    return U_SUCCESS(error) && converter;
}

} // namespace byteloom
