// The accelerator and external control maps' commands. GUI thread.

#include "app/maps/map_commands.h"

#include "app/maps/accel_maps_dialog.h"
#include "app/maps/control_maps_dialog.h"
#include "app/maps/map_store.h"
#include "core/engine_gui_values.h"
#include "engine/sequencer_inputs.h"
#include "res/command_ids.h"
#include "ui/gui_thread.h"
#include "ui/key_filter.h"

namespace rz {
namespace {

using M = MapCommands;

constexpr CommandRow<M> kMapCommands[] = {
    {kIdKeyboardAccelerators, kIdKeyboardAccelerators, &M::onMapDialog, nullptr},
    {kIdExternalControl, kIdExternalControl, &M::onMapDialog, nullptr},
};

} // namespace

std::span<const CommandRow<M>> MapCommands::commandTable()
{
    return kMapCommands;
}

bool MapCommands::onMapDialog(CommandId id)
{
    RZ_ASSERT_GUI_THREAD();
    if (id == kIdKeyboardAccelerators) {
        CAccelMapsDlg dialog(*this, m_seams.window());
        dialog.exec();
        return true;
    }
    if (id == kIdExternalControl) {
        CControlMapsDlg dialog(*this, m_seams.window());
        dialog.exec();
        return true;
    }
    return false;
}

void MapCommands::applyAccelMaps(const std::vector<NamedMap>& maps, const std::string& selected,
                                 bool enabled)
{
    RZ_ASSERT_GUI_THREAD();
    AccelMapStore store(m_seams.profile);
    store.write(maps, selected, enabled);
    const auto at = findMap(maps, selected);
    m_seams.keys.setTable(enabled && at ? AccelTable::fromBytes(maps[*at].records) : AccelTable());
    m_seams.refreshKeyTexts();
}

void MapCommands::applyControlMaps(const std::vector<NamedMap>& maps, const std::string& selected,
                                   bool enabled)
{
    RZ_ASSERT_GUI_THREAD();
    ControlMapStore store(m_seams.profile);
    store.write(maps, selected, enabled);
    const auto at = findMap(maps, selected);
    m_seams.setKeyMaps(at ? ParseKeyMap(maps[*at].records) : KeyMap());
    if (GuiToEngineValues* published = m_seams.published())
        published->setExternalControlOn(enabled);
}

void MapCommands::setControlMapLearner(ControlLearner learner)
{
    RZ_ASSERT_GUI_THREAD();
    m_controlLearner = std::move(learner);
    if (GuiToEngineValues* published = m_seams.published())
        published->setControlMapLearning(bool(m_controlLearner));
}

void MapCommands::learn(uint32_t deviceId, uint32_t message)
{
    RZ_ASSERT_GUI_THREAD();
    if (m_controlLearner)
        m_controlLearner(int(deviceId), message);
}

} // namespace rz
