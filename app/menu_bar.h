#pragma once

#include "res/default_accel_map.h"
#include "res/main_menu.h"
#include "ui/command_target.h"

#include <QMenuBar>

#include <span>
#include <string_view>
#include <vector>

class QAction;
class QMenu;

namespace rz {

class CommandRouter;
class KeyFilter;
class UiUpdater;

// The main window's menu bar, a child of the frame: one item per top-level
// popup of a menu resource, white text over the caption. Each command item
// runs its command through the router, shows its tool image and, after a
// tab, the key of the first record for it in the active accelerator table.
// Hovering an item puts its prompt in the status line. GUI thread.
class MenuBar : public QMenuBar {
    Q_OBJECT
public:
    // `updater` may be null: items then run their command directly. `keys`
    // (may be null) holds the active accelerator table.
    MenuBar(CommandRouter& router, UiUpdater* updater, const KeyFilter* keys, QWidget* parent);
    ~MenuBar() override;

    // Replaces the bar's menus with those of `menu`.
    void loadMenu(std::span<const MenuEntry> menu);
    bool hasMenu() const { return !actions().isEmpty(); }

    // A popup built from `entries` with the same look and behaviour (the
    // frame's right-click menu). The caller owns it.
    QMenu* buildPopup(std::span<const MenuEntry> entries, QWidget* parent);

    // The top-level menu at `index`, or null.
    QMenu* topMenu(int index) const;
    // The sub-menu `text` of the top-level menu `topText` (texts with their
    // "&"), or null.
    QMenu* subMenu(std::string_view topText, std::string_view text) const;
    // Every item of `id`, in the bar and in popups built here.
    std::vector<QAction*> commandActions(CommandId id) const;

    // Opens top-level menu `index` under its item; false when there is none.
    bool popUp(int index);

    // Re-reads the key texts from the active table. Menus also do it when
    // they open and the table has changed.
    void refreshKeyTexts();
    // The key text of `id` in the table last read; "" when it has none.
    QString keyText(CommandId id) const;

private:
    void fillMenu(QMenu* menu, std::span<const MenuEntry> entries, size_t& at, uint8_t level);
    QMenu* newMenu(const QString& title, QWidget* parent);
    QAction* addCommand(QMenu* menu, const MenuEntry& entry);
    void applyKeyText(QAction* action);
    bool tableChanged() const;

    CommandRouter& m_router;
    UiUpdater* m_updater = nullptr;
    const KeyFilter* m_keys = nullptr;
    std::vector<AccelRecordData> m_keyRecords; // the table the key texts show
    std::vector<QAction*> m_commands;         // every command item, for key texts
};

} // namespace rz
