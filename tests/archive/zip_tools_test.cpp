// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "archive/zip_reader.h"
#include "tests/archive/zip_fixtures.h"
#include "tests/support/corpus.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::test {
namespace {

using Names = std::vector<std::string>;

// Runs a shell command in the folder; true when it succeeded.
bool runIn(const TempDir& dir, const std::string& command)
{
    return std::system(("cd '" + dir.path().string() + "' && " + command).c_str()) == 0;
}

// Archives written by real tools, as a disc would carry them.
class ZipFromTools : public ::testing::Test
{
protected:
    void readMade(const std::string& archive) { m_zip.read(readBytes(m_dir.path() / archive)); }

    TempDir m_dir;
    ZipFixture m_zip;
};

TEST_F(ZipFromTools, InfoZipFromAPipeWritesDataDescriptors)
{
    ASSERT_TRUE(runIn(m_dir, "echo hi | zip -q - - > piped.zip"));
    readMade("piped.zip");
    EXPECT_EQ(m_zip.names(), Names{"-"});
    EXPECT_EQ(m_zip.reader.UnCompressed_Size(1), 3);
    EXPECT_EQ(m_zip.reader.SystemMadeBy(1), "UNIX");

    // Without its end record the walk must step over the saturated local size.
    std::vector<std::uint8_t> bytes = readBytes(m_dir.path() / "piped.zip");
    const std::string endSignature = "PK\x05\x06";
    const auto end =
        std::find_end(bytes.begin(), bytes.end(), endSignature.begin(), endSignature.end());
    ASSERT_NE(end, bytes.end());
    *end = 0;
    ZipFixture withoutEnd;
    withoutEnd.read(bytes);
    EXPECT_EQ(withoutEnd.names(), Names{"-"});
}

TEST_F(ZipFromTools, InfoZipWithArchiveCommentAndFolder)
{
    m_dir.write("disc/readme.txt", "read me\n");
    m_dir.write("disc/docs/a.txt", "a\n");
    ASSERT_TRUE(runIn(
        m_dir, "cd disc && printf 'Disc one\\n' | zip -q -r -z ../commented.zip readme.txt docs"));
    readMade("commented.zip");
    EXPECT_EQ(m_zip.names(), (Names{"readme.txt", "docs/", "docs/a.txt"}));
    EXPECT_EQ(m_zip.reader.CommentsPack(), "Disc one");
    EXPECT_FALSE(m_zip.reader.IsDir(1));
    EXPECT_TRUE(m_zip.reader.IsDir(2));
    EXPECT_TRUE(m_zip.notices.texts.empty());
}

TEST_F(ZipFromTools, PythonZipfileWithUtf8Names)
{
    m_dir.write("make.py", "import zipfile\n"
                           "with zipfile.ZipFile('utf8.zip', 'w') as z:\n"
                           "    z.writestr('Izveštaj čćžšđ.txt', 'a')\n"
                           "    z.writestr('Извештај/', '')\n"
                           "    z.writestr('世界/ファイル.txt', 'b')\n"
                           "    z.writestr('plain.txt', 'c')\n");
    ASSERT_TRUE(runIn(m_dir, "python3 make.py"));
    readMade("utf8.zip");
    EXPECT_EQ(m_zip.names(),
              (Names{"Izveštaj čćžšđ.txt", "Извештај/", "世界/ファイル.txt", "plain.txt"}));
    EXPECT_TRUE(m_zip.reader.IsDir(2));
}

TEST_F(ZipFromTools, PythonZipfileWithMoreThan65535Entries)
{
    m_dir.write("make.py", "import zipfile\n"
                           "with zipfile.ZipFile('many.zip', 'w') as z:\n"
                           "    for i in range(70000):\n"
                           "        z.writestr(f'f{i}', '')\n");
    ASSERT_TRUE(runIn(m_dir, "python3 make.py"));
    readMade("many.zip");
    ASSERT_EQ(m_zip.reader.FileCount(), 70000);
    EXPECT_EQ(m_zip.reader.FileName(1), "f0");
    EXPECT_EQ(m_zip.reader.FileName(65536), "f65535");
    EXPECT_EQ(m_zip.reader.FileName(70000), "f69999");
}

} // namespace
} // namespace tarvelo::test
