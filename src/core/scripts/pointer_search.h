#pragma once

#include "common/progress.h"
#include "common/status.h"
#include "scripts/pointer_forms.h"

#include <cstdint>
#include <string>
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

} // namespace byteloom
