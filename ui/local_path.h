#pragma once

#include <QString>

#include <filesystem>
#include <memory>

class QFile;

namespace rz {

// Paths cross into Qt and back as the local 8-bit names they are
// (QFile::decodeName and encodeName), never as text of their own encoding.
// Qt holds no name that is not valid UTF-8: such a name shows with
// replacement characters, and a file of such a name is opened here
// (openLocalFile) and handed to Qt open.
QString qtPath(const std::filesystem::path& path);
std::filesystem::path localPath(const QString& path);

// The file opened for reading by its own bytes; null when it does not open.
std::unique_ptr<QFile> openLocalFile(const std::filesystem::path& path);

} // namespace rz
