#include "platform/file.h"

#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace tqxml;
namespace fs = std::filesystem;

namespace {

class FileTest : public ::testing::Test {
protected:
    TempDir temp;

    Str PathOf(const std::string& name) const { return Str(temp.File(name).c_str()); }
    void WriteFile(const std::string& name, const std::string& content) const {
        WriteFileBytes(temp.File(name), std::vector<uint8_t>(content.begin(), content.end()));
    }
};

int OpenDescriptorCount() {
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

} // namespace

// A name as given, then its directory, name, extension and full name. Dots
// that separate no extension keep the name whole; a name ending in a
// separator has no full name.
TEST(FileName, SplitsIntoDirectoryNameAndExtension) {
    const char* cases[][5] = {
        {"C:/jobs/site.a/survey.job", "C:\\jobs\\site.a\\", "survey", "job",
         "C:\\jobs\\site.a\\survey.job"},
        {"plain", "", "plain", "", "plain"},
        {"/a/b.tar.gz", "\\a\\", "b.tar", "gz", "\\a\\b.tar.gz"},
        {"/home/u/.profile", "\\home\\u\\", ".profile", "", "\\home\\u\\.profile"},
        {"name.", "", "name.", "", "name."},
        {"dir/", "dir\\", "", "", ""},
    };
    file_Class f;
    for (const auto& c : cases) {
        f.SetName(Str(c[0]));
        EXPECT_EQ(f.Directory(), c[1]) << c[0];
        EXPECT_EQ(f.Name(), c[2]) << c[0];
        EXPECT_EQ(f.Extension(), c[3]) << c[0];
        EXPECT_EQ(f.FullName(), c[4]) << c[0];
    }
    f.SetName(Str("plain"));
    f.SetName(Str("")); // an empty name changes nothing
    EXPECT_EQ(f.FullName(), "plain");
}

// Failures name the file and the system's code; nothing is replaced.
TEST_F(FileTest, CreateReplacesNothingAndFailuresNameTheFile) {
    RecordingEnvironment env;
    WriteFile("out.xml", "<x/>");
    file_Class again(PathOf("out.xml"));
    EXPECT_FALSE(again.Create());
    EXPECT_EQ(again.LastError(), static_cast<uint32_t>(EEXIST));
    ASSERT_EQ(env.systemErrors.size(), 1u);
    EXPECT_EQ(env.systemErrors[0].rfind(again.FullName().CStr(), 0), 0u);
    EXPECT_NE(env.systemErrors[0].find("error " + std::to_string(EEXIST)), std::string::npos);
    EXPECT_EQ(ReadText(temp.File("out.xml")), "<x/>");

    // A read-only file fails before anything is tried.
    ::chmod(temp.File("out.xml").c_str(), 0444);
    EXPECT_TRUE(again.IsReadOnly());
    EXPECT_FALSE(again.Create());
    EXPECT_FALSE(file_Class(PathOf("missing")).IsReadOnly());
    EXPECT_EQ(env.systemErrors.size(), 1u);

    file_Class missing(PathOf("none.job"));
    EXPECT_FALSE(missing.Open(file_Class::ModeRead));
    ASSERT_EQ(env.systemErrors.size(), 2u);
    EXPECT_EQ(env.systemErrors[1].rfind(missing.FullName().CStr(), 0), 0u);

    // A directory exists but is not a file to open; a nameless object fails
    // quietly.
    file_Class directory(Str(temp.Path().c_str()));
    EXPECT_TRUE(directory.Exists());
    EXPECT_FALSE(directory.Open(file_Class::ModeRead));
    EXPECT_FALSE(file_Class().Open(file_Class::ModeRead));
    EXPECT_EQ(env.systemErrors.size(), 3u);
}

TEST_F(FileTest, ReadStopsAtTheRecordedSize) {
    WriteFile("ten.bin", "0123456789");
    // "/" and "\" name the same file.
    std::string backslashed = temp.File("ten.bin");
    for (char& ch : backslashed)
        if (ch == '/') ch = '\\';
    file_Class f{Str(backslashed.c_str())};
    ASSERT_TRUE(f.Open(file_Class::ModeRead));
    EXPECT_EQ(f.RecordedSize(), 10u);
    char bytes[8] = {};
    uint32_t count = 0;
    EXPECT_TRUE(f.Read(bytes, 4, &count));
    EXPECT_EQ(std::string(bytes, count), "0123");
    EXPECT_EQ(f.Tell(), 4u);

    // A read that straddles the end gives what is there.
    ASSERT_TRUE(f.Seek(8));
    EXPECT_TRUE(f.Read(bytes, 8, &count));
    EXPECT_EQ(std::string(bytes, count), "89");
    // At or past the end: false, and the caller's count is left alone.
    count = 77;
    EXPECT_FALSE(f.Read(bytes, 8, &count));
    EXPECT_EQ(count, 77u);
    ASSERT_TRUE(f.Seek(100));
    EXPECT_FALSE(f.Read(bytes, 8));

    // The recorded size is what was seen at open, not what grew since.
    WriteFile("ten.bin", "0123456789abc");
    ASSERT_TRUE(f.Seek(10));
    EXPECT_FALSE(f.Read(bytes, 3, &count));
    f.Close();
    EXPECT_EQ(ReadText(temp.File("ten.bin")), "0123456789abc");

    EXPECT_TRUE(file_Class(PathOf("ten.bin")).Delete());
    EXPECT_FALSE(f.Exists());
    EXPECT_FALSE(f.Delete());
}

TEST_F(FileTest, WritesRaiseTheRecordedSizeAndCloseCutsBackToIt) {
    file_Class f(PathOf("w.bin"));
    ASSERT_TRUE(f.Create());
    uint32_t written = 0;
    EXPECT_TRUE(f.Write("abc", 3, &written));
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(f.RecordedSize(), 3u);
    ASSERT_TRUE(f.Seek(0));
    EXPECT_TRUE(f.Write("X", 1));
    EXPECT_EQ(f.RecordedSize(), 3u);
    EXPECT_TRUE(f.Append("de", 2));
    EXPECT_EQ(f.RecordedSize(), 5u);
    EXPECT_TRUE(f.Flush());
    EXPECT_TRUE(f.Truncate(2));
    EXPECT_EQ(f.RecordedSize(), 2u);
    EXPECT_TRUE(f.Append("!", 1));
    // Someone else grows the file behind this object's back.
    std::ofstream(temp.File("w.bin"), std::ios::binary | std::ios::app) << "tail that goes";
    EXPECT_EQ(fs::file_size(temp.File("w.bin")), 17u);
    f.Close();
    EXPECT_EQ(ReadText(temp.File("w.bin")), "Xb!");
    f.Close(); // closing twice does nothing
    EXPECT_FALSE(f.IsOpen());
}

TEST_F(FileTest, StandardOutputIsBorrowedNotClosed) {
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ASSERT_GE(saved, 0);
    FILE* sink = std::fopen(temp.File("stdout.txt").c_str(), "wb");
    ASSERT_NE(sink, nullptr);
    ::dup2(::fileno(sink), STDOUT_FILENO);

    // Twice, as two conversions to standard output in one process do.
    // Checked after standard output is back: opened as the stream, unsized.
    bool ok = true;
    for (const char* text : {"first ", "second"}) {
        file_Class out(Str("STDOUT$"));
        ok = ok && out.Open(file_Class::ModeWrite) && out.IsStandardOutput();
        out.Write(text, 6);
        ok = ok && out.RecordedSize() == 0;
        out.Close();
    }
    const bool stdoutStillOpen = ::write(STDOUT_FILENO, "!", 1) == 1;

    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    std::fclose(sink);

    EXPECT_TRUE(ok);
    EXPECT_TRUE(stdoutStillOpen);
    EXPECT_EQ(ReadText(temp.File("stdout.txt")), "first second!");
}

TEST_F(FileTest, MisuseAssertsAndLeaksNothing) {
    RecordingEnvironment env;
    file_Class closed(PathOf("x"));
    char byte = 0;
    EXPECT_FALSE(closed.Read(&byte, 1));
    EXPECT_FALSE(closed.Write("x", 1));
    EXPECT_EQ(closed.Tell(), file_Class::InvalidPosition);
    EXPECT_EQ(env.assertions.size(), 3u);

    WriteFile("x", "x");
    const int before = OpenDescriptorCount();
    {
        file_Class forgotten(PathOf("x"));
        ASSERT_TRUE(forgotten.Open(file_Class::ModeRead));
        EXPECT_EQ(OpenDescriptorCount(), before + 1);
    }
    EXPECT_TRUE(env.HasAssertion("!this->IsOpen()"));
    EXPECT_EQ(OpenDescriptorCount(), before);
}
