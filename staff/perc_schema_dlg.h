#pragma once

#include "core/synth_lookup.h"
#include "staff/model/perc_schema_model.h"
#include "staff/model/staff_records.h"
#include "ui/dialog_base.h"

#include <QPixmap>

#include <functional>
#include <optional>
#include <string_view>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace rz {

class IPrompt;
class MusicFont;
class SpinEdit;

// "Percussion display schema": how each drum note of one drum set is shown
// on a percussion staff (notehead, articulation, circle mark, staff offset).
// Every change goes into the schema tree at once, so OK only closes. GUI
// thread.
class CPercSchemaDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 230;
    static constexpr int kPreviewSize = 64; // pixels, square

    // Asks for the drum set to copy from; nothing when cancelled.
    using PickSchemaSource = std::function<std::optional<DrumSetRef>(const IDrumSchemaTree& tree, QWidget* parent)>;

    // firstItem: the set's item to select first (its place among the set's
    // items), or -1. A null or unusable font leaves the glyphs out.
    CPercSchemaDlg(IDrumSchemaTree& tree, DrumSetRef set, int firstItem, const MusicFont* font, IPrompt& prompt,
                   QWidget* parent = nullptr);

    // "Copy schema from..." stays disabled until it has a picker.
    void setPickSchemaSource(PickSchemaSource pick);

    void OnCopySchema();
    void OnGmDefaults();

    const PercSchemaModel& model() const { return m_model; }
    // The selected row; nothing when none is.
    std::optional<size_t> selectedRow() const;
    // The note the preview drew last (position and head word); nothing when
    // it drew the staff alone.
    const std::optional<CStaffItem>& previewItem() const { return m_previewItem; }

    QTreeWidget* list() const { return m_list; }
    QComboBox* headCombo() const { return m_head; }
    QComboBox* circleCombo() const { return m_circle; }
    QComboBox* articulationCombo() const { return m_articulation; }
    SpinEdit* offsetEdit() const { return m_offset; }
    QLabel* preview() const { return m_preview; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* defaultsButton() const { return m_defaults; }

private:
    void buildControls();
    void makeList();
    void makeFields();
    void layOut();
    void connectControls();
    void fillRows();
    void showRow(size_t row);
    void showSelection();
    void headChosen(int index);
    void circleChosen(int index);
    void articulationChosen(int index);
    void offsetTyped(const QString& text);
    void offsetStep(bool up);
    void rowsChanged();
    void drawPreview();
    QPixmap headPixmap(int head, int size) const;
    QPixmap circlePixmap(int circle, int size) const;

    PercSchemaModel m_model;
    IDrumSchemaTree& m_tree;
    const MusicFont* m_font;
    IPrompt& m_prompt;
    PickSchemaSource m_pick;
    std::optional<CStaffItem> m_previewItem;

    QTreeWidget* m_list = nullptr;
    QComboBox* m_head = nullptr;
    QComboBox* m_circle = nullptr;
    QComboBox* m_articulation = nullptr;
    SpinEdit* m_offset = nullptr;
    QLabel* m_preview = nullptr;
    QPushButton* m_copy = nullptr;
    QPushButton* m_defaults = nullptr;
};

} // namespace rz
