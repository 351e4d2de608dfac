#include "app/options/options_sheet.h"

#include "core/profile.h"
#include "core/prompt.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rz {

COptions::COptions(OptionsContext context, PlaybackSources playback, int startIndex,
                   QWidget* parent)
    : DialogBase(parent), m_context(std::move(context))
{
    setWindowTitle(QStringLiteral("DEVU Rizoraz Options..."));
    setHelpOpener(m_context.openHelp);
    m_tabs = new QTabWidget(this);
    m_pages = {new COptionsStartup(m_context),   new COptionsPlayback(m_context, std::move(playback)),
               new COptionsDisplay(m_context),   new COptionsRecord(m_context),
               new COptionsStaff(m_context),     new COptionsOpen(m_context),
               new COptionsSave(m_context),      new COptionsLyric(m_context),
               new COptionsConductor(m_context), new COptionsSet(m_context),
               new COptionsMacros(m_context)};
    for (OptionsPage* page : m_pages)
        m_tabs->addTab(page, QString::fromUtf8(page->caption()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    addButtonRow(layout, QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0)
            m_pages[size_t(index)]->ensureLoaded();
    });
    showPage(startIndex >= 0 && startIndex < kPageCount ? startIndex : kStartup);
    m_pages[size_t(currentPage())]->ensureLoaded();
}

int COptions::currentPage() const
{
    return m_tabs->currentIndex();
}

void COptions::showPage(int index)
{
    m_tabs->setCurrentIndex(index);
}

const char* COptions::helpTopic() const
{
    const int shown = currentPage();
    return shown >= 0 ? m_pages[size_t(shown)]->helpTopic() : nullptr;
}

// Nothing is written until every shown page holds valid values.
void COptions::accept()
{
    for (size_t i = 0; i < m_pages.size(); ++i) {
        if (!m_pages[i]->loaded())
            continue;
        if (auto failure = m_pages[i]->validate()) {
            showPage(int(i));
            m_context.prompt->message(QString::asprintf("Please enter an integer between %d and %d.",
                                                        failure->min, failure->max)
                                          .toStdString(),
                                      PromptIcon::Warning);
            failure->field->setFocus();
            failure->field->selectAll();
            return;
        }
    }
    for (OptionsPage* page : m_pages)
        if (page->loaded())
            page->store();
    applyRuntime();
    QDialog::accept();
}

// The engine re-reads its settings once, after every page wrote.
void COptions::applyRuntime()
{
    const bool clickChanged = page(kPlayback)->loaded();
    bool engine = clickChanged;
    for (int index : {kRecord, kConductor, kSet})
        engine = engine || page(index)->loaded();
    if (page(kConductor)->loaded() && m_context.setFollowTap)
        m_context.setFollowTap(followTapOf(pageAs<COptionsConductor>(kConductor)->values()));
    if (engine && m_context.applyEngineSettings)
        m_context.applyEngineSettings(clickChanged);
    if (page(kLyric)->loaded() && m_context.updateLyricViews)
        m_context.updateLyricViews();
}

void COptions::reject()
{
    pageAs<COptionsDisplay>(kDisplay)->cancel();
    QDialog::reject();
}

} // namespace rz
