#include "app/menu_bar.h"

#include "app/flat_tool_bar.h"
#include "app/qt_text.h"
#include "ui/command_router.h"
#include "ui/format_accel_key.h"
#include "ui/key_filter.h"
#include "ui/menu_style.h"
#include "ui/status_prompt.h"
#include "ui/tool_images.h"
#include "ui/ui_updater.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace rz {
namespace {

using Kind = MenuEntry::Kind;

bool sameRecords(const std::vector<AccelRecordData>& a, const std::vector<AccelRecordData>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const AccelRecordData& x, const AccelRecordData& y) {
                          return x.flags == y.flags && x.key == y.key && x.command == y.command;
                      });
}

void showPrompt(uint32_t id)
{
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(id);
}

} // namespace

MenuBar::MenuBar(CommandRouter& router, UiUpdater* updater, const KeyFilter* keys,
                 QWidget* parent)
    : QMenuBar(parent), m_router(router), m_updater(updater), m_keys(keys)
{
    setNativeMenuBar(false);
    setStyle(MenuStyle::instance());
    setFont(MenuStyle::menuFont());
    setAttribute(Qt::WA_TranslucentBackground);
}

// The menus go first, while the item list they leave is still here.
MenuBar::~MenuBar()
{
    for (QAction* action : actions())
        delete action->menu();
}

QMenu* MenuBar::newMenu(const QString& title, QWidget* parent)
{
    auto* menu = new QMenu(title, parent);
    menu->setStyle(MenuStyle::instance());
    menu->setFont(MenuStyle::menuFont());
    connect(menu, &QMenu::aboutToShow, this, [this] {
        if (tableChanged())
            refreshKeyTexts();
    });
    connect(menu, &QMenu::hovered, this, [](QAction* action) {
        if (const CommandId id = action->data().toUInt())
            showPrompt(id);
    });
    connect(menu, &QMenu::aboutToHide, this, [] { showPrompt(kIdlePromptId); });
    if (m_updater)
        m_updater->watchMenu(menu);
    return menu;
}

void MenuBar::loadMenu(std::span<const MenuEntry> menu)
{
    for (QAction* action : actions())
        delete action->menu();
    clear();
    m_commands.clear();
    size_t at = 0;
    while (at < menu.size()) {
        const MenuEntry& entry = menu[at++];
        if (entry.level != 0 || entry.kind != Kind::Popup || entry.text.empty())
            continue;
        QMenu* popup = newMenu(qText(entry.text), this);
        fillMenu(popup, menu, at, 1);
        addMenu(popup);
    }
    refreshKeyTexts();
    adjustSize();
}

QMenu* MenuBar::buildPopup(std::span<const MenuEntry> entries, QWidget* parent)
{
    QMenu* popup = newMenu(QString(), parent);
    size_t at = 0;
    fillMenu(popup, entries, at, 0);
    for (QAction* action : popup->actions())
        applyKeyText(action);
    return popup;
}

// Reads entries at `level` from `at` until one is shallower.
void MenuBar::fillMenu(QMenu* menu, std::span<const MenuEntry> entries, size_t& at,
                       uint8_t level)
{
    while (at < entries.size() && entries[at].level >= level) {
        const MenuEntry& entry = entries[at++];
        if (entry.level > level)
            continue; // deeper than a popup we know: malformed, skipped
        switch (entry.kind) {
        case Kind::Separator:
            menu->addSeparator();
            break;
        case Kind::Popup: {
            QMenu* sub = newMenu(qText(entry.text), menu);
            fillMenu(sub, entries, at, uint8_t(level + 1));
            menu->addMenu(sub);
            break;
        }
        case Kind::Command:
            addCommand(menu, entry);
            break;
        }
    }
}

QAction* MenuBar::addCommand(QMenu* menu, const MenuEntry& entry)
{
    const QString label = qText(entry.text);
    auto* action = new QAction(label, menu);
    action->setData(entry.id);
    const QPixmap image = toolImage(FlatToolBar::imageOf(entry.id));
    if (!image.isNull())
        action->setIcon(QIcon(image));
    menu->addAction(action);
    m_commands.push_back(action);
    // An update that sets the text (Undo's label) drops the key text; put
    // it back.
    connect(action, &QAction::changed, this, [this, action] {
        if (!action->text().contains(QLatin1Char('\t')) &&
            !keyText(action->data().toUInt()).isEmpty())
            applyKeyText(action);
    });
    connect(action, &QObject::destroyed, this,
            [this, action] { std::erase(m_commands, action); });
    if (m_updater) {
        m_updater->addAction(action, entry.id);
    } else {
        const CommandId id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { m_router.execute(id); });
    }
    return action;
}

QMenu* MenuBar::topMenu(int index) const
{
    const QList<QAction*> items = actions();
    return index >= 0 && index < items.size() ? items[index]->menu() : nullptr;
}

QMenu* MenuBar::subMenu(std::string_view topText, std::string_view text) const
{
    for (QAction* top : actions()) {
        if (top->text() != qText(topText) || !top->menu())
            continue;
        for (QAction* item : top->menu()->actions())
            if (item->menu() && item->text() == qText(text))
                return item->menu();
    }
    return nullptr;
}

std::vector<QAction*> MenuBar::commandActions(CommandId id) const
{
    std::vector<QAction*> found;
    for (QAction* action : m_commands)
        if (action->data().toUInt() == id)
            found.push_back(action);
    return found;
}

bool MenuBar::popUp(int index)
{
    const QList<QAction*> items = actions();
    if (index < 0 || index >= items.size() || !items[index]->menu())
        return false;
    setActiveAction(items[index]);
    return true;
}

bool MenuBar::tableChanged() const
{
    if (!m_keys)
        return !m_keyRecords.empty();
    return !sameRecords(m_keys->table().records(), m_keyRecords);
}

void MenuBar::refreshKeyTexts()
{
    m_keyRecords = m_keys ? m_keys->table().records() : std::vector<AccelRecordData>();
    for (QAction* action : m_commands)
        applyKeyText(action);
}

QString MenuBar::keyText(CommandId id) const
{
    for (const AccelRecordData& record : m_keyRecords) {
        if (record.command != id)
            continue;
        std::string text;
        FormatAccelKey(record, text);
        return QString::fromStdString(text);
    }
    return {};
}

void MenuBar::applyKeyText(QAction* action)
{
    const QString label = action->text().section(QLatin1Char('\t'), 0, 0);
    const QString key = keyText(action->data().toUInt());
    action->setText(key.isEmpty() ? label : label + QLatin1Char('\t') + key);
}

} // namespace rz
