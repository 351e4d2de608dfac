#include "ui/local_path.h"

#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

namespace rz {

QString qtPath(const std::filesystem::path& path)
{
    const std::string& bytes = path.native();
    return QFile::decodeName(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

std::filesystem::path localPath(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::filesystem::path(std::string(bytes.constData(), size_t(bytes.size())));
}

std::unique_ptr<QFile> openLocalFile(const std::filesystem::path& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return nullptr;
    }
    return file;
}

} // namespace rz
