#include "inspect/checksum.h"

#include "document/document.h"
#include "support/documents.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

std::string Of(std::string_view text, ChecksumKind kind)
{
    const auto document = test::DocumentOf({text.begin(), text.end()});
    const ChecksumResult result
        = Checksum(*document, {0, static_cast<std::int64_t>(text.size())}, kind);
    EXPECT_TRUE(result.status.ok());
    return result.value;
}

TEST(Checksum, TheStandardCheckValues)
{
    EXPECT_EQ(Of("123456789", ChecksumKind::Crc32), "CBF43926");
    EXPECT_EQ(Of("123456789", ChecksumKind::Adler32), "091E01DE");
    EXPECT_EQ(Of("", ChecksumKind::Adler32), "00000001");
    EXPECT_EQ(Of("123456789", ChecksumKind::Sum16), "01DD");
    EXPECT_EQ(Of("", ChecksumKind::Md5), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(Of("abc", ChecksumKind::Md5), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(Of("abc", ChecksumKind::Sha1), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(Of("", ChecksumKind::Sha256),
              "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
    EXPECT_EQ(Of("abc", ChecksumKind::Sha256),
              "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
    for (const char *name : {"crc32", "adler32", "md5", "sha1", "sha256", "sum16"})
        EXPECT_EQ(NameOf(*ChecksumKindOfName(name)), name);
}

// A range across the pages of a paged document, and long enough for Adler-32 to reduce its sums,
// gives what the same bytes give alone.
TEST(Checksum, ARangeOfAPagedDocumentEqualsItsBytesAlone)
{
    test::TempFolder folder;
    const auto bytes = test::PatternBytes(20000, 7);
    test::WriteBytes(folder / "image.bin", bytes);
    Document paged(1000, RealFileSystem());
    ASSERT_EQ(paged.Load(folder / "image.bin", true).status, LoadStatus::Loaded);
    const std::vector<std::uint8_t> middle(bytes.begin() + 1234, bytes.begin() + 1234 + 15000);
    const auto alone = test::DocumentOf(middle);
    for (const ChecksumKind kind : {ChecksumKind::Crc32,
                                    ChecksumKind::Adler32,
                                    ChecksumKind::Md5,
                                    ChecksumKind::Sha1,
                                    ChecksumKind::Sha256,
                                    ChecksumKind::Sum16})
        EXPECT_EQ(Checksum(paged, {1234, 15000}, kind).value,
                  Checksum(*alone, {0, 15000}, kind).value)
            << NameOf(kind);
    EXPECT_TRUE(Checksum(paged, {0, 20000}, ChecksumKind::Md5, [](std::int64_t, std::int64_t) {
                    return false;
                }).status.cancelled());
}

} // namespace
} // namespace byteloom
