#include "platform/file.h"

#include "support/journal_damage.h"
#include "support/recording_environment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace tqxml;
namespace fs = std::filesystem;

namespace {

class FileTest : public ::testing::Test {
protected:
    TempDir temp;
    const std::string dir_ = temp.Path();

    std::string PathOf(const std::string& name) const { return temp.File(name); }
    static void WriteFile(const std::string& path, const std::string& content) {
        WriteFileBytes(path, std::vector<uint8_t>(content.begin(), content.end()));
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
    EXPECT_FALSE(f.Exists());
    EXPECT_FALSE(f.IsOpen());
    for (const auto& c : cases) {
        f.SetName(Str(c[0]));
        EXPECT_EQ(f.Directory(), c[1]) << c[0];
        EXPECT_EQ(f.Name(), c[2]) << c[0];
        EXPECT_EQ(f.Extension(), c[3]) << c[0];
        EXPECT_EQ(f.FullName(), c[4]) << c[0];
    }
    EXPECT_FALSE(f.Exists());
    f.SetName(Str("plain"));
    f.SetName(Str("")); // an empty name changes nothing
    EXPECT_EQ(f.FullName(), "plain");
}

TEST_F(FileTest, SlashAndBackslashNameTheSameFile) {
    WriteFile(PathOf("job.job"), "data");
    std::string backslashed = PathOf("job.job");
    for (char& ch : backslashed)
        if (ch == '/') ch = '\\';

    file_Class withSlashes(Str(PathOf("job.job").c_str()));
    file_Class withBackslashes(Str(backslashed.c_str()));
    EXPECT_TRUE(withSlashes.Exists());
    EXPECT_TRUE(withBackslashes.Exists());
    EXPECT_EQ(withSlashes.FullName(), withBackslashes.FullName());

    ASSERT_TRUE(withBackslashes.Open(file_Class::ModeRead));
    EXPECT_EQ(withBackslashes.RecordedSize(), 4u);
    char bytes[4] = {};
    uint32_t count = 0;
    EXPECT_TRUE(withBackslashes.Read(bytes, 4, &count));
    EXPECT_EQ(std::string(bytes, count), "data");
    withBackslashes.Close();
    EXPECT_FALSE(withBackslashes.IsOpen());

    EXPECT_TRUE(withBackslashes.Delete());
    EXPECT_FALSE(withSlashes.Exists());
    EXPECT_FALSE(withSlashes.Delete());
}

TEST_F(FileTest, CreateMakesANewFileOnly) {
    RecordingEnvironment env;
    const std::string path = PathOf("out.xml");
    file_Class f(Str(path.c_str()));
    ASSERT_TRUE(f.Create());
    EXPECT_EQ(f.RecordedSize(), 0u);
    EXPECT_TRUE(f.Write("<x/>", 4));
    f.Close();
    EXPECT_EQ(ReadText(path), "<x/>");
    EXPECT_TRUE(env.systemErrors.empty());

    // An existing file is not replaced.
    file_Class again(Str(path.c_str()));
    EXPECT_FALSE(again.Create());
    EXPECT_FALSE(again.IsOpen());
    EXPECT_EQ(again.LastError(), static_cast<uint32_t>(EEXIST));
    ASSERT_EQ(env.systemErrors.size(), 1u);
    EXPECT_NE(env.systemErrors[0].find(again.FullName().CStr()), std::string::npos);
    EXPECT_NE(env.systemErrors[0].find("error " + std::to_string(EEXIST)), std::string::npos);
    EXPECT_EQ(ReadText(path), "<x/>");

    // A read-only file fails before anything is tried.
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(again.IsReadOnly());
    EXPECT_FALSE(again.Create());
    EXPECT_EQ(env.systemErrors.size(), 1u);
    EXPECT_FALSE(file_Class(Str(PathOf("missing").c_str())).IsReadOnly());
}

TEST_F(FileTest, OpenFailuresAreReportedWithTheFileName) {
    RecordingEnvironment env;
    file_Class missing(Str(PathOf("none.job").c_str()));
    EXPECT_FALSE(missing.Exists());
    EXPECT_FALSE(missing.Open(file_Class::ModeRead));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.LastError(), static_cast<uint32_t>(ENOENT));
    ASSERT_EQ(env.systemErrors.size(), 1u);
    EXPECT_EQ(env.systemErrors[0].rfind(missing.FullName().CStr(), 0), 0u);
    EXPECT_NE(env.systemErrors[0].find("file_posix.cpp"), std::string::npos);

    // A directory exists but is not a file to open.
    file_Class directory(Str(dir_.c_str()));
    EXPECT_TRUE(directory.Exists());
    EXPECT_FALSE(directory.Open(file_Class::ModeRead));
    EXPECT_EQ(env.systemErrors.size(), 2u);

