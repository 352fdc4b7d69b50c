#include "scripts/pointer_search.h"

#include "common/number_text.h"
#include "document/document.h"
#include "scripts/command_script.h"
#include "scripts/script_report.h"
#include "search/search_engines.h"

#include <algorithm>
#include <cstdlib>

namespace byteloom {

std::vector<PointerShape> EveryPointerShape()
{
    std::vector<PointerShape> shapes;
    for (const int bits : {16, 24, 32})
        for (const AddressType type : {AddressType::Linear,
                                       AddressType::LoRom00,
                                       AddressType::LoRom80,
                                       AddressType::HiRom,
                                       AddressType::Gb})
            for (const bool bigEndian : {false, true})
                shapes.push_back({{type, 0, bits}, bigEndian});
    return shapes;
}

std::string ShapeName(const PointerShape &shape)
{
    return std::to_string(shape.form.bits) + "-bit " + std::string(NameOf(shape.form.type))
           + (shape.bigEndian ? " big-endian" : " little-endian")
           + (shape.form.offsetting != 0 ? " offsetting " + HexOffset(shape.form.offsetting) : "");
}

PointerSearch FindPointers(Document &document,
                           std::int64_t target,
                           std::int64_t header,
                           const std::vector<PointerShape> &shapes,
                           const ProgressCallback &progress)
{
    PointerSearch search;
    if (header < 0 || header > kLargestScriptNumber
        || std::any_of(shapes.begin(), shapes.end(), [](const PointerShape &shape) {
               return std::abs(shape.form.offsetting) > kLargestScriptNumber;
           })) {
        search.status = Status::Error("The header and the offsetting are at most $10000000000.");
        return search;
    }
    const std::int64_t size = document.Size();
    const auto total = static_cast<std::int64_t>(shapes.size()) * size;
    bool cancelled = false;
    for (std::size_t i = 0; i < shapes.size() && !cancelled; ++i) {
        const PointerShape &shape = shapes[i];
        const std::uint32_t value = PointerValue(shape.form, target, header);
        SearchPattern pattern;
        for (const std::uint8_t byte : ValueBytes(value, shape.form.bits / 8, shape.bigEndian))
            pattern.Append(byte);
        const auto done = static_cast<std::int64_t>(i) * size;
        const ProgressCallback pages = [&](std::int64_t page, std::int64_t) {
            cancelled = progress && !progress(done + page, total);
            return !cancelled;
        };
        for (std::int64_t from = 0;;) {
            const auto hit = ValueSearch(document, pattern, from, pages);
            if (!hit)
                break;
            from = *hit + 1;
            // A narrow pointer's upper bits are those of its own address: it points to the
            // target only from the same window.
            const std::int64_t own
                = GameAddress(shape.form.type, std::max<std::int64_t>(*hit - header, 0));
            if (PointerTarget(shape.form, value, header, own) == target)
                search.hits.push_back({*hit, shape});
        }
    }
    if (cancelled)
        search.status = Status::Cancelled();
    else if (auto error = document.TakeIoError())
        search.status = Status::Error(*error);
    std::stable_sort(search.hits.begin(),
                     search.hits.end(),
                     [](const PointerHit &a, const PointerHit &b) { return a.offset < b.offset; });
    return search;
}

FollowedPointer FollowPointerAt(Document &document,
                                std::int64_t offset,
                                const PointerShape &shape,
                                std::int64_t header)
{
    FollowedPointer followed;
    if (header < 0 || header > kLargestScriptNumber
        || std::abs(shape.form.offsetting) > kLargestScriptNumber) {
        followed.message = "The header and the offsetting are at most $10000000000.";
        return followed;
    }
    const std::string named = "The pointer at " + HexOffset(offset) + " (" + ShapeName(shape) + ")";
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(shape.form.bits / 8));
    if (offset < 0
        || document.ReadBlock(offset, bytes) != static_cast<std::int64_t>(bytes.size())) {
        followed.message = named + " runs past the end of the file.";
        return followed;
    }
    const std::int64_t own
        = GameAddress(shape.form.type, std::max<std::int64_t>(offset - header, 0));
    followed.target = PointerTarget(shape.form, ValueOfBytes(bytes, shape.bigEndian), header, own);
    if (!followed.target || *followed.target >= document.Size()) {
        followed.target.reset();
        followed.message = named + " points outside the file.";
    }
    return followed;
}

std::variant<PointerRequest, std::string> ReadPointerForm(const PointerFormFields &fields)
{
    PointerRequest request;
    const auto header = ParseWholeOffset(fields.header.empty() ? "0" : fields.header, 16);
    if (!header)
        return std::string("The header is a hexadecimal number of bytes");
    request.header = *header;
    if (fields.type == "any") {
        request.shapes = EveryPointerShape();
        return request;
    }
    const bool negative = fields.offsetting.starts_with('-');
    const std::string digits = fields.offsetting.substr(negative ? 1 : 0);
    const auto offsetting = ParseWholeOffset(digits.empty() ? "0" : digits, 16);
    const auto type = AddressTypeOfName(fields.type);
    if (!offsetting)
        return std::string(
            "The offsetting is a hexadecimal number, with \"-\" before it when it adds");
    if (!type || !IsPointerSize(fields.bits))
        return std::string("Choose the pointers' size and address type");
    request.shapes.push_back(
        {{*type, negative ? -*offsetting : *offsetting, fields.bits}, fields.bigEndian});
    return request;
}

} // namespace byteloom
