// The upload reader on its own: what it hands to curl for every way the line ends of a file can
// fall on the boundaries of curl's read buffer. In ASCII mode that is every CR LF pair as a bare
// LF (curl puts the CR back), a lone CR and a lone LF as they stand.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ftp/CFtpUploadReader.h"
#include "support/CTempDir.h"
#include "support/LineEnds.h"

namespace skerrow {
namespace {

// Where two long texts first differ ("" when they are equal), so a failure prints no megabytes.
std::string Difference(const std::string& got, const std::string& expected)
{
    if (got == expected)
        return "";
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    return "differs at byte " + std::to_string(at) + " of " + std::to_string(got.size()) + " (expected " +
           std::to_string(expected.size()) + ")";
}

// Everything the reader produces for the file, read in chunks of bufferSize bytes as curl does.
std::string ReadAll(const std::string& path, bool ascii, size_t bufferSize)
{
    CFtpUploadReader reader;
    EXPECT_EQ(reader.Open(path, ascii), 0);
    std::string out;
    std::string buffer(bufferSize, '\0');
    for (size_t calls = 0; calls < 100000; ++calls) {
        size_t produced = 0;
        EXPECT_TRUE(reader.Read(buffer.data(), bufferSize, produced));
        EXPECT_LE(produced, bufferSize);
        if (produced == 0)
            return out;
        out.append(buffer.data(), produced);
    }
    ADD_FAILURE() << "the reader never came to the end";
    return out;
}

// Every file of up to 6 bytes made of 'a', CR and LF, read with buffers of 2 to 5 bytes: each line
// end lands on each boundary, at the start, in the middle and at the end of the file.
TEST(FtpUploadReader, EveryLineEndOnEveryBufferBoundary)
{
    test::CTempDir dir;
    const char letters[] = {'a', '\r', '\n'};
    size_t files = 0;
    for (size_t length = 0; length <= 6; ++length) {
        size_t combinations = 1;
        for (size_t i = 0; i < length; ++i)
            combinations *= 3;
        for (size_t code = 0; code < combinations; ++code) {
            std::string file;
            for (size_t i = 0, rest = code; i < length; ++i, rest /= 3)
                file += letters[rest % 3];
            // A new file each time: rewriting one file in place is slow on some file systems.
            const std::string path = dir.WriteFile(std::to_string(++files), file).string();
            for (size_t bufferSize = 2; bufferSize <= 5; ++bufferSize) {
                ASSERT_EQ(ReadAll(path, true, bufferSize), test::CrLfToLf(file))
                    << ::testing::PrintToString(file) << " with a buffer of " << bufferSize;
                ASSERT_EQ(ReadAll(path, false, bufferSize), file)
                    << ::testing::PrintToString(file) << " in binary with a buffer of " << bufferSize;
            }
        }
    }
    EXPECT_EQ(files, 1093u);
}

// Long files with runs of line ends, read with buffer sizes of curl's order and odd small ones.
TEST(FtpUploadReader, LongFilesMatchTheReferenceConversion)
{
    test::CTempDir dir;
    std::mt19937 random(20240607);
    const char letters[] = {'x', '\r', '\n', '\r', '\n', 'y'};
    for (size_t round = 0; round < 6; ++round) {
        std::string file(70000 + round * 997, '\0');
        for (char& c : file)
            c = letters[random() % sizeof letters];
        const std::string path = dir.WriteFile("long" + std::to_string(round), file).string();
        const std::string expected = test::CrLfToLf(file);
        for (size_t bufferSize : {3u, 7u, 1024u, 16384u, 65536u}) {
            EXPECT_EQ(Difference(ReadAll(path, true, bufferSize), expected), "") << "buffer " << bufferSize;
            EXPECT_EQ(Difference(ReadAll(path, false, bufferSize), file), "") << "binary, buffer " << bufferSize;
        }
    }
}

} // namespace
} // namespace skerrow
