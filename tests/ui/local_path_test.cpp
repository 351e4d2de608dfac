// Paths crossing into Qt and back keep their bytes; a file whose name Qt
// cannot hold is opened by its bytes.

#include "ui/local_path.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace rz {
namespace {

TEST(LocalPath, Utf8NamesCrossBothWaysUnchanged)
{
    const std::filesystem::path path = "/tmp/Gr\xC3\xBC\xC3\x9F" "e/caf\xC3\xA9 \xE2\x99\xAA.mid";
    const QString shown = qtPath(path);
    EXPECT_EQ(shown, QString::fromUtf8("/tmp/Grüße/café ♪.mid"));
    EXPECT_EQ(localPath(shown), path);
}

TEST(LocalPath, AFileWhoseNameIsNotUtf8OpensByItsBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path named = localPath(dir.path()) / std::string("caf\xE9.txt");
    std::ofstream(named) << "picture";
    const std::unique_ptr<QFile> file = openLocalFile(named);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->readAll(), QByteArray("picture"));
    EXPECT_EQ(openLocalFile(localPath(dir.path()) / "missing.txt"), nullptr);
}

} // namespace
} // namespace rz
