#include "engine/ui/filter_prop_sheet.h"

#include "core/log.h"
#include "engine/audio/audio_filter.h"
#include "engine/audio/filter_presets.h"
#include "engine/ui/audition_dlg.h"
#include "engine/ui/filter_preset_bar.h"
#include "engine/ui/filter_prop_page.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rz {

CFilterPropSheet::CFilterPropSheet(LadspaFilter& filter, IPrompt& prompt, FilterSheetSetup setup,
                                   QWidget* parent)
    : DialogBase(parent), m_filter(filter), m_prompt(prompt), m_setup(std::move(setup))
{
    setWindowTitle(QString::fromStdString(filter.info().name));
    OpenPresetStore();
    m_page = new CFilterPropPage(filter, this);
    m_bar = new CFilterPresetBar(
        m_store.get(), filter, prompt, [this] { m_page->refresh(); }, this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(m_page, "Settings");
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_audition = buttons->addButton("Audition", QDialogButtonBox::ActionRole);
    m_audition->setToolTip("Play selection with filter applied");
    m_audition->setVisible(!m_setup.auditionFile.empty());
    connect(m_audition, &QPushButton::clicked, this, &CFilterPropSheet::OnAudition);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buttons);
}

CFilterPropSheet::~CFilterPropSheet() = default;

// The store gives the settings of the last OK; one that cannot be opened
// or made leaves the sheet without presets.
void CFilterPropSheet::OpenPresetStore()
{
    auto store = std::make_unique<FilterPresetStore>(m_filter.info());
    std::string reason;
    if (!store->open(m_setup.presetFolder, reason)) {
        writeLog("Effect presets: " + reason);
        return;
    }
    std::vector<float> values = m_filter.controls();
    if (store->loadLastUsed(values))
        m_filter.setControls(values);
    m_store = std::move(store);
}

void CFilterPropSheet::accept()
{
    if (m_store) {
        std::string reason;
        if (!m_store->saveLastUsed(m_filter.controls(), reason))
            writeLog("Effect presets: " + reason);
    }
    QDialog::accept();
}

void CFilterPropSheet::OnAudition()
{
    AudioPreviewSlot* slot = m_setup.previewSlot ? m_setup.previewSlot() : nullptr;
    CAuditionDlg dialog(m_filter, slot, m_setup.auditionFile, m_setup.auditionMs, m_prompt, this);
    dialog.exec();
}

} // namespace rz
