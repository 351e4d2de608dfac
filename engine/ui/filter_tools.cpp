#include "engine/ui/filter_tools.h"

#include "core/prompt.h"
#include "engine/audio/audio_filter.h"
#include "engine/audio/filter_presets.h"
#include "engine/ui/apply_filter_dlg.h"
#include "engine/ui/audio_filters_dlg.h"
#include "engine/ui/filter_prop_sheet.h"

#include <QApplication>

namespace rz {

namespace {

constexpr int64_t kFrameBytes = 4;
constexpr int64_t kWaveHeaderBytes = 44;

// The clip's length from its file's size, for the audition bar.
int64_t lengthMs(const std::filesystem::path& file, uint32_t rate)
{
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    if (error || rate == 0 || int64_t(bytes) <= kWaveHeaderBytes)
        return 0;
    return (int64_t(bytes) - kWaveHeaderBytes) / kFrameBytes * 1000 / rate;
}

} // namespace

CFilterTools::CFilterTools(FilterToolsServices services) : m_services(std::move(services)) {}

CFilterTools::~CFilterTools() = default;

const LadspaCatalog& CFilterTools::catalog()
{
    const uint32_t rate = m_services.engineRate();
    if (rate != m_catalogRate) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_catalog.setMarkFolder(m_services.markFolder.empty() ? pluginMarkFolder() : m_services.markFolder);
        m_catalog.scan(m_services.pluginFolders.empty() ? ladspaSearchPath()
                                                        : m_services.pluginFolders,
                       rate);
        QApplication::restoreOverrideCursor();
        m_catalogRate = rate;
        if (!m_catalog.stoppedLastTime().empty()) {
            std::string text;
            for (const std::string& line : m_catalog.stoppedLastTime())
                text += (text.empty() ? "" : "\n") + line;
            m_services.prompt.message(text, PromptIcon::Warning);
        }
    }
    return m_catalog;
}

std::optional<std::string> CFilterTools::chooseFilter()
{
    CAudioFiltersDlg dialog(catalog(), m_services.parent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.filterId();
}

bool CFilterTools::runFilterSheet(const std::string& effect,
                                  const std::filesystem::path& auditionFile)
{
    const auto plugin = catalog().find(effect);
    if (!plugin)
        return false;
    m_filter = std::make_unique<LadspaFilter>(plugin, m_catalogRate);
    m_filterId = effect;
    if (m_services.opened)
        m_services.opened(effect);
    FilterSheetSetup setup{
        .presetFolder = m_services.presetFolder.empty() ? filterDataFolder()
                                                        : m_services.presetFolder,
        .auditionFile = auditionFile,
        .auditionMs = lengthMs(auditionFile, m_catalogRate),
        .previewSlot = m_services.previewSlot,
    };
    CFilterPropSheet sheet(*m_filter, m_services.prompt, std::move(setup), m_services.parent());
    return sheet.exec() == QDialog::Accepted;
}

std::optional<std::vector<std::filesystem::path>> CFilterTools::runApplyFilter(
    const std::string& effect, const std::vector<std::filesystem::path>& files,
    const std::vector<int64_t>& durationsMs)
{
    if (!m_filter || effect != m_filterId)
        return std::nullopt;
    CApplyFilterDlg dialog(*m_filter, m_services.workFolder(), files, durationsMs,
                           m_services.prompt, m_services.parent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.outputs();
}

void CFilterTools::releaseApplyResources()
{
    m_filter.reset();
    m_filterId.clear();
}

} // namespace rz
