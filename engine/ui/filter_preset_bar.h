#pragma once

#include <QWidget>

#include <functional>

class QComboBox;
class QToolButton;

namespace rz {

class FilterPresetStore;
class IPrompt;
class LadspaFilter;

// "Presets:" above an effect's settings: the editable, sorted combo of the
// store's presets, Save and Delete. Typing a preset's name or choosing it
// loads it at once. Without a usable store the bar stays disabled. GUI
// thread.
class CFilterPresetBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarId = 1185;
    static constexpr int kComboId = 1183;
    static constexpr int kSaveId = 61463;
    static constexpr int kDeleteId = 1130;
    static constexpr int kBitmapId = 345;

    // `loaded` runs after a preset changed the filter's values. `store` is
    // null when there is none.
    CFilterPresetBar(FilterPresetStore* store, LadspaFilter& filter, IPrompt& prompt,
                     std::function<void()> loaded, QWidget* parent = nullptr);

    QComboBox* combo() const { return m_combo; }
    QToolButton* saveButton() const { return m_save; }
    QToolButton* deleteButton() const { return m_delete; }

    void OnSave();
    void OnDelete();

private:
    void OnEditChange(const QString& text);
    void OnSelChange(int item);
    bool load(const QString& name);
    void insertSorted(const QString& name);

    FilterPresetStore* m_store;
    LadspaFilter& m_filter;
    IPrompt& m_prompt;
    std::function<void()> m_loaded;
    QComboBox* m_combo = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_delete = nullptr;
};

} // namespace rz
