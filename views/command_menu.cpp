#include "views/command_menu.h"

#include <QMenu>

namespace rz {

std::unique_ptr<QMenu> commandMenu(std::span<const MenuEntry> entries, QObject* owner,
                                   std::function<bool(CommandId)> sink)
{
    auto menu = std::make_unique<QMenu>();
    for (const MenuEntry& entry : entries) {
        if (entry.kind == MenuEntry::Kind::Separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action =
            menu->addAction(QString::fromUtf8(entry.text.data(), qsizetype(entry.text.size())));
        const CommandId id = entry.id;
        QObject::connect(action, &QAction::triggered, owner, [sink, id] {
            if (sink)
                sink(id);
        });
    }
    return menu;
}

} // namespace rz
