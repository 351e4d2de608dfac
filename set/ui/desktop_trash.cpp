#include "set/ui/desktop_trash.h"

#include "ui/local_path.h"

#include <QFile>

namespace rz {

bool DesktopTrash::moveToTrash(const std::filesystem::path& path)
{
    return QFile::moveToTrash(qtPath(path));
}

} // namespace rz
