#pragma once

#include "ui/dialog_base.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

class QPushButton;
class QTabWidget;

namespace rz {

class AudioPreviewSlot;
class CFilterPresetBar;
class CFilterPropPage;
class FilterPresetStore;
class IPrompt;
class LadspaFilter;

// What the sheet needs besides the filter.
struct FilterSheetSetup {
    std::filesystem::path presetFolder = {}; // holds the preset stores
    std::filesystem::path auditionFile = {}; // empty: no Audition button
    int64_t auditionMs = 0;              // the audition bar's range
    // The running render's preview slot, or null when no audio engine runs.
    std::function<AudioPreviewSlot*()> previewSlot = {};
};

// The settings of one audio effect before it is applied: its generated page
// under the preset bar, with Audition, OK and Cancel. The filter follows
// every change at once; OK stores the settings as "last used", which the
// next opening loads. Cancel writes nothing but the presets saved meanwhile.
// GUI thread.
class CFilterPropSheet : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kAuditionId = 1184;

    CFilterPropSheet(LadspaFilter& filter, IPrompt& prompt, FilterSheetSetup setup,
                     QWidget* parent = nullptr);
    ~CFilterPropSheet() override;

    CFilterPropPage* page() const { return m_page; }
    CFilterPresetBar* presetBar() const { return m_bar; }
    QPushButton* auditionButton() const { return m_audition; }
    QPushButton* okButton() const { return m_ok; }

    void accept() override;
    void OnAudition();

private:
    void OpenPresetStore();

    LadspaFilter& m_filter;
    IPrompt& m_prompt;
    FilterSheetSetup m_setup;
    std::unique_ptr<FilterPresetStore> m_store; // null when it cannot be used
    CFilterPropPage* m_page = nullptr;
    CFilterPresetBar* m_bar = nullptr;
    QTabWidget* m_tabs = nullptr;
    QPushButton* m_audition = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace rz
