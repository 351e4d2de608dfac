#pragma once

#include "app/options/options_context.h"
#include "app/options/options_pages.h"
#include "ui/dialog_base.h"


#include <vector>

class QTabWidget;

namespace rz {

// The tabbed Options dialog. Pages read their values when first shown; OK
// validates every shown page, then every shown page writes its values and
// the run-time copies follow. Cancel writes nothing. Help opens the shown
// page's topic.
class COptions : public DialogBase {
    Q_OBJECT

public:
    // Start indexes of the pages.
    enum Page {
        kStartup, kPlayback, kDisplay, kRecord, kStaff, kOpen, kSave, kLyric, kConductor,
        kSet, kMacros, kPageCount
    };

    COptions(OptionsContext context, PlaybackSources playback, int startIndex,
             QWidget* parent = nullptr);

    QTabWidget* tabs() const { return m_tabs; }
    OptionsPage* page(int index) const { return m_pages[size_t(index)]; }
    template <class T>
    T* pageAs(int index) const { return static_cast<T*>(page(index)); }
    int currentPage() const;
    void showPage(int index);

    void accept() override;
    void reject() override;
    // The shown page's topic.
    const char* helpTopic() const override;

private:
    void applyRuntime();

    OptionsContext m_context;
    QTabWidget* m_tabs = nullptr;
    std::vector<OptionsPage*> m_pages;
};

} // namespace rz
