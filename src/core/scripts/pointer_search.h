#pragma once

#include "common/progress.h"
#include "common/status.h"
#include "scripts/pointer_forms.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace byteloom {

class Document;

// A pointer's form together with its byte order.
struct PointerShape
{
    PointerForm form;
    bool bigEndian = false;
};

// The shapes "any form" tries: 16, 24 and 32 bits, every address type, both byte orders, no
// offsetting.
[[nodiscard]] std::vector<PointerShape> EveryPointerShape();

// "16-bit LOROM00 little-endian", with the offsetting when there is one.
[[nodiscard]] std::string ShapeName(const PointerShape &shape);

struct PointerHit
{
    std::int64_t offset = 0;
    PointerShape shape;
};

struct PointerSearch
{
    Status status = Status::Ok(); // Cancelled when progress stopped it
    std::vector<PointerHit> hits; // by offset, then in the order of the shapes
};

// Every offset whose bytes, read as a pointer of one of the shapes, point to target under header
// bytes of header. A pointer narrower than the address points into the window of addresses
// around its own address (its upper bits are its own). Each shape is one search for the bytes
// it would hold, at the speed of a value search; progress hears of every page of every shape.
[[nodiscard]] PointerSearch FindPointers(Document &document,
                                         std::int64_t target,
                                         std::int64_t header,
                                         const std::vector<PointerShape> &shapes,
                                         const ProgressCallback &progress = {});

// Where the pointer at offset, read in shape, points: the file offset, or the message that says
// why there is none ("The pointer at $10 (16-bit LINEAR little-endian) points outside the
// file.").
struct FollowedPointer
{
    std::optional<std::int64_t> target;
    std::string message;
};
[[nodiscard]] FollowedPointer FollowPointerAt(Document &document,
                                              std::int64_t offset,
                                              const PointerShape &shape,
                                              std::int64_t header);

// The editor's memory of pointers: the form last used (Find Pointers sets it, Follow Pointer
// reads in it), and the offsets Back returns to, newest last.
struct PointerState
{
    PointerShape shape{{AddressType::Linear, 0, 16}, false};
    std::int64_t header = 0;
    std::vector<std::int64_t> back;
};

// The Find Pointers dialog's fields, as typed.
struct PointerFormFields
{
    int bits = 16;
    std::string type = "LINEAR"; // or "any"
    bool bigEndian = false;
    std::string header;     // hexadecimal
    std::string offsetting; // hexadecimal, "-" for a negative one
};
struct PointerRequest
{
    std::vector<PointerShape> shapes;
    std::int64_t header = 0;
};
// The shapes to search and the header, or the message that keeps the dialog open.
[[nodiscard]] std::variant<PointerRequest, std::string>
ReadPointerForm(const PointerFormFields &fields);

} // namespace byteloom
