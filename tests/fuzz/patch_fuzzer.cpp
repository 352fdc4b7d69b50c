// Any bytes as an IPS patch and as a BPS patch, applied to a small image. The BPS patch's own
// checksum and its source's are made right first, so that its actions are read, not refused at
// the door.
#include "common/crc32.h"
#include "patch/bps_patch.h"
#include "patch/ips_patch.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace byteloom;
    const std::span<const std::uint8_t> input(data, size);
    // The first byte gives the image's size; the image is the input's own bytes, repeated.
    const std::size_t imageSize = size > 0 ? data[0] : 0;
    std::vector<std::uint8_t> image(imageSize);
    for (std::size_t i = 0; i < imageSize; ++i)
        image[i] = size > 1 ? data[1 + i % (size - 1)] : 0;
    (void)ApplyIpsPatch(image, input);

    // A patch may rightly make an image of up to 4 GiB from a few bytes; the fuzzer's memory is
    // smaller, so targets beyond 1 MiB are left to the unit tests.
    std::uint64_t numbers[2] = {};
    std::size_t at = size > 0 ? 1 : 0;
    for (std::uint64_t &value : numbers) {
        std::uint64_t shift = 1;
        for (int i = 0; i < 10 && at < size; ++i) {
            const std::uint8_t x = data[at++];
            value += (x & 0x7F) * shift;
            if (x & 0x80)
                break;
            shift <<= 7;
            value += shift;
        }
    }
    if (numbers[1] > (1u << 20))
        return 0;
    std::vector<std::uint8_t> patch{'B', 'P', 'S', '1'};
    patch.insert(patch.end(), input.begin() + (size > 0 ? 1 : 0), input.end());
    const std::uint32_t source = Crc32(image);
    for (int i = 0; i < 4; ++i)
        patch.push_back(static_cast<std::uint8_t>(source >> (8 * i)));
    for (int i = 0; i < 4; ++i)
        patch.push_back(0);
    const std::uint32_t own = Crc32(patch);
    for (int i = 0; i < 4; ++i)
        patch.push_back(static_cast<std::uint8_t>(own >> (8 * i)));
    const PatchResult applied = ApplyBpsPatch(image, patch);
    if (applied.status.ok() && applied.bytes.size() > (std::size_t{1} << 32))
        __builtin_trap();
    return 0;
}