    // A nameless object fails quietly.
    file_Class nameless;
    EXPECT_FALSE(nameless.Open(file_Class::ModeRead));
    EXPECT_EQ(env.systemErrors.size(), 2u);
}

TEST_F(FileTest, ReadStopsAtTheRecordedSize) {
    WriteFile(PathOf("ten.bin"), "0123456789");
    file_Class f(Str(PathOf("ten.bin").c_str()));
    ASSERT_TRUE(f.Open(file_Class::ModeRead));
    char bytes[8] = {};
    uint32_t count = 0;
    EXPECT_TRUE(f.Read(bytes, 4, &count));
    EXPECT_EQ(std::string(bytes, count), "0123");
    EXPECT_EQ(f.Tell(), 4u);

    // A read that straddles the end gives what is there.
    ASSERT_TRUE(f.Seek(8));
    EXPECT_TRUE(f.Read(bytes, 8, &count));
    EXPECT_EQ(std::string(bytes, count), "89");

    // At the end: false, and the caller's count is left alone.
    count = 0;
    EXPECT_FALSE(f.Read(bytes, 8, &count));
    EXPECT_EQ(count, 0u);
    count = 77;
    ASSERT_TRUE(f.Seek(100));
    EXPECT_FALSE(f.Read(bytes, 8, &count));
    EXPECT_EQ(count, 77u);
    EXPECT_FALSE(f.Read(bytes, 8));

    // The recorded size is what was seen at open, not what grew since.
    WriteFile(PathOf("ten.bin"), "0123456789abc");
    ASSERT_TRUE(f.Seek(10));
    EXPECT_FALSE(f.Read(bytes, 3, &count));
    f.Close();
    EXPECT_EQ(ReadText(PathOf("ten.bin")), "0123456789abc");
}

TEST_F(FileTest, WritesRaiseTheRecordedSize) {
    file_Class f(Str(PathOf("w.bin").c_str()));
    ASSERT_TRUE(f.Create());
    uint32_t written = 0;
    EXPECT_TRUE(f.Write("abc", 3, &written));
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(f.RecordedSize(), 3u);
    EXPECT_EQ(f.Tell(), 3u);
    ASSERT_TRUE(f.Seek(0));
    EXPECT_TRUE(f.Write("X", 1));
    EXPECT_EQ(f.RecordedSize(), 3u);
    EXPECT_TRUE(f.Append("de", 2));
    EXPECT_EQ(f.RecordedSize(), 5u);
    EXPECT_TRUE(f.Flush());

    // Reading back through the same object.
    ASSERT_TRUE(f.Seek(0));
    char bytes[8] = {};
    uint32_t count = 0;
    EXPECT_TRUE(f.Read(bytes, 8, &count));
    EXPECT_EQ(std::string(bytes, count), "Xbcde");

    EXPECT_TRUE(f.Truncate(2));
    EXPECT_EQ(f.RecordedSize(), 2u);
    EXPECT_TRUE(f.Append("!", 1));
    f.Close();
    EXPECT_EQ(ReadText(PathOf("w.bin")), "Xb!");
}

TEST_F(FileTest, CloseCutsTheFileBackToTheRecordedSize) {
    const std::string path = PathOf("cut.bin");
    WriteFile(path, "keep");
    file_Class f(Str(path.c_str()));
    ASSERT_TRUE(f.Open(file_Class::ModeReadWrite));
    EXPECT_EQ(f.RecordedSize(), 4u);
    ASSERT_TRUE(f.Seek(4));
    EXPECT_TRUE(f.Write("+", 1));
    // Someone else grows the file behind this object's back.
    {
        std::ofstream grow(path, std::ios::binary | std::ios::app);
        grow << "tail that goes";
    }
    EXPECT_EQ(fs::file_size(path), 19u);
    f.Close();
    EXPECT_EQ(ReadText(path), "keep+");
    f.Close(); // closing twice does nothing
    EXPECT_FALSE(f.IsOpen());
}

TEST_F(FileTest, StandardOutputIsBorrowedNotClosed) {
    const std::string captured = PathOf("stdout.txt");
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ASSERT_GE(saved, 0);
    FILE* sink = std::fopen(captured.c_str(), "wb");
    ASSERT_NE(sink, nullptr);
    ::dup2(::fileno(sink), STDOUT_FILENO);

    bool firstOpened = false, secondOpened = false, wasStdOut = false;
    uint32_t recorded = 1;
    {
        file_Class out(Str("STDOUT$"));
        firstOpened = out.Open(file_Class::ModeWrite);
        wasStdOut = out.IsStandardOutput();
        out.Write("first ", 6);
        recorded = out.RecordedSize();
        out.Close();
    }
    {
        // A second conversion to standard output in the same process.
        file_Class out(Str("STDOUT$"));
        secondOpened = out.Open(file_Class::ModeWrite);
        out.Write("second", 6);
        out.Close();
    }
    const bool stdoutStillOpen = ::write(STDOUT_FILENO, "!", 1) == 1;

    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    std::fclose(sink);

    EXPECT_TRUE(firstOpened);
    EXPECT_TRUE(secondOpened);
    EXPECT_TRUE(wasStdOut);
    EXPECT_EQ(recorded, 0u);
    EXPECT_TRUE(stdoutStillOpen);
    EXPECT_EQ(ReadText(captured), "first second!");
}

TEST_F(FileTest, MisuseAssertsAndLeaksNothing) {
    RecordingEnvironment env;
    file_Class closed(Str(PathOf("x").c_str()));
    char byte = 0;
    EXPECT_FALSE(closed.Read(&byte, 1));
    EXPECT_FALSE(closed.Write("x", 1));
    EXPECT_EQ(closed.Tell(), file_Class::InvalidPosition);
    EXPECT_TRUE(env.HasAssertion("_WinHandle != NULL"));

    WriteFile(PathOf("x"), "x");
    const int before = OpenDescriptorCount();
    {
        file_Class forgotten(Str(PathOf("x").c_str()));
        ASSERT_TRUE(forgotten.Open(file_Class::ModeRead));
        EXPECT_EQ(OpenDescriptorCount(), before + 1);
    }
    EXPECT_TRUE(env.HasAssertion("!this->IsOpen()"));
    EXPECT_EQ(OpenDescriptorCount(), before);
}
