#include "set/ui/desktop_trash.h"

#include <QFile>

namespace rz {

bool DesktopTrash::moveToTrash(const std::filesystem::path& path)
{
    return QFile::moveToTrash(QFile::decodeName(QByteArray::fromStdString(path.string())));
}

} // namespace rz
